#pragma once
// Allocation-free drawing primitives on an RGB32 image, with the pixel rules the visualisers and
// gauges rely on: lines leave out their end point, rectangles leave out their right and bottom
// edges, and everything outside the image is clipped away.
#include <QImage>
#include <cstdint>

namespace vemla::vis {

// Colours are kept as 0x00BBGGRR values (red in the low byte) and turned into Qt's ARGB here.
constexpr QRgb colorRefToRgb(uint32_t c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

class Canvas {
 public:
  // `image` must outlive the canvas; it is (re)made RGB32 of the given size.
  Canvas(QImage& image, int width, int height);

  // Takes the pixel pointer for one frame; call before drawing (detaches the image at most once).
  void begin();

  int width() const { return width_; }
  int height() const { return height_; }

  void fill(QRgb color);
  // Fills columns left..right-1 and rows top..bottom-1.
  void fillRect(int left, int top, int right, int bottom, QRgb color);
  void setPixel(int x, int y, QRgb color);
  void moveTo(int x, int y);
  // Draws from the pen position up to, but not including, (x, y); the pen then sits at (x, y).
  void lineTo(int x, int y, QRgb color);
  // One point of a trace in the scopes' drawing modes: 0 joins it to the previous point, 1 draws
  // a spoke to it from (fromX, fromY), 2 sets it alone and leaves the pen where it was.
  void tracePoint(int mode, int fromX, int fromY, int x, int y, QRgb color);

 private:
  QImage& image_;
  int width_;
  int height_;
  uint32_t* bits_ = nullptr;
  int stride_ = 0;  // in pixels
  int penX_ = 0;
  int penY_ = 0;
};

}  // namespace vemla::vis
