#pragma once
#include <QImage>
#include <cstdint>

#include "vis/Canvas.h"
#include "vis/VisData.h"

namespace vemla::vis {

// Waveform trace of the sum of both channels, one point per sample word.
class TOcilloScope {
 public:
  TOcilloScope(int width, int height);

  // Paints one frame around the zero line at (x, y) and returns it.
  const QImage& Draw(const WaveData& data, int x, int y);
  const QImage& frame() const { return bitmap_; }

  // Colours are 0x00BBGGRR values.
  uint32_t backColor = 0;
  int scale = 50;  // a full-scale signal on both channels deflects by about scale / 2 pixels
  uint32_t penColor = 0xFFFFFF;
  int drawMode = 0;  // 0 lines, 1 vertical strokes from the zero line, 2 pixels
  int step = 1;      // use every step-th sample word
  bool clearEachFrame = true;

 private:
  QImage bitmap_;
  Canvas canvas_;
};

}  // namespace vemla::vis
