// Button glyphs, knobs and dots: metal caps with aqua symbols on a transparent ground.
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

#include "Drawing.h"

namespace skingen {
namespace {

using vemla::ui::Picture;
using vemla::ui::Skin;

QPen symbolPen(qreal width, QColor c = colour::kAqua) {
  return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A symbol with a soft glow under it.
void glowPath(QPainter& p, const QPainterPath& path, QColor c = colour::kAqua) {
  p.save();
  p.setPen(Qt::NoPen);
  QColor halo = c;
  halo.setAlpha(60);
  p.strokePath(path, QPen(halo, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.fillPath(path, c);
  p.restore();
}

QPainterPath triangle(QPointF tip, qreal w, qreal h, bool right) {
  QPainterPath t;
  const qreal back = right ? tip.x() - w : tip.x() + w;
  t.moveTo(tip);
  t.lineTo(back, tip.y() - h / 2);
  t.lineTo(back, tip.y() + h / 2);
  t.closeSubpath();
  return t;
}

QPointF discCentre(QSize s) { return {s.width() / 2.0, s.height() / 2.0}; }

void transport(QPainter& p, Picture id) {
  const QSize s = Skin::size(id);
  const QPointF c = discCentre(s);
  metalDisc(p, c, 11);
  QPainterPath sym;
  switch (id) {
    case Picture::Reproducir:
      sym = triangle(c + QPointF(5, 0), 8.5, 10, true);
      break;
    case Picture::Pausa:
      sym.addRoundedRect(QRectF(c.x() - 4.5, c.y() - 4.5, 3.2, 9), 0.8, 0.8);
      sym.addRoundedRect(QRectF(c.x() + 1.3, c.y() - 4.5, 3.2, 9), 0.8, 0.8);
      break;
    case Picture::Stop:
      sym.addRoundedRect(QRectF(c.x() - 4.2, c.y() - 4.2, 8.4, 8.4), 1, 1);
      break;
    case Picture::Anterior:
      sym.addRect(QRectF(c.x() - 6, c.y() - 4, 1.8, 8));
      sym.addPath(triangle(c + QPointF(-4.2, 0), 5, 8, false));
      sym.addPath(triangle(c + QPointF(0.8, 0), 5, 8, false));
      break;
    case Picture::Siguiente:
      sym.addPath(triangle(c + QPointF(-0.8, 0), 5, 8, true));
      sym.addPath(triangle(c + QPointF(4.2, 0), 5, 8, true));
      sym.addRect(QRectF(c.x() + 4.2, c.y() - 4, 1.8, 8));
      break;
    default:
      break;
  }
  glowPath(p, sym, id == Picture::Reproducir ? QColor(120, 255, 200) : colour::kAqua);
}

void speaker(QPainter& p, bool muted) {
  const QSize s = Skin::size(Picture::Silencio);
  const QPointF c = discCentre(s);
  metalDisc(p, c, 11);
  QPainterPath body;
  body.moveTo(c + QPointF(-6, -2));
  body.lineTo(c + QPointF(-3.5, -2));
  body.lineTo(c + QPointF(0, -5.5));
  body.lineTo(c + QPointF(0, 5.5));
  body.lineTo(c + QPointF(-3.5, 2));
  body.lineTo(c + QPointF(-6, 2));
  body.closeSubpath();
  glowPath(p, body, muted ? QColor(130, 150, 165) : colour::kAqua);
  p.save();
  if (muted) {
    p.setPen(symbolPen(1.6, QColor(255, 92, 72)));
    p.drawLine(c + QPointF(2, -3), c + QPointF(7, 3));
    p.drawLine(c + QPointF(2, 3), c + QPointF(7, -3));
  } else {
    p.setPen(symbolPen(1.3));
    p.drawArc(QRectF(c.x() - 3, c.y() - 4, 8, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(c.x() - 4, c.y() - 7, 14, 14), -50 * 16, 100 * 16);
  }
  p.restore();
}

void repeatOrRandom(QPainter& p, Picture id) {
  const QSize s = Skin::size(id);
  const QRectF pill(1, 4, s.width() - 2, 13);
  metalPill(p, pill, 6.5);
  const QPointF c = pill.center();
  p.save();
  p.setPen(symbolPen(1.4));
  p.setBrush(Qt::NoBrush);
  if (id == Picture::Repetir) {
    p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 3, 12, 6), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAqua);
    p.drawPolygon(QPolygonF({c + QPointF(1, -5.5), c + QPointF(4, -3), c + QPointF(1, -0.5)}));
  } else {
    p.drawLine(c + QPointF(-6, -3), c + QPointF(3, 3));
    p.drawLine(c + QPointF(-6, 3), c + QPointF(3, -3));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAqua);
    p.drawPolygon(QPolygonF({c + QPointF(2, -5.5), c + QPointF(6.5, -3), c + QPointF(2, -0.5)}));
    p.drawPolygon(QPolygonF({c + QPointF(2, 0.5), c + QPointF(6.5, 3), c + QPointF(2, 5.5)}));
  }
  p.restore();
}

void smallButton(QPainter& p, Picture id) {
  const QSize s = Skin::size(id);
  const QRectF r(1, 1.5, s.width() - 2, s.height() - 3);
  metalPill(p, r, 4);
  p.save();
  if (id == Picture::Fx || id == Picture::Info) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(id == Picture::Fx ? 9 : 10);
    f.setBold(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(f);
    QPainterPath text;
    const QString t = id == Picture::Fx ? QStringLiteral("FX") : QStringLiteral("i");
    const QRectF box = QFontMetricsF(f).tightBoundingRect(t);
    text.addText(r.center() - box.center(), f, t);
    glowPath(p, text);
    if (id == Picture::Info) {
      p.setPen(symbolPen(1.1));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(r.center(), 5.2, 5.2);
    }
  } else {
    // Playlist: rows of a list.
    p.setPen(symbolPen(1.2));
    const QPointF c = r.center();
    for (int i = -1; i <= 1; ++i) {
      const qreal y = c.y() + i * 3;
      p.drawPoint(QPointF(c.x() - 6, y));
      p.drawLine(QPointF(c.x() - 3.5, y), QPointF(c.x() + 6, y));
    }
  }
  p.restore();
}

// Tiny title-bar buttons (11 x 10) and the playlist's corner buttons.
void windowButton(QPainter& p, Picture id) {
  const QSize s = Skin::size(id);
  // The playlist's buttons are cut to their outline, which needs a transparent border.
  const bool cut = id == Picture::PlMenu || id == Picture::PlMaximizar || id == Picture::PlCerrar;
  const qreal inset = cut ? 1.5 : 0.5;
  const QRectF r(inset, inset, s.width() - 2 * inset, s.height() - 2 * inset);
  p.save();
  p.setPen(QPen(colour::kOutline, 1));
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(88, 98, 112));
  g.setColorAt(1, QColor(36, 40, 47));
  p.setBrush(g);
  p.drawRoundedRect(r, 2.2, 2.2);
  const QPointF c = r.center();
  const qreal k = std::min(r.width(), r.height()) / 10.0;  // symbol scale
  const QColor ink =
      (id == Picture::Cerrar || id == Picture::PlCerrar) ? QColor(255, 140, 120) : colour::kSymbol;
  p.setPen(symbolPen(1.2 * std::max(1.0, k * 0.9), ink));
  p.setBrush(Qt::NoBrush);
  switch (id) {
    case Picture::Menu:
      // Too small for lines: a caret that opens downward.
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawPolygon(QPolygonF({c + QPointF(-3, -1.5), c + QPointF(3, -1.5), c + QPointF(0, 2)}));
      break;
    case Picture::PlMenu:
      for (int i = -1; i <= 1; ++i) {
        p.drawLine(c + QPointF(-2.6 * k, i * 2.2 * k), c + QPointF(2.6 * k, i * 2.2 * k));
      }
      break;
    case Picture::Minimizar:
      p.drawLine(c + QPointF(-2.5 * k, 2 * k), c + QPointF(2.5 * k, 2 * k));
      break;
    case Picture::Maximizar:
    case Picture::PlMaximizar:
      p.drawRect(QRectF(c.x() - 2.5 * k, c.y() - 2.2 * k, 5 * k, 4.4 * k));
      break;
    case Picture::Cerrar:
    case Picture::PlCerrar:
      p.drawLine(c + QPointF(-2.2 * k, -2.2 * k), c + QPointF(2.2 * k, 2.2 * k));
      p.drawLine(c + QPointF(-2.2 * k, 2.2 * k), c + QPointF(2.2 * k, -2.2 * k));
      break;
    default:
      break;
  }
  p.restore();
}

void knob(QPainter& p, Picture id) {
  const QSize s = Skin::size(id);
  const QRectF r(0, 0, s.width(), s.height());
  metalPill(p, r, s.height() / 2.0);
  p.save();
  const QPointF c = r.center();
  if (id == Picture::PositionKnob) {
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    for (qreal dx : {-7.0, -4.0, 4.0, 7.0}) {
      p.drawLine(QPointF(c.x() + dx, 2), QPointF(c.x() + dx, s.height() - 2));
    }
    p.setPen(symbolPen(1.4));
    p.drawLine(QPointF(c.x(), 2.2), QPointF(c.x(), s.height() - 2.2));
  } else {
    p.setPen(symbolPen(1.2));
    p.drawLine(QPointF(c.x(), 1.8), QPointF(c.x(), s.height() - 1.8));
  }
  p.restore();
}

void dot(QPainter& p) {
  QRadialGradient g(QPointF(1, 1), 1.5);
  g.setColorAt(0, QColor(220, 255, 240));
  g.setColorAt(1, QColor(90, 255, 170));
  p.fillRect(QRectF(0, 0, 2, 2), g);
}

void corner(QPainter& p) {
  p.save();
  for (int i = 0; i < 4; ++i) {
    const qreal o = 5 + i * 4;
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.2));
    p.drawLine(QPointF(o, 17), QPointF(17, o));
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(QPointF(o + 1, 17.5), QPointF(17.5, o + 1));
  }
  p.restore();
}

