#include "Drawing.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>

namespace skingen {

QImage render(QSize size, int scale, const DrawFn& draw) {
  QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.scale(scale, scale);
  draw(p);
  p.end();
  return image;
}

namespace {

QRgb opaque(QRgb premultiplied) {
  const int a = qAlpha(premultiplied);
  if (a == 0) return qRgb(0, 0, 0);
  const auto un = [a](int c) { return std::min(255, c * 255 / a); };
  return qRgb(un(qRed(premultiplied)), un(qGreen(premultiplied)), un(qBlue(premultiplied)));
}

}  // namespace

void hardenShape(QImage& one, QImage& two) {
  one = one.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  two = two.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < one.height(); ++y) {
    for (int x = 0; x < one.width(); ++x) {
      const QRgb px = one.pixel(x, y);
      const bool inside = qAlpha(px) >= 128;
      one.setPixel(x, y, inside ? opaque(px) : 0);
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const int X = 2 * x + dx;
          const int Y = 2 * y + dy;
          if (X >= two.width() || Y >= two.height()) continue;
          const QRgb big = two.pixel(X, Y);
          two.setPixel(X, Y, !inside ? 0 : qAlpha(big) > 0 ? opaque(big) : opaque(px));
        }
      }
    }
  }
}

QImage onBackground(const QImage& picture, QColor background) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb bg = background.rgb();
  QImage under(out.size(), QImage::Format_ARGB32);
  under.fill(background);
  QPainter p(&under);
  p.drawImage(0, 0, out);
  p.end();
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      QRgb px = under.pixel(x, y);
      if (qAlpha(out.pixel(x, y)) == 0) {
        px = bg;
      } else if (px == bg) {
        px = qRgb(qRed(bg) ^ 1, qGreen(bg), qBlue(bg));
      }
      under.setPixel(x, y, px);
    }
  }
  return under;
}

void metalBody(QPainter& p, const QPainterPath& body, quint32 seed) {
  const QRectF r = body.boundingRect();
  p.save();
  p.setClipPath(body);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, colour::kBodyTop);
  g.setColorAt(0.45, colour::kBodyMid);
  g.setColorAt(1, colour::kBodyBottom);
  p.fillPath(body, g);
  // Brushed grain: faint horizontal strokes of varying strength, the same on every build.
  for (qreal y = r.top(); y < r.bottom(); y += 0.5) {
    seed = seed * 1664525u + 1013904223u;
    const int v = static_cast<int>((seed >> 24) % 14);
    const QColor c = (seed >> 8) & 1 ? QColor(255, 255, 255, v) : QColor(0, 0, 0, v + 4);
    p.setPen(QPen(c, 0.5));
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  // Bevel: light from the top left, shadow to the bottom right.
  QLinearGradient bevel(r.topLeft(), r.bottomRight());
  bevel.setColorAt(0, colour::kHighlight);
  bevel.setColorAt(0.5, QColor(70, 78, 90));
  bevel.setColorAt(1, colour::kShadow);
  p.strokePath(body, QPen(QBrush(bevel), 5));
  p.strokePath(body, QPen(colour::kOutline, 2.2));
  p.restore();
}

void recess(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill) {
  p.save();
  QLinearGradient rim(r.topLeft(), r.bottomRight());
  rim.setColorAt(0, QColor(0, 0, 0, 200));
  rim.setColorAt(0.55, QColor(0, 0, 0, 120));
  rim.setColorAt(1, QColor(150, 162, 178, 170));
  p.setPen(Qt::NoPen);
  p.setBrush(rim);
  p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
  p.setBrush(fill);
  p.drawRoundedRect(r, radius, radius);
  // Inner shadow along the top and left edges.
  QPainterPath inner;
  inner.addRoundedRect(r, radius, radius);
  p.setClipPath(inner);
  p.setPen(QPen(QColor(0, 0, 0, 110), 2));
  p.drawLine(QPointF(r.left(), r.top() + 0.5), QPointF(r.right(), r.top() + 0.5));
  p.drawLine(QPointF(r.left() + 0.5, r.top()), QPointF(r.left() + 0.5, r.bottom()));
  p.restore();
}

void engrave(QPainter& p, QPointF a, QPointF b) {
  p.save();
  p.setPen(QPen(QColor(0, 0, 0, 170), 1));
  p.drawLine(a, b);
  p.setPen(QPen(QColor(255, 255, 255, 38), 1));
  p.drawLine(a + QPointF(0, 1), b + QPointF(0, 1));
  p.restore();
}

void metalDisc(QPainter& p, QPointF c, qreal radius) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(colour::kOutline);
  p.drawEllipse(c, radius, radius);
  QRadialGradient g(c + QPointF(-radius * 0.35, -radius * 0.45), radius * 1.5);
  g.setColorAt(0, QColor(112, 124, 140));
  g.setColorAt(0.5, QColor(58, 65, 76));
  g.setColorAt(1, QColor(24, 27, 32));
  p.setBrush(g);
  p.drawEllipse(c, radius - 1, radius - 1);
  // A bright rim catching the light on the upper left.
  QLinearGradient rim(c - QPointF(radius, radius), c + QPointF(radius, radius));
  rim.setColorAt(0, QColor(200, 215, 230, 170));
  rim.setColorAt(0.5, QColor(200, 215, 230, 0));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(rim), 1));
  p.drawEllipse(c, radius - 1.5, radius - 1.5);
  p.restore();
}

void metalPill(QPainter& p, const QRectF& r, qreal radius) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(colour::kOutline);
  p.drawRoundedRect(r, radius, radius);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(104, 116, 132));
  g.setColorAt(0.5, QColor(56, 63, 74));
  g.setColorAt(1, QColor(30, 34, 40));
  p.setBrush(g);
  const QRectF in = r.adjusted(1, 1, -1, -1);
  p.drawRoundedRect(in, std::max(0.0, radius - 1), std::max(0.0, radius - 1));
  p.setPen(QPen(QColor(220, 232, 245, 90), 0.8));
  p.drawLine(QPointF(in.left() + radius * 0.7, in.top() + 0.6),
             QPointF(in.right() - radius * 0.7, in.top() + 0.6));
  p.restore();
}

}  // namespace skingen
