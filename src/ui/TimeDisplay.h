#pragma once
// Time texts and the position knob, as whole-number arithmetic.
//
// 1. Texts: m = s div 60, r = s mod 60, each with at least two digits; elapsed mode (1) shows
//    "mm:ss", any other mode "-mm:ss". Minutes are not limited to two digits.
// 2. Counter: the knob's left edge = elapsed whole seconds x 260 div length + 6 (length 0
//    counts as 1); the mini window's knob uses 78 and 25.
// 3. Seeking: seconds = (knob left - 5) x length div 260.
#include <cstdint>
#include <string>

namespace vemla::ui {

class TimeDisplay {
 public:
  static constexpr int kKnobMin = 6;    // Despl_pos.Left
  static constexpr int kKnobMax = 271;  // Despl_pos.Left + Despl_pos.Width - 30
  static constexpr int kKnobStep = 16;  // the 5-second skips move the knob this far

  // Negative seconds (a stream heard past its stated length) show as zero.
  static std::string timeText(std::int64_t seconds, int timeMode);

  // Whole seconds to show for a float position, exact halves to the even neighbour.
  static std::int64_t roundSeconds(double seconds);

  // What the counter shows: the position in mode 1, else what remains of `lengthSeconds`.
  static std::int64_t shownSeconds(float position, float lengthSeconds, int timeMode);

  static int clampKnob(int left);
  // Knob place for a position; kept on the bar even when the stream outlasts its entry.
  static int knobForPosition(float position, std::int64_t lengthSeconds);
  static int miniKnobForPosition(float position, std::int64_t lengthSeconds);
  static std::int64_t seekSecondsForKnob(int knobLeft, std::int64_t lengthSeconds);
};

}  // namespace vemla::ui
