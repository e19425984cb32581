// Outline tracing.
//  1. The background is the colour of pixel (0, 0); pixels outside the picture are never
//     background.
//  2. Start at the first non-background pixel in row order.
//  3. From the current pixel C try up to 8 directions counter-clockwise, beginning one past the
//     direction of the last move: step to N1 = C + step(d) when N1 is not the vertex stored
//     before C, N1 is shape and N2 = C + step(d + 1) is background. This walks the outline
//     clockwise on screen.
//  4. Store every pixel reached; a pixel in line (same x or same y) with the two stored before
//     it replaces the last one, so straight runs keep only their ends.
//  5. Stop back at the start, when no direction moves, when the list is full, or after
//     8 x width x height steps (a one-pixel tip can keep the walk from ever returning).
#include "vis/GenRegion.h"

#include <algorithm>

namespace vemla::vis {
namespace {

constexpr int kStepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kStepY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

class Picture {
 public:
  explicit Picture(const QImage& image)
      : image_(image.format() == QImage::Format_ARGB32 ? image
                                                        : image.convertToFormat(
                                                              QImage::Format_ARGB32)),
        background_(image_.pixel(0, 0)) {}

  int width() const { return image_.width(); }
  int height() const { return image_.height(); }
  bool isBackground(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return false;
    return image_.pixel(x, y) == background_;
  }

 private:
  QImage image_;
  QRgb background_;
};

}  // namespace

int GenRegion(VertexList& vertices, const QImage& image, int offsetX, int offsetY) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return -1;
  const Picture picture(image);
  const int w = picture.width();
  const int h = picture.height();

  Vertex c;
  bool found = false;
  for (int y = 0; y < h && !found; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!picture.isBackground(x, y)) {
        c = {x, y};
        found = true;
        break;
      }
    }
  }
  if (!found) return -1;

  const Vertex start = c;
  const long long maxSteps = 8LL * w * h;
  int last = -1;  // index of the last stored vertex
  int d = 0;
  for (long long step = 0; step < maxSteps; ++step) {
    if (last >= 1 && ((c.x == vertices[last].x && c.x == vertices[last - 1].x) ||
                      (c.y == vertices[last].y && c.y == vertices[last - 1].y))) {
      vertices[last] = c;
    } else {
      vertices[++last] = c;
    }

    bool moved = false;
    for (int tries = 0; tries < 8; ++tries) {
      const Vertex n1{c.x + kStepX[d], c.y + kStepY[d]};
      const int d2 = (d + 1) % 8;
      const bool isPrevious = last >= 1 && n1 == vertices[last - 1];
      if (!moved && !isPrevious && !picture.isBackground(n1.x, n1.y) &&
          picture.isBackground(c.x + kStepX[d2], c.y + kStepY[d2])) {
        c = n1;
        moved = true;
      }
      d = d2;
      if (moved) break;
    }
    if (!moved || c == start || last == kMaxVertices - 1) break;
  }

  if (offsetX != 0 || offsetY != 0) {
    for (int i = 0; i <= last; ++i) {
      vertices[i].x += offsetX;
      vertices[i].y += offsetY;
    }
  }
  return last;
}

QPolygon outlinePolygon(const VertexList& vertices, int count) {
  QPolygon polygon;
  count = std::clamp(count, 0, kMaxVertices);
  polygon.reserve(count);
  for (int i = 0; i < count; ++i) polygon << QPoint(vertices[i].x, vertices[i].y);
  return polygon;
}

QRegion outlineRegion(const VertexList& vertices, int count) {
  const QPolygon polygon = outlinePolygon(vertices, count);
  if (polygon.size() < 2) return {};
  // A polygon region holds the pixels left of and above its right and bottom edges; the
  // union with its copies moved one pixel right and down also holds the edge pixels, and
  // the edge pixels themselves are added so thin lines never vanish.
  QRegion region(polygon, Qt::OddEvenFill);
  region += QRegion(polygon.translated(1, 0), Qt::OddEvenFill);
  region += QRegion(polygon.translated(0, 1), Qt::OddEvenFill);
  region += QRegion(polygon.translated(1, 1), Qt::OddEvenFill);
  for (int i = 0; i < polygon.size(); ++i) {
    const QPoint a = polygon[i];
    const QPoint b = polygon[(i + 1) % polygon.size()];
    const int dx = b.x() - a.x();
    const int dy = b.y() - a.y();
    if (dx == 0 || dy == 0) {
      region += QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                      QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    } else {
      region += QRect(a, QSize(1, 1));
    }
  }
  return region;
}

}  // namespace vemla::vis
