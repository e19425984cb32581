#pragma once
// Where the main window lands when a drag ends, in whole screen pixels; no widgets involved.
//
// 1. Screen edges: Left < 20 -> 0; Top < 20 -> -3; a right edge (Left + 345) within 20 pixels
//    of the screen's right side -> Left = screen width - 345 + 4.
// 2. Docked: the playlist window follows by the same offset the main window moved.
// 3. Not docked: four one-axis snaps against the playlist window, strict 30-pixel windows, each
//    docking when it applies: our right edge to its left edge, our left edge to its right edge,
//    our bottom to its top, our top to its bottom. Nothing here ever undocks.

namespace vemla::ui {

struct SnapPoint {
  int x = 0;
  int y = 0;
};

struct SnapRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct MainDragResult {
  SnapPoint main;      // the main window's new Left, Top
  SnapPoint playlist;  // the playlist window's new Left, Top
  bool docked = false;
};

class WindowSnap {
 public:
  // Width and height of the main window's background picture `Image1`.
  static constexpr int kMainWidth = 345;
  static constexpr int kMainHeight = 175;
  static constexpr int kEdge = 20;
  static constexpr int kDock = 30;

  static SnapPoint snapToScreen(SnapPoint pos, int screenWidth);

  // `before` is where the drag started, `after` where the mouse let go. `playlist` is the
  // playlist window's place and the size of its skin picture.
  static MainDragResult endMainDrag(SnapPoint before, SnapPoint after, int screenWidth,
                                    SnapRect playlist, bool docked);
};

}  // namespace vemla::ui
