#pragma once
// The mini window's arithmetic in whole pixels and seconds, and the volume figure of the tray
// menu; no widgets.
//
// 1. Dropping the window: Left < 20 -> 0; Top < 20 -> -3 (not 0); a right edge (Left + 150)
//    within 20 pixels of the screen's right side -> Left = screen width - 149, one pixel past
//    the edge. The bottom edge does not snap.
// 2. The knob follows the cursor: Left = cursor x in the window - 6, clamped to 25...100.
// 3. Seeking: seconds = (knob Left - 24) x length div 78. The counter puts the knob at
//    elapsed x 78 div length + 25 (TimeDisplay::miniKnobForPosition): the offsets 24 and 25
//    differ on purpose, one turns a place into seconds, the other seconds into a place.
// 4. Tray volume: p = (knob - track left) x 100 div (track width - 8), plus 1 unless p is 0 or
//    100, so the presets 10, 25, 50, 75 read back as themselves.
#include <cstdint>

#include "ui/WindowSnap.h"

namespace vemla::ui {

class MiniGeometry {
 public:
  static constexpr int kWidth = 150;
  static constexpr int kHeight = 100;
  static constexpr int kEdge = 20;
  static constexpr int kKnobMin = 25;
  static constexpr int kKnobMax = 100;

  // `pos` and the result are in the screen's own coordinates.
  static SnapPoint snapToScreen(SnapPoint pos, int screenWidth);
  // `cursorX` is the cursor's x in window pixels.
  static int knobForCursor(int cursorX);
  static std::int64_t seekSecondsForKnob(int knobLeft, std::int64_t lengthSeconds);
  static int trayVolumePercent(int knobLeft, int trackLeft, int trackWidth);
};

}  // namespace vemla::ui
