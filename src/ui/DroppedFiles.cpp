#include "ui/DroppedFiles.h"

#include <QFileInfo>

namespace vemla::ui {

bool acceptsDroppedName(const QString& fileName) {
  static const QStringList kAccepted = {".WMA", ".WAV", ".M3U", ".MP3", ".MP2",
                                        ".MP1", ".CDA", ".OGG", ".ZWK", ".QRN4"};
  QString name = fileName.mid(fileName.lastIndexOf('/') + 1);
  int dot = name.lastIndexOf('.');
  if (dot < 0) return false;
  return kAccepted.contains(name.mid(dot).toUpper());
}

QStringList droppedFiles(const QList<QUrl>& urls) {
  QStringList out;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    QString path = url.toLocalFile();
    if (!acceptsDroppedName(path) || QFileInfo(path).isDir()) continue;
    out << path;
  }
  return out;
}

}  // namespace vemla::ui
