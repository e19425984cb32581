#pragma once
#include <QImage>
#include <array>
#include <cstdint>

#include "vis/Canvas.h"
#include "vis/VisData.h"

namespace vemla::vis {

// Bars of FFT magnitudes with falling peaks. Bar and peak heights persist between frames (and
// across songs): a quiet frame lets them sink by barFall / peakFall pixels.
class TSpectrum {
 public:
  static constexpr int kColumns = 129;
  static constexpr int kFirstValue =
      5;  // the lowest bins, the constant part included, are not shown

  TSpectrum(int width, int height);

  // Paints one frame with its bottom-left corner at (x, y + height) and returns it.
  const QImage& Draw(const SpectrumData& data, int x, int y);
  const QImage& frame() const { return bitmap_; }

  uint32_t backColor = 0;
  int maxHeight = 100;  // upper limit of a bar value, pixels
  uint32_t penColor = 0xFFFFFF;
  uint32_t peakColor = 0x00FFFF;
  int drawMode = 0;  // 0 one-pixel lines, 1 solid columns, 2 nothing drawn
  int step = 1;      // use every step-th value
  bool clearEachFrame = true;
  int peakFall = 1;
  int barFall = 3;
  int columnWidth = 5;  // solid columns, one pixel apart
  bool showPeaks = true;
  std::array<int, kColumns> peaks{};
  std::array<int, kColumns> bars{};

 private:
  QImage bitmap_;
  Canvas canvas_;
};

}  // namespace vemla::vis
