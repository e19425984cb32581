#include "audio/LameHeader.h"

#include <fstream>

namespace vemla::audio {

namespace {
uint8_t at(const std::string& b, size_t i) { return static_cast<uint8_t>(b[i]); }

uint32_t be32(const std::string& b, size_t i) {
  return static_cast<uint32_t>(at(b, i)) << 24 | static_cast<uint32_t>(at(b, i + 1)) << 16 |
         static_cast<uint32_t>(at(b, i + 2)) << 8 | at(b, i + 3);
}

// Where the first frame starts: after an ID3v2 tag, when there is one.
size_t firstFrame(const std::string& b) {
  if (b.size() >= 10 && b.compare(0, 3, "ID3") == 0) {
    size_t size = static_cast<size_t>(at(b, 6) & 0x7f) << 21 |
                  static_cast<size_t>(at(b, 7) & 0x7f) << 14 |
                  static_cast<size_t>(at(b, 8) & 0x7f) << 7 | (at(b, 9) & 0x7f);
    return 10 + size + ((at(b, 5) & 0x10) ? 10 : 0);
  }
  return 0;
}
}  // namespace

int64_t LameHeader::sampleCount(const std::string& b) {
  size_t f = firstFrame(b);
  if (f + 4 > b.size() || at(b, f) != 0xff || (at(b, f + 1) & 0xe0) != 0xe0) return 0;
  int version = (at(b, f + 1) >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  int layer = (at(b, f + 1) >> 1) & 3;    // 1: layer III
  if (version == 1 || layer != 1) return 0;
  bool mpeg1 = version == 3;
  bool mono = ((at(b, f + 3) >> 6) & 3) == 3;
  size_t side = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  size_t x = f + 4 + side;
  if (x + 8 > b.size() || (b.compare(x, 4, "Xing") != 0 && b.compare(x, 4, "Info") != 0)) {
    return 0;
  }
  uint32_t flags = be32(b, x + 4);
  if (!(flags & 1)) return 0;
  size_t p = x + 8;
  if (p + 4 > b.size()) return 0;
  int64_t frames = be32(b, p);
  p += 4;
  if (flags & 2) p += 4;
  if (flags & 4) p += 100;
  if (flags & 8) p += 4;
  // LAME extension (also written by libavcodec under its own name): 9-byte version text, then
  // at +21 the 12-bit delay and 12-bit padding.
  if (p + 24 > b.size()) return 0;
  std::string encoder = b.substr(p, 4);
  if (encoder != "LAME" && encoder != "Lavf" && encoder != "Lavc") return 0;
  int64_t delay = static_cast<int64_t>(at(b, p + 21)) << 4 | at(b, p + 22) >> 4;
  int64_t padding = static_cast<int64_t>(at(b, p + 22) & 0x0f) << 8 | at(b, p + 23);
  int64_t samples = frames * (mpeg1 ? 1152 : 576) - delay - padding;
  return samples > 0 ? samples : 0;
}

int64_t LameHeader::sampleCountOfFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::string head(16384, '\0');
  f.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(f.gcount()));
  size_t first = firstFrame(head);
  if (first + 4096 > head.size() && first < (64u << 20)) {
    // A large tag (cover pictures): read just the frame after it.
    f.clear();
    f.seekg(static_cast<std::streamoff>(first));
    std::string frame(4096, '\0');
    f.read(frame.data(), static_cast<std::streamsize>(frame.size()));
    frame.resize(static_cast<size_t>(f.gcount()));
    return sampleCount(frame);
  }
  return sampleCount(head);
}

}  // namespace vemla::audio
