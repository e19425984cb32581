#include "vis/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace vemla::vis {

Canvas::Canvas(QImage& image, int width, int height)
    : image_(image), width_(std::max(width, 0)), height_(std::max(height, 0)) {
  image_ = QImage(width_, height_, QImage::Format_RGB32);
  image_.fill(colorRefToRgb(0));
}

void Canvas::begin() {
  if (image_.isNull()) {
    bits_ = nullptr;
    return;
  }
  bits_ = reinterpret_cast<uint32_t*>(image_.bits());
  stride_ = static_cast<int>(image_.bytesPerLine() / 4);
}

void Canvas::fill(QRgb color) { fillRect(0, 0, width_, height_, color); }

void Canvas::fillRect(int left, int top, int right, int bottom, QRgb color) {
  if (!bits_) return;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  if (right - left == 1) {
    // A single column (the spectrum's bars): one store per row.
    for (int y = top; y < bottom; ++y) bits_[static_cast<ptrdiff_t>(y) * stride_ + left] = color;
    return;
  }
  for (int y = top; y < bottom; ++y) {
    uint32_t* row = bits_ + static_cast<ptrdiff_t>(y) * stride_;
    std::fill(row + left, row + std::max(left, right), color);
  }
}

void Canvas::setPixel(int x, int y, QRgb color) {
  if (bits_ && x >= 0 && y >= 0 && x < width_ && y < height_)
    bits_[static_cast<ptrdiff_t>(y) * stride_ + x] = color;
}

void Canvas::moveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void Canvas::tracePoint(int mode, int fromX, int fromY, int x, int y, QRgb color) {
  switch (mode) {
    case 0:
      lineTo(x, y, color);
      break;
    case 1:
      moveTo(fromX, fromY);
      lineTo(x, y, color);
      break;
    case 2:
      setPixel(x, y, color);
      break;
    default:
      break;
  }
}

void Canvas::lineTo(int x, int y, QRgb color) {
  // Bresenham over the major axis, stopping one step short of the end point.
  int x0 = penX_, y0 = penY_;
  penX_ = x;
  penY_ = y;
  const int dx = std::abs(x - x0), dy = std::abs(y - y0);
  const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
  const int steps = std::max(dx, dy);
  if (steps == 0 || !bits_) return;
  // A segment wholly beside the image on one side draws nothing.
  if ((x0 < 0 && x < 0) || (y0 < 0 && y < 0) || (x0 >= width_ && x >= width_) ||
      (y0 >= height_ && y >= height_))
    return;
  int err = (dx >= dy ? dx : dy) / 2;
  for (int i = 0; i < steps; ++i) {
    setPixel(x0, y0, color);
    if (dx >= dy) {
      x0 += sx;
      err -= dy;
      if (err < 0) {
        y0 += sy;
        err += dx;
      }
    } else {
      y0 += sy;
      err -= dx;
      if (err < 0) {
        x0 += sx;
        err += dy;
      }
    }
  }
}

}  // namespace vemla::vis
