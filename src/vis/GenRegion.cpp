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
//  5. Stop back at the start, when no direction moves, or when the list is full. Steps that
//     only replace the last vertex can go on forever on one-pixel lines, so the walk also
//     stops after 8 x width x height steps in a row that store no new vertex.
//  Outside the picture is never background, but the walk never steps out of the picture;
//  pictures keep a background border so their outline never runs along the edge.
#include "vis/GenRegion.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace vemla::vis {
namespace {

constexpr int kStepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kStepY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

// Reads the pixels straight from the scan lines: the walk asks about every neighbour of every
// outline pixel, and QImage::pixel's per-call checks were most of the window's shape at start.
class Picture {
 public:
  explicit Picture(const QImage& image)
      : image_(image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                   ? image
                   : image.convertToFormat(QImage::Format_ARGB32)),
        bits_(image_.constBits()),
        stride_(image_.bytesPerLine()),
        width_(image_.width()),
        height_(image_.height()),
        background_(at(0, 0)) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  bool isBackground(int x, int y) const { return contains(x, y) && at(x, y) == background_; }

 private:
  QRgb at(int x, int y) const {
    return reinterpret_cast<const QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_)[x];
  }

  QImage image_;
  const uchar* bits_;
  qsizetype stride_;
  int width_;
  int height_;
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
  const long long maxIdleSteps = 8LL * w * h;
  long long idleSteps = 0;
  int last = -1;  // index of the last stored vertex
  int d = 0;
  for (;;) {
    if (last >= 1 && ((c.x == vertices[last].x && c.x == vertices[last - 1].x) ||
                      (c.y == vertices[last].y && c.y == vertices[last - 1].y))) {
      vertices[last] = c;
      if (++idleSteps > maxIdleSteps) break;
    } else {
      vertices[++last] = c;
      idleSteps = 0;
    }

    bool moved = false;
    for (int tries = 0; tries < 8; ++tries) {
      const Vertex n1{c.x + kStepX[d], c.y + kStepY[d]};
      const int d2 = (d + 1) % 8;
      const bool isPrevious = last >= 1 && n1 == vertices[last - 1];
      if (!moved && !isPrevious && picture.contains(n1.x, n1.y) &&
          !picture.isBackground(n1.x, n1.y) &&
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
  // The vertices are pixel positions, so the region is every pixel whose position lies inside
  // the polygon or on its edges (a plain polygon fill would drop the right and bottom edges).
  const QPolygon polygon = outlinePolygon(vertices, count);
  const int n = polygon.size();
  if (n < 2) return {};
  const QRect bounds = polygon.boundingRect();
  std::vector<QRect> rects;
  std::vector<std::pair<int, int>> spans;
  std::vector<std::pair<int, int>> merged;
  std::vector<std::pair<int, int>> previous;
  std::vector<double> crossings;
  size_t bandStart = 0;
  for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
    spans.clear();
    crossings.clear();
    for (int i = 0; i < n; ++i) {
      const QPoint a = polygon[i];
      const QPoint b = polygon[(i + 1) % n];
      const int dx = b.x() - a.x();
      const int dy = b.y() - a.y();
      // The edge's own pixel positions on this row.
      if (dy == 0) {
        if (a.y() == y) spans.emplace_back(std::min(a.x(), b.x()), std::max(a.x(), b.x()));
        continue;
      }
      if (y < std::min(a.y(), b.y()) || y > std::max(a.y(), b.y())) continue;
      if ((y - a.y()) * dx % dy == 0) {
        const int x = a.x() + (y - a.y()) * dx / dy;
        spans.emplace_back(x, x);
      }
      // Even-odd crossings, each edge counted half-open so shared vertices count once.
      if ((a.y() <= y && y < b.y()) || (b.y() <= y && y < a.y())) {
        crossings.push_back(a.x() + double(y - a.y()) * dx / dy);
      }
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int x0 = static_cast<int>(std::ceil(crossings[i]));
      const int x1 = static_cast<int>(std::floor(crossings[i + 1]));
      if (x0 <= x1) spans.emplace_back(x0, x1);
    }
    std::sort(spans.begin(), spans.end());
    merged.clear();
    for (const auto& span : spans) {
      if (!merged.empty() && span.first <= merged.back().second + 1) {
        merged.back().second = std::max(merged.back().second, span.second);
      } else {
        merged.push_back(span);
      }
    }
    // Equal neighbouring rows share one band of rectangles.
    if (y > bounds.top() && merged == previous) {
      for (size_t i = bandStart; i < rects.size(); ++i) rects[i].setBottom(y);
      continue;
    }
    bandStart = rects.size();
    for (const auto& [x0, x1] : merged) rects.emplace_back(QPoint(x0, y), QPoint(x1, y));
    previous.swap(merged);
  }
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace vemla::vis