void playlistTitle(QPainter& p) {
  const QSize s = Skin::size(Picture::PlTitle);
  const QRectF r(1, 2, s.width() - 2, s.height() - 4);
  recess(p, r, 4, QColor(6, 18, 25));
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(8);
  f.setBold(true);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
  f.setHintingPreference(QFont::PreferNoHinting);
  p.save();
  p.setFont(f);
  p.setPen(colour::kAqua);
  p.drawText(r, Qt::AlignCenter, QStringLiteral("LISTA DE CANCIONES"));
  p.restore();
}

}  // namespace

void drawGlyph(Picture id, QPainter& p) {
  switch (id) {
    case Picture::Anterior:
    case Picture::Reproducir:
    case Picture::Pausa:
    case Picture::Stop:
    case Picture::Siguiente:
      transport(p, id);
      break;
    case Picture::Silencio:
    case Picture::Silencio2:
      speaker(p, id == Picture::Silencio2);
      break;
    case Picture::Repetir:
    case Picture::Random:
      repeatOrRandom(p, id);
      break;
    case Picture::Playlist:
    case Picture::Info:
    case Picture::Fx:
      smallButton(p, id);
      break;
    case Picture::Menu:
    case Picture::Minimizar:
    case Picture::Maximizar:
    case Picture::Cerrar:
    case Picture::PlMenu:
    case Picture::PlMaximizar:
    case Picture::PlCerrar:
      windowButton(p, id);
      break;
    case Picture::PositionKnob:
    case Picture::VolumeKnob:
    case Picture::MiniPositionKnob:
      knob(p, id);
      break;
    case Picture::Dot:
      dot(p);
      break;
    case Picture::PlCorner:
      corner(p);
      break;
    case Picture::PlTitle:
      playlistTitle(p);
      break;
    default:
      break;
  }
}

QImage noImage() {
  return render(QSize(261, 215), 1, [](QPainter& p) {
    QLinearGradient g(0, 0, 0, 215);
    g.setColorAt(0, QColor(34, 39, 47));
    g.setColorAt(1, QColor(14, 16, 20));
    p.fillRect(QRectF(0, 0, 261, 215), g);
    const QPointF c(130.5, 92);
    QRadialGradient disc(c, 62);
    disc.setColorAt(0, QColor(60, 68, 80));
    disc.setColorAt(0.25, QColor(20, 22, 26));
    disc.setColorAt(0.27, QColor(48, 54, 64));
    disc.setColorAt(1, QColor(18, 20, 24));
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(disc);
    p.drawEllipse(c, 62, 62);
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    p.setBrush(Qt::NoBrush);
    for (int r = 24; r < 60; r += 5) p.drawEllipse(c, r, r);
    p.setBrush(colour::kAquaDim);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 15, 15);
    p.setBrush(QColor(10, 12, 14));
    p.drawEllipse(c, 3, 3);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(150, 172, 194));
    p.drawText(QRectF(0, 166, 261, 30), Qt::AlignCenter, QStringLiteral("Sin imagen"));
  });
}

}  // namespace skingen
