#include "vis/TGauge.h"

#include <algorithm>

namespace vemla::vis {

// Outline of a repaint:
// 1. Fill black; the inner rectangle is the client area, inset by 1 pixel with a single border.
// 2. Fill the inner rectangle with BackColor.
// 3. f = Trunc(W * P * 0.01) for the inner width W; ForeColor fills from the inner top-left
//    corner to (f, H), right and bottom excluded, so a gauge at P = 1 still shows no fore part.

TGauge::TGauge(int width, int height, int minValue, int maxValue)
    : canvas_(bitmap_, width, height),
      minValue_(minValue),
      maxValue_(std::max(minValue, maxValue)),
      progress_(minValue) {
  paint();
}

bool TGauge::SetProgress(int value) {
  value = std::clamp(value, minValue_, maxValue_);
  if (value == progress_) return false;
  const int before = PercentDone();
  progress_ = value;
  if (PercentDone() == before) return false;
  paint();
  return true;
}

int TGauge::PercentDone() const {
  if (maxValue_ == minValue_) return 0;
  // 64-bit: a wide range must not overflow the product.
  return static_cast<int>(static_cast<int64_t>(progress_ - static_cast<int64_t>(minValue_)) * 100 /
                          (static_cast<int64_t>(maxValue_) - minValue_));
}

bool TGauge::SetForeColor(uint32_t color) {
  if (color == foreColor_) return false;
  foreColor_ = color;
  paint();
  return true;
}

bool TGauge::SetBackColor(uint32_t color) {
  if (color == backColor_) return false;
  backColor_ = color;
  paint();
  return true;
}

bool TGauge::SetBorderSingle(bool single) {
  if (single == borderSingle_) return false;
  borderSingle_ = single;
  paint();
  return true;
}

void TGauge::paint() {
  ++paintCount_;
  canvas_.begin();
  canvas_.fill(colorRefToRgb(0));
  const int inset = borderSingle_ ? 1 : 0;
  const int left = inset, top = inset;
  const int right = canvas_.width() - inset, bottom = canvas_.height() - inset;
  canvas_.fillRect(left, top, right, bottom, colorRefToRgb(backColor_));

  const int w = right - left + 1;
  const int h = bottom - top + 1;
  int f = static_cast<int>(w * (PercentDone() * 0.01));
  f = std::min(f, w);
  if (f > 0) canvas_.fillRect(left, top, f, h, colorRefToRgb(foreColor_));
}

}  // namespace vemla::vis
