#include "ui/GlyphButton.h"

#include <QFile>
#include <QFocusEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>

#include "ui/AccessibleControl.h"
#include "ui/ActiveSkin.h"

namespace vemla::ui {

namespace {
// Glyph files are BMPs. Naming the format spares loading every image plug-in just to ask it
// about the file, which is most of the cost of reading a small glyph; a file of another kind
// under that name is still read by its contents.
QImage readGlyphFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QImageReader bmp(&file, "bmp");
  bmp.setAutoDetectImageFormat(false);
  QImage image = bmp.read();
  if (!image.isNull()) return image;
  file.seek(0);
  return QImageReader(&file).read();
}
}  // namespace

QImage keyedGlyph(const QImage& image) {
  if (image.isNull() || image.hasAlphaChannel()) return image;
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = keyed.pixel(0, 0);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if (line[x] == key) line[x] = 0;
    }
  }
  return keyed;
}

GlyphButton::GlyphButton(QWidget* parent, const char* objectName, Picture glyph, const Skin* skin,
                         SkinWindow window)
    : SkinnedWidget(parent, objectName, skin, glyph) {
  if (skin) creationGlyph_ = skin->outline(glyph);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  const QRect place = Skin::place(window, objectName);
  if (!place.isEmpty()) setGeometry(place);
  // Read aloud by its hint (the tool tip), pressed like a click.
  AccessibleTraits traits;
  traits.role = QAccessible::Button;
  traits.press = [this] { click(); };
  setAccessibleTraits(this, std::move(traits));
}

void GlyphButton::setGlyph(Picture glyph) { setPicture(glyph); }

QString doubleSizeName(const QString& path) {
  const int slash = path.lastIndexOf(QLatin1Char('/'));
  const int dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot <= slash + 1) return path + QStringLiteral("@2x");
  return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

bool GlyphButton::loadGlyph(const QString& path) {
  const QImage image = readGlyphFile(path);
  if (image.isNull()) return false;
  QPixmap pixmap = QPixmap::fromImage(keyedGlyph(image));
  if (devicePixelRatioF() > 1.0) {
    const QImage sharp = readGlyphFile(doubleSizeName(path));
    if (sharp.size() == image.size() * 2) {
      pixmap = QPixmap::fromImage(keyedGlyph(sharp));
      pixmap.setDevicePixelRatio(2.0);
    }
  }
  setPixmap(pixmap);
  return true;
}

QSize GlyphButton::glyphSize() const {
  const QPixmap pixmap = currentPixmap();
  if (pixmap.isNull()) return {};
  return (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize();
}

QPoint GlyphButton::pictureOrigin() const { return glyphOffset(size(), glyphSize()); }

void GlyphButton::click() { emit clicked(); }

void GlyphButton::paintEvent(QPaintEvent*) {
  const QPixmap pixmap = currentPixmap();
  if (pixmap.isNull()) return;
  QPixmap shown = pixmap;
  const bool lit = isHovered() || hasFocus();
  if (isPressed() || lit) {
    // Tint only the glyph's own pixels so the transparent surround stays transparent.
    shown = QPixmap(pixmap.size());
    shown.setDevicePixelRatio(pixmap.devicePixelRatio());
    shown.fill(Qt::transparent);
    QPainter tint(&shown);
    tint.drawPixmap(0, 0, pixmap);
    tint.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    tint.fillRect(QRect(QPoint(0, 0), pixmap.size()),
                  isPressed() ? QColor(0, 0, 0, 90) : QColor(120, 230, 255, 45));
  }
  QPainter painter(this);
  painter.drawPixmap(pictureOrigin(), shown);
}

void GlyphButton::keyPressEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat() && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                                 event->key() == Qt::Key_Enter)) {
    event->accept();
    emit clicked();
    return;
  }
  SkinnedWidget::keyPressEvent(event);
}

void GlyphButton::focusInEvent(QFocusEvent* event) {
  SkinnedWidget::focusInEvent(event);
  update();
}

void GlyphButton::focusOutEvent(QFocusEvent* event) {
  SkinnedWidget::focusOutEvent(event);
  update();
}

}  // namespace vemla::ui
