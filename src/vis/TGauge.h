#pragma once
#include <QImage>
#include <cstdint>

#include "vis/Canvas.h"

namespace vemla::vis {

// A horizontal progress bar without text, painted into its own image of the control's size.
class TGauge {
 public:
  // The range comes from the window's layout and is fixed afterwards; maxValue below minValue is
  // taken as an empty range.
  TGauge(int width, int height, int minValue = 0, int maxValue = 100);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  int Progress() const { return progress_; }
  // Clamps to the range; returns true when the picture changed (only a new percentage repaints).
  bool SetProgress(int value);
  // Trunc((Progress - MinValue) * 100 / (MaxValue - MinValue)), 0 for an empty range.
  int PercentDone() const;

  uint32_t ForeColor() const { return foreColor_; }
  uint32_t BackColor() const { return backColor_; }
  bool BorderSingle() const { return borderSingle_; }
  // Each returns true when the value changed and the gauge was repainted.
  bool SetForeColor(uint32_t color);
  bool SetBackColor(uint32_t color);
  bool SetBorderSingle(bool single);

  const QImage& image() const { return bitmap_; }
  // How often the picture was painted; lets callers see that unchanged levels cost nothing.
  int paintCount() const { return paintCount_; }

 private:
  void paint();

  QImage bitmap_;
  Canvas canvas_;
  int minValue_;
  int maxValue_;
  int progress_;
  uint32_t foreColor_ = 0x000000;  // black
  uint32_t backColor_ = 0xFFFFFF;  // white
  bool borderSingle_ = true;
  int paintCount_ = 0;
};

}  // namespace vemla::vis
