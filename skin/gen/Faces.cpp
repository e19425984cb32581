// The three window faces, drawn around the places of their controls.
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>

#include "Drawing.h"

namespace skingen {
namespace {

using vemla::ui::Picture;
using vemla::ui::Skin;
using W = vemla::ui::SkinWindow;

QRectF at(W window, const char* name) { return QRectF(Skin::place(window, name)); }

QFont font(qreal pixels, bool bold = true) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(qRound(pixels));
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

QBrush lcd(const QRectF& r) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, colour::kLcdTop);
  g.setColorAt(1, colour::kLcdBottom);
  return g;
}

// Faint scan lines and a diagonal sheen over a display panel.
void glass(QPainter& p, const QRectF& r, qreal radius) {
  p.save();
  QPainterPath clip;
  clip.addRoundedRect(r, radius, radius);
  p.setClipPath(clip);
  p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
  for (qreal y = r.top() + 1; y < r.bottom(); y += 2) {
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  QPainterPath sheen;
  sheen.moveTo(r.left(), r.top());
  sheen.lineTo(r.left() + r.width() * 0.45, r.top());
  sheen.lineTo(r.left() + r.width() * 0.30, r.bottom());
  sheen.lineTo(r.left(), r.bottom());
  p.fillPath(sheen, QColor(120, 220, 255, 9));
  p.restore();
}

void grille(QPainter& p, const QRectF& r, qreal pitch) {
  p.save();
  for (qreal x = r.left(); x + 2 <= r.right(); x += pitch) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(6, 7, 9));
    p.drawRoundedRect(QRectF(x, r.top(), 2, r.height()), 1, 1);
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawRect(QRectF(x + 2, r.top() + 1, 0.7, r.height() - 1));
  }
  p.restore();
}

void socket(QPainter& p, QPointF topLeft, qreal size) {
  p.save();
  p.setPen(QPen(QColor(255, 255, 255, 40), 0.7));
  p.setBrush(QColor(3, 4, 5));
  p.drawEllipse(QRectF(topLeft, QSizeF(size, size)));
  p.restore();
}

void titleText(QPainter& p, const QRectF& r, const QString& text, qreal pixels) {
  p.save();
  p.setFont(font(pixels));
  p.setPen(QColor(0, 0, 0, 160));
  p.drawText(r.translated(0, 1), Qt::AlignCenter, text);
  p.setPen(QColor(150, 172, 194));
  p.drawText(r, Qt::AlignCenter, text);
  p.restore();
}

// ---- Main window: 345 x 175, drawn in window pixels (the picture sits at x = -2).

QPainterPath mainOutline() {
  // Pixel edges in window coordinates: the body covers picture columns 1..343, rows 1..173.
  const qreal l = -1, t = 1, r = 342, b = 174;
  QPainterPath path;
  path.moveTo(l + 6, t);
  path.lineTo(r - 6, t);
  path.lineTo(r, t + 6);
  path.lineTo(r, b - 10);
  path.quadTo(r, b, r - 10, b);
  // A notch between the transport deck and the mute button.
  path.lineTo(194, b);
  path.lineTo(189, 163);
  path.lineTo(172, 163);
  path.lineTo(167, b);
  path.lineTo(l + 10, b);
  path.quadTo(l, b, l, b - 10);
  path.lineTo(l, t + 6);
  path.closeSubpath();
  return path;
}

