#include "vis/TSpectrum.h"

#include <cmath>

namespace vemla::vis {

// Outline of a frame, column i = 0..128 in order:
// 1. h = Trunc(|value(5 + i * step)| * 500), at most maxHeight.
// 2. Peak and bar rise to h at once, or else sink by peakFall / barFall, never below 0.
// 3. Mode 0: a line up from the bottom edge (the bar) and a peak pixel above it.
//    Mode 1: a peak line, then a filled column of columnWidth, at x + i * (columnWidth + 1).
//    Other modes draw nothing, but peaks and bars still move.

TSpectrum::TSpectrum(int width, int height) : canvas_(bitmap_, width, height) {}

namespace {
int barHeight(float value, int maxHeight) {
  double h = std::fabs(static_cast<double>(value)) * 500.0;
  if (std::isnan(h)) h = 0;  // a broken value shows as silence
  if (h >= static_cast<double>(maxHeight) + 1.0) return maxHeight;
  const int t = static_cast<int>(h);
  return t > maxHeight ? maxHeight : t;
}
}  // namespace

const QImage& TSpectrum::Draw(const SpectrumData& data, int x, int y) {
  canvas_.begin();
  if (clearEachFrame) canvas_.fill(colorRefToRgb(backColor));
  const QRgb pen = colorRefToRgb(penColor);
  const QRgb peakPen = colorRefToRgb(peakColor);
  const int bottom = y + canvas_.height();

  for (int i = 0; i < kColumns; ++i) {
    const long index = kFirstValue + static_cast<long>(i) * step;
    const float value =
        index >= 0 && index < kSpectrumValues ? data[static_cast<size_t>(index)] : 0.0f;
    const int h = barHeight(value, maxHeight);

    int& peak = peaks[static_cast<size_t>(i)];
    int& bar = bars[static_cast<size_t>(i)];
    peak = h >= peak ? h : peak - peakFall;
    bar = h >= bar ? h : bar - barFall;
    if (peak < 0) peak = 0;
    if (bar < 0) bar = 0;

    if (drawMode == 0) {
      const int c = x + i;
      // The line from the bottom edge up to, but not including, bottom - bar.
      canvas_.fillRect(c, bottom - bar + 1, c + 1, bottom + 1, pen);
      canvas_.moveTo(c, bottom - bar);
      if (showPeaks) canvas_.setPixel(c, bottom - peak, pen);
    } else if (drawMode == 1) {
      const int c = x + i * (columnWidth + 1);
      if (showPeaks) {
        canvas_.moveTo(c, bottom - peak);
        canvas_.lineTo(c + columnWidth, bottom - peak, peakPen);
      }
      canvas_.fillRect(c, bottom - bar, c + columnWidth, bottom, pen);
    }
  }
  return bitmap_;
}

}  // namespace vemla::vis
