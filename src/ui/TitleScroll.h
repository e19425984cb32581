#pragma once
// One tick of a scrolling title line, counted in characters.
//
// 1. Forward: offset + 1; show from that character (1-based); once the last `window` + 1
//    characters show, pause 5000 ms and turn back.
// 2. Backward: offset - 1 down to 1; at 1 pause 5000 ms and turn forward.
// 3. Otherwise the next tick comes after 400 ms.
// `window` is 26 for the main title and 22 for the mini window's.
// A title that no longer needs scrolling (the entry changed under a running timer) shows whole
// and stops; an offset beyond the new title's end is brought back so the line never goes blank.

namespace vemla::ui {

struct TitleScrollState {
  int offset = 0;  // 1-based first character shown; 0 before the first tick
  bool backwards = false;
};

struct TitleScrollStep {
  int firstChar = 1;  // show the title from this character (1-based)
  int intervalMs = 400;
  bool keepRunning = true;
};

class TitleScroll {
 public:
  static constexpr int kMainWindow = 26;
  static constexpr int kMiniWindow = 22;
  static constexpr int kStartPauseMs = 2000;
  static constexpr int kTurnPauseMs = 5000;
  static constexpr int kStepMs = 400;

  // Whether a title of `length` characters scrolls in the main window (27 or more).
  static bool scrolls(int length, int window = kMainWindow) { return length > window; }

  static TitleScrollStep tick(TitleScrollState& s, int length, int window);
};

}  // namespace vemla::ui