void drawMain(QPainter& p) {
  p.translate(2, 0);
  metalBody(p, mainOutline(), 0x5eed1u);
  p.setClipPath(mainOutline());

  // Title bar: engraved lines either side of the name.
  for (qreal y : {8.0, 11.0, 14.0}) {
    engrave(p, QPointF(20, y), QPointF(118, y));
    engrave(p, QPointF(202, y), QPointF(290, y));
  }
  titleText(p, QRectF(120, 3, 80, 14), QStringLiteral("VemlaPlayer"), 10);

  // Menu bar plate: light, for the black menu labels.
  const QRectF plate(7, 20, 219, 17);
  p.save();
  p.setPen(QPen(colour::kOutline, 1));
  QLinearGradient silver(plate.topLeft(), plate.bottomLeft());
  silver.setColorAt(0, QColor(232, 236, 241));
  silver.setColorAt(0.5, QColor(204, 210, 218));
  silver.setColorAt(1, QColor(168, 176, 187));
  p.setBrush(silver);
  p.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  p.setPen(QPen(QColor(255, 255, 255, 200), 0.8));
  p.drawLine(QPointF(plate.left() + 3, plate.top() + 1.5),
             QPointF(plate.right() - 3, plate.top() + 1.5));
  p.restore();
  grille(p, QRectF(233, 23, 72, 11), 4);

  // The display: time, format lines, meters, visualiser and title behind one glass.
  const QRectF display(7, 41, 300, 82);
  recess(p, display, 4, lcd(display));
  glass(p, display, 4);
  p.save();
  p.setPen(QPen(QColor(80, 200, 240, 55), 1));
  p.drawLine(QPointF(10, 100.5), QPointF(304, 100.5));
  p.drawLine(QPointF(190.5, 44), QPointF(190.5, 98));
  p.setPen(QPen(QColor(80, 200, 240, 35), 1));
  p.drawRoundedRect(at(W::Main, "Pant_tiempo").adjusted(-2.5, -2.5, 2.5, 0.5), 3, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(at(W::Main, "Gauge1").united(at(W::Main, "Gauge2")).adjusted(-1, -1, 1, 1));
  p.drawRect(at(W::Main, "Bevel1"));
  p.restore();

  // Button rail on the right, with the sockets of the repeat and random dots.
  const QRectF rail(310, 36, 31, 103);
  recess(p, rail, 4, QColor(20, 23, 28));
  for (const char* dot : {"punto_repetir", "punto_random"}) {
    socket(p, at(W::Main, dot).topLeft() - QPointF(1, 1), 4);
  }

  // Position groove under bot_despl: the knob's left edge runs 6..271.
  const QRectF pos = at(W::Main, "Despl_pos");
  const QRectF groove(pos.left(), pos.center().y() - 2.5, pos.width() + 2, 5);
  recess(p, groove, 2.5, QColor(6, 7, 9));
  p.save();
  p.setPen(QPen(QColor(92, 228, 255, 70), 1));
  for (int i = 0; i <= 10; ++i) {
    const qreal x = groove.left() + 16 + i * (groove.width() - 32) / 10;
    p.drawLine(QPointF(x, groove.bottom() + 2.5), QPointF(x, groove.bottom() + 3.5));
  }
  p.restore();

  // Transport deck and the mute button's seat.
  recess(p, QRectF(15, 139, 153, 32), 14, QColor(22, 25, 30));
  const QRectF mute = at(W::Main, "B_silencio");
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawEllipse(mute.center() + QPointF(0, 0.5), 12.5, 12.5);
  p.restore();

  // Volume: a ramp that widens to the right under bot_vol (220..295 + 12).
  const QRectF vol = at(W::Main, "Despl_Vol");
  QPainterPath ramp;
  ramp.moveTo(vol.left() + 1, 166);
  ramp.lineTo(vol.right() + 4, 166);
  ramp.lineTo(vol.right() + 4, 160);
  ramp.closeSubpath();
  p.save();
  p.fillPath(ramp.translated(0.8, 0.8), QColor(140, 152, 168, 110));
  p.fillPath(ramp, QColor(6, 7, 9));
  QLinearGradient level(vol.left(), 0, vol.right(), 0);
  level.setColorAt(0, QColor(92, 228, 255, 10));
  level.setColorAt(1, QColor(92, 228, 255, 70));
  p.fillPath(ramp, level);
  p.setFont(font(7));
  p.setPen(QColor(92, 228, 255, 150));
  p.drawText(QRectF(vol.left() + 2, 147, 40, 9), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("VOL"));
  p.restore();

  // Badge in the lower right corner.
  const QPointF badge(326, 155);
  metalDisc(p, badge, 11);
  p.save();
  p.setPen(QPen(colour::kAqua, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(
      QPolygonF({badge + QPointF(-5, -4), badge + QPointF(0, 5), badge + QPointF(5, -4)}));
  p.restore();
}

// ---- Playlist window: the face as shown, 345 x 451.

QPainterPath playlistOutline() {
  const qreal l = 1, t = 1, r = 345, b = 451;
  QPainterPath path;
  path.moveTo(l + 6, t);
  path.lineTo(r - 6, t);
  path.lineTo(r, t + 6);
  path.lineTo(r, b - 8);
  path.quadTo(r, b, r - 8, b);
  path.lineTo(l + 8, b);
  path.quadTo(l, b, l, b - 8);
  path.lineTo(l, t + 6);
  path.closeSubpath();
  return path;
}

void drawPlaylist(QPainter& p) {
  metalBody(p, playlistOutline(), 0x9a7b1u);
  p.setClipPath(playlistOutline());
  for (qreal y : {9.0, 12.0, 15.0}) {
    engrave(p, QPointF(30, y), QPointF(108, y));
    engrave(p, QPointF(228, y), QPointF(304, y));
  }
  const QRectF list = at(W::Playlist, "Listado");
  recess(p, list.adjusted(-2, -2, 2, 0), 3, QColor(0, 0, 96));
  const QRectF label = at(W::Playlist, "Label1");
  recess(p, QRectF(label.left() - 4, 434.5, label.width() + 8, 12), 3, QColor(8, 10, 12));
  grille(p, QRectF(130, 437, 180, 9), 5);
}

// ---- Mini window: 150 x 100 on pure red, which is see-through.

QPainterPath miniOutline() {
  // Square at the top right, where the two tiny buttons sit on the edge.
  const qreal l = 13, t = 13, r = 149, b = 99, k = 9;
  QPainterPath path;
  path.moveTo(l + k, t);
  path.lineTo(r - 2, t);
  path.lineTo(r, t + 2);
  path.lineTo(r, b - k);
  path.quadTo(r, b, r - k, b);
  path.lineTo(l + k, b);
  path.quadTo(l, b, l, b - k);
  path.lineTo(l, t + k);
  path.quadTo(l, t, l + k, t);
  path.closeSubpath();
  QPainterPath tab;
  tab.addRoundedRect(QRectF(4, 22, 14, 40), 4, 4);
  return path.united(tab);
}

void drawMini(QPainter& p) {
  metalBody(p, miniOutline(), 0x3141u);
  p.setClipPath(miniOutline());
  for (qreal y : {30.0, 36.0, 42.0, 48.0, 54.0}) {
    engrave(p, QPointF(7, y), QPointF(13, y));
  }
  const QRectF display(21, 20, 101, 38);
  recess(p, display, 3, lcd(display));
  glass(p, display, 3);
  const QRectF pos = at(W::Mini, "Despl_pos");
  recess(p, QRectF(pos.left() - 1, 61.5, pos.width() + 2, 4), 2, QColor(6, 7, 9));
  recess(p, QRectF(17, 72, 104, 28), 12, QColor(22, 25, 30));
  recess(p, QRectF(124, 40, 24, 58), 4, QColor(20, 23, 28));
  for (const char* dot : {"punto_repetir", "punto_random"}) {
    socket(p, at(W::Mini, dot).topLeft() - QPointF(1, 1), 4);
  }
  for (qreal y : {16.0, 18.0}) engrave(p, QPointF(26, y), QPointF(132, y));
}

}  // namespace

void drawFace(Picture id, QPainter& p) {
  switch (id) {
    case Picture::MainBackground:
      drawMain(p);
      break;
    case Picture::PlaylistBackground:
      drawPlaylist(p);
      break;
    case Picture::MiniBackground:
      drawMini(p);
      break;
    default:
      break;
  }
}

}  // namespace skingen
