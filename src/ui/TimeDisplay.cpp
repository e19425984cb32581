#include "ui/TimeDisplay.h"

#include <algorithm>
#include <cmath>

namespace vemla::ui {

namespace {
std::string twoDigits(std::int64_t v) {
  std::string s = std::to_string(v);
  return v < 10 ? "0" + s : s;
}

std::int64_t wholeSeconds(float position) {
  if (!(position > 0)) return 0;  // also catches NaN from a failed position read
  return static_cast<std::int64_t>(position);
}
}  // namespace

std::string TimeDisplay::timeText(std::int64_t seconds, int timeMode) {
  seconds = std::max<std::int64_t>(seconds, 0);
  const std::int64_t m = seconds / 60;
  const std::int64_t r = seconds - 60 * m;
  std::string text = twoDigits(m) + ":" + twoDigits(r);
  return timeMode == 1 ? text : "-" + text;
}

std::int64_t TimeDisplay::roundSeconds(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  return static_cast<std::int64_t>(std::nearbyint(seconds));  // default mode: ties to even
}

std::int64_t TimeDisplay::shownSeconds(float position, float lengthSeconds, int timeMode) {
  if (timeMode == 1) return roundSeconds(position);
  const float remaining = lengthSeconds - position;  // 32-bit, as the counter holds it
  return roundSeconds(remaining);
}

int TimeDisplay::clampKnob(int left) { return std::clamp(left, kKnobMin, kKnobMax); }

int TimeDisplay::knobForPosition(float position, std::int64_t lengthSeconds) {
  const std::int64_t d = lengthSeconds == 0 ? 1 : lengthSeconds;
  const std::int64_t left = wholeSeconds(position) * 260 / d + 6;
  return static_cast<int>(std::clamp<std::int64_t>(left, kKnobMin, kKnobMax));
}

int TimeDisplay::miniKnobForPosition(float position, std::int64_t lengthSeconds) {
  const std::int64_t d = lengthSeconds == 0 ? 1 : lengthSeconds;
  const std::int64_t left = wholeSeconds(position) * 78 / d + 25;
  return static_cast<int>(std::clamp<std::int64_t>(left, 25, 25 + 78));
}

std::int64_t TimeDisplay::seekSecondsForKnob(int knobLeft, std::int64_t lengthSeconds) {
  return static_cast<std::int64_t>(knobLeft - 5) * lengthSeconds / 260;
}

}  // namespace vemla::ui
