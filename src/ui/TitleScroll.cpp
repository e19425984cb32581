#include "ui/TitleScroll.h"

namespace vemla::ui {

TitleScrollStep TitleScroll::tick(TitleScrollState& s, int length, int window) {
  TitleScrollStep step;
  if (!scrolls(length, window)) {
    s = TitleScrollState{};
    step.keepRunning = false;
    return step;
  }
  const int lastTurn = length - window;  // the normal turning point of the forward run
  if (s.offset > lastTurn) s.offset = lastTurn;
  if (!s.backwards) {
    ++s.offset;
    if (length <= s.offset + window) {
      step.intervalMs = kTurnPauseMs;
      s.backwards = true;
    }
  } else {
    if (s.offset > 1) --s.offset;
    if (s.offset <= 1) {
      s.offset = 1;
      s.backwards = false;
      step.intervalMs = kTurnPauseMs;
    }
  }
  step.firstChar = s.offset;
  return step;
}

}  // namespace vemla::ui
