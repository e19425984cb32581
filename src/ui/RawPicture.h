#pragma once
// The skin's pictures as compiled into the program: a 16-byte head (tag, width, height, pixel
// format) and the rows of 32-bit pixels, unpadded. The resource compiler packs them; reading one
// back is an inflate and a copy, where decoding the same picture from PNG cost several times more
// and was a good part of start-up.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstring>

namespace vemla::ui {

inline constexpr uint32_t kRawPictureTag = 0x31504B53;  // "SKP1"

// The picture as PNG decoding would have given it: ARGB32 with an alpha channel, else RGB32.
inline QByteArray EncodeRawPicture(const QImage& image) {
  const QImage px = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                  : QImage::Format_RGB32);
  const uint32_t head[4] = {kRawPictureTag, static_cast<uint32_t>(px.width()),
                            static_cast<uint32_t>(px.height()),
                            static_cast<uint32_t>(px.format())};
  QByteArray out(reinterpret_cast<const char*>(head), sizeof head);
  for (int y = 0; y < px.height(); ++y)
    out.append(reinterpret_cast<const char*>(px.constScanLine(y)), px.width() * 4);
  return out;
}

// A null image for anything that is not such a picture whole.
inline QImage DecodeRawPicture(const QByteArray& bytes) {
  uint32_t head[4];
  if (bytes.size() < static_cast<qsizetype>(sizeof head)) return {};
  std::memcpy(head, bytes.constData(), sizeof head);
  const auto format = static_cast<QImage::Format>(head[3]);
  if (head[0] != kRawPictureTag || head[1] == 0 || head[2] == 0 || head[1] > 4096 ||
      head[2] > 4096 || (format != QImage::Format_ARGB32 && format != QImage::Format_RGB32))
    return {};
  const qsizetype row = static_cast<qsizetype>(head[1]) * 4;
  if (bytes.size() != static_cast<qsizetype>(sizeof head) + row * head[2]) return {};
  QImage image(static_cast<int>(head[1]), static_cast<int>(head[2]), format);
  const char* src = bytes.constData() + sizeof head;
  for (int y = 0; y < image.height(); ++y, src += row) std::memcpy(image.scanLine(y), src, row);
  return image;
}

}  // namespace vemla::ui
