#pragma once
#include <QImage>
#include <cstdint>

#include "vis/Canvas.h"
#include "vis/VisData.h"

namespace vemla::vis {

// A closed figure around a centre whose radius follows the waveform.
class TCircleScope {
 public:
  TCircleScope(int width, int height);

  // Paints one frame around the centre (x, y) and returns it.
  const QImage& Draw(const WaveData& data, int x, int y);
  const QImage& frame() const { return bitmap_; }

  uint32_t backColor = 0;
  int radius = 30;  // radius for silence, pixels
  int scale = 30;   // a full-scale signal on both channels changes the radius by about scale / 2
  uint32_t penColor = 0xFFFFFF;
  int drawMode = 0;  // 0 outline, 1 spokes from the centre, 2 pixels
  int step = 2;
  bool clearEachFrame = true;

 private:
  QImage bitmap_;
  Canvas canvas_;
};

}  // namespace vemla::vis
