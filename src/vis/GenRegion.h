#pragma once
// Outline tracing for skinned windows and buttons: the shape of a picture's non-background
// pixels becomes a polygon that the window system cuts the window to.
#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRegion>
#include <array>
#include <cstdint>

namespace vemla::vis {

struct Vertex {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Vertex& o) const { return x == o.x && y == o.y; }
};

// Room for indices 0..1024.
constexpr int kMaxVertices = 1025;
using VertexList = std::array<Vertex, kMaxVertices>;

// Traces the outline of the first shape (in row order) whose pixels differ from the colour of
// pixel (0, 0), clockwise on screen, and adds (offsetX, offsetY) to every stored vertex.
// Returns the index of the last stored vertex, or -1 when every pixel is background.
// A pixel outside the picture never counts as background. The walk is bounded, so it ends on
// every picture (a one-pixel tip can keep it from ever returning to its start).
int GenRegion(VertexList& vertices, const QImage& picture, int offsetX, int offsetY);

// The polygon of vertices 0..count-1 (the closing edge runs from count-1 back to 0).
QPolygon outlinePolygon(const VertexList& vertices, int count);

// The pixels that the polygon of vertices 0..count-1 covers, boundary pixels included: the
// vertices are pixel positions, so the right and bottom edges of the shape must stay visible.
QRegion outlineRegion(const VertexList& vertices, int count);

}  // namespace vemla::vis
