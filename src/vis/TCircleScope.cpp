#include "vis/TCircleScope.h"

#include <cmath>

namespace vemla::vis {

// Outline of a frame:
// 1. Clear to the background colour when asked.
// 2. r(k) = Trunc(v(word k * step) / 131070 * scale) + radius.
// 3. Start straight below the centre at r(0); for i = 1..254 the angle i / 256 * 6.28 (a 32-bit
//    float: the figure stops a little short of a full turn) gives the point
//    (x + Trunc(sin a * r), y + Trunc(cos a * r)), joined by mode.
// 4. Close the figure back at its start.

TCircleScope::TCircleScope(int width, int height) : canvas_(bitmap_, width, height) {}

namespace {
int truncated(double d) {
  if (!(d > -2e9 && d < 2e9)) return d < 0 ? -2000000000 : 2000000000;
  return static_cast<int>(d);
}
}  // namespace

const QImage& TCircleScope::Draw(const WaveData& data, int x, int y) {
  canvas_.begin();
  if (clearEachFrame) canvas_.fill(colorRefToRgb(backColor));
  const QRgb pen = colorRefToRgb(penColor);

  const int r0 = deflection(sampleSum(data, 0), scale) + radius;
  canvas_.moveTo(x, y + r0);
  for (int i = 1; i <= 254; ++i) {
    const int r = deflection(sampleSum(data, static_cast<long>(i) * step), scale) + radius;
    const float a = static_cast<float>(i / 256.0 * 6.28);
    const int px = x + truncated(std::sin(static_cast<double>(a)) * r);
    const int py = y + truncated(std::cos(static_cast<double>(a)) * r);
    // In mode 2 the pen stays where it was: the closing line below then has nothing to draw.
    canvas_.tracePoint(drawMode, x, y, px, py, pen);
  }
  canvas_.lineTo(x, y + r0, pen);
  return bitmap_;
}

}  // namespace vemla::vis
