#include "ui/Skin.h"

#include <QResource>

#include "ui/RawPicture.h"

// Registers the compiled-in pictures; the resource library is static, so nothing would pull
// its initialiser in otherwise. Q_INIT_RESOURCE must be used outside any namespace.
static void initSkinResources() { Q_INIT_RESOURCE(vemla_skin); }

namespace vemla::ui {

namespace {
QImage readPicture(const QString& name) {
  return DecodeRawPicture(QResource(name).uncompressedData());
}
}  // namespace

Skin::Skin() {
  static const bool registered = (initSkinResources(), true);
  (void)registered;
}

QPixmap Skin::picture(Picture id, qreal dpr) const {
  if (id == Picture::Count) return {};
  const int scale = dpr > 1.0 ? 2 : 1;
  const auto key = std::make_pair(static_cast<int>(id), scale);
  auto it = pixmaps_.find(key);
  if (it != pixmaps_.end()) return it->second;
  const QString base = QStringLiteral(":/skin/") + QLatin1String(resourceName(id));
  QPixmap pixmap = QPixmap::fromImage(
      readPicture(scale == 2 ? base + QStringLiteral("@2x.raw") : base + QStringLiteral(".raw")));
  pixmap.setDevicePixelRatio(scale);
  pixmaps_.emplace(key, pixmap);
  return pixmap;
}

QImage Skin::outline(Picture id) const {
  if (id == Picture::Count) return {};
  const QString name =
      id == Picture::PlaylistBackground
          ? QStringLiteral(":/skin/playlist_outline.raw")
          : QStringLiteral(":/skin/") + QLatin1String(resourceName(id)) + QStringLiteral(".raw");
  QImage image = readPicture(name);
  // The 1x face is the same file: keep it decoded for painting, since decoding the pictures is
  // a good part of start-up.
  if (id != Picture::PlaylistBackground && !image.isNull()) {
    const auto key = std::make_pair(static_cast<int>(id), 1);
    if (pixmaps_.find(key) == pixmaps_.end()) {
      QPixmap pixmap = QPixmap::fromImage(image);
      pixmap.setDevicePixelRatio(1);
      pixmaps_.emplace(key, pixmap);
    }
  }
  return image;
}

}  // namespace vemla::ui
