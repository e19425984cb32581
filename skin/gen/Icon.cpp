// The program's icon: a rounded metal tile with an aqua display panel, a play symbol and a row
// of level bars. Drawn on a 256-unit square and scaled, so every size shows the same picture;
// the smallest sizes drop the bars, which would only blur there.
#include "Drawing.h"

namespace skingen {

QImage appIcon(int px) {
  QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(px / 256.0, px / 256.0);

  QPainterPath tile;
  tile.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
  metalBody(p, tile, 7);

  QLinearGradient lcd(0, 40, 0, 216);
  lcd.setColorAt(0, colour::kLcdTop);
  lcd.setColorAt(1, colour::kLcdBottom);
  recess(p, QRectF(36, 36, 184, 184), 24, lcd);

  QPainterPath play;
  const bool small = px < 32;
  const QPointF c = small ? QPointF(136, 128) : QPointF(120, 112);
  const qreal h = small ? 120 : 96;
  play.moveTo(c + QPointF(-h * 0.45, -h / 2));
  play.lineTo(c + QPointF(h * 0.55, 0));
  play.lineTo(c + QPointF(-h * 0.45, h / 2));
  play.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 255, 200));
  p.drawPath(play);

  if (!small) {
    const int heights[] = {14, 28, 20, 34, 24, 12};
    for (int i = 0; i < 6; ++i) {
      p.setBrush(i % 2 ? colour::kAqua : colour::kAquaDim);
      p.drawRoundedRect(QRectF(62 + i * 23, 196 - heights[i], 14, heights[i]), 3, 3);
    }
  }
  p.end();
  return img;
}

}  // namespace skingen
