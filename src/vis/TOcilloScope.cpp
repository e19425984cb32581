#include "vis/TOcilloScope.h"

namespace vemla::vis {

// Outline of a frame:
// 1. Clear to the background colour when asked.
// 2. Points k = 0..256 at (x + k, y + Trunc(v / 131070 * scale)), v the sum of both channels of
//    word k * step.
// 3. Join them by mode: lines from point to point, strokes from the zero line, or single pixels.

TOcilloScope::TOcilloScope(int width, int height) : canvas_(bitmap_, width, height) {}

const QImage& TOcilloScope::Draw(const WaveData& data, int x, int y) {
  constexpr int kPoints = 257;
  canvas_.begin();
  if (clearEachFrame) canvas_.fill(colorRefToRgb(backColor));
  const QRgb pen = colorRefToRgb(penColor);

  canvas_.moveTo(x, y + deflection(sampleSum(data, 0), scale));
  for (int k = 1; k < kPoints; ++k) {
    const int px = x + k;
    const int py = y + deflection(sampleSum(data, static_cast<long>(k) * step), scale);
    canvas_.tracePoint(drawMode, px, y, px, py, pen);
  }
  return bitmap_;
}

}  // namespace vemla::vis
