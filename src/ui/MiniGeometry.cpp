#include "ui/MiniGeometry.h"

#include <algorithm>

namespace vemla::ui {

SnapPoint MiniGeometry::snapToScreen(SnapPoint pos, int screenWidth) {
  if (pos.x < kEdge) pos.x = 0;
  if (pos.y < kEdge) pos.y = -3;
  if (pos.x + kWidth > screenWidth - kEdge) pos.x = screenWidth - kWidth + 1;
  return pos;
}

int MiniGeometry::knobForCursor(int cursorX) { return std::clamp(cursorX - 6, kKnobMin, kKnobMax); }

std::int64_t MiniGeometry::seekSecondsForKnob(int knobLeft, std::int64_t lengthSeconds) {
  return (static_cast<std::int64_t>(knobLeft) - 24) * lengthSeconds / 78;
}

int MiniGeometry::trayVolumePercent(int knobLeft, int trackLeft, int trackWidth) {
  const int travel = trackWidth - 8;
  if (travel <= 0) return 0;
  int p = (knobLeft - trackLeft) * 100 / travel;
  if (p != 0 && p != 100) p += 1;
  return p;
}

}  // namespace vemla::ui
