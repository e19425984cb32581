#include "ui/InfoPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "audio/AttachedPicture.h"

namespace vemla::ui {

namespace {

QImage Decode(QImageReader& reader, QSize target) {
  // Scaled decoding lets the JPEG reader skip most of a large picture's work.
  if (!target.isEmpty()) reader.setScaledSize(target);
  return reader.read();
}

QImage LoadFile(const QString& path, QSize target) {
  QFileInfo info(path);
  if (!info.isFile() || !info.isReadable()) return {};
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  return Decode(reader, target);
}

QString Local(const std::string& utf8) { return QString::fromStdString(utf8); }

QImage FolderCover(const QString& audioPath, QSize target) {
  const QDir dir = QFileInfo(audioPath).dir();
  if (!dir.exists()) return {};
  const QStringList found =
      dir.entryList({"cover.jpg", "cover.jpeg", "cover.png", "folder.jpg", "folder.jpeg",
                     "folder.png", "front.jpg", "front.jpeg", "front.png"},
                    QDir::Files | QDir::Readable);
  // The listing is sorted by name; the preference is cover, then folder, then front.
  for (const char* stem : {"cover.", "folder.", "front."}) {
    for (const QString& name : found) {
      if (!name.startsWith(QLatin1String(stem), Qt::CaseInsensitive)) continue;
      QImage image = LoadFile(dir.filePath(name), target);
      if (!image.isNull()) return image;
    }
  }
  return {};
}

}  // namespace

QImage DecodePicture(const QByteArray& bytes, QSize target) {
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer);
  return Decode(reader, target);
}

QImage LoadInfoPicture(const InfoPictureContext& context, const playlist::Tcancion& entry) {
  const std::string own = entry.ImageFile.str();
  if (!own.empty()) {
    const std::string path = context.NoSave
                                 ? context.ProgramDir + "/" + own
                                 : context.ProgramDir + "/" + entry.ImageFolder.str() + "/" + own;
    QImage image = LoadFile(Local(path), context.Target);
    if (!image.isNull()) return image;
  }
  if (!entry.IsCdTrack && !entry.Path.empty()) {
    const std::string bytes = audio::ReadAttachedPicture(entry.Path.str());
    if (!bytes.empty()) {
      QImage image = DecodePicture(
          QByteArray::fromRawData(bytes.data(), static_cast<int>(bytes.size())), context.Target);
      // fromRawData shares the bytes; the decoded image owns its pixels.
      if (!image.isNull()) return image;
    }
    QImage image = FolderCover(Local(entry.Path.str()), context.Target);
    if (!image.isNull()) return image;
  }
  return LoadFile(Local(context.ProgramDir + "/skin/noimagen.jpg"), context.Target);
}

}  // namespace vemla::ui
