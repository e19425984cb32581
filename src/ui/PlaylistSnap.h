#pragma once
// Where the playlist window lands when its drag ends; whole screen pixels, no widgets.
//
// Each step sees the position as changed by the steps before it:
// 1. Undocked to begin with.
// 2. Left < 20 -> -3; Top < 20 -> -3.
// 3. A right edge (Left + W) past screen width - 20 -> Left = screen width - W + 5.
// 4. Left strictly within 30 of the main window's right edge MR -> Left = MR - 7, docked.
// 5. Top strictly within 30 of the main window's bottom MB -> Top = MB - 7, docked.
// 6. Our right edge strictly within 30 of the main window's left -> Left = M.left - W + 5, docked.
// 7. Our bottom strictly within 30 of the main window's top -> Top = M.top - H + 2, docked.
// Nothing clamps at the bottom of the screen.

namespace vemla::ui {

struct PlaylistSnapResult {
  int left = 0;
  int top = 0;
  bool docked = false;
};

// `mainLeft`, `mainTop`: the main window's place; `mainWidth`, `mainHeight`: its background
// picture's size. `width`, `height`: the playlist window's skin picture.
PlaylistSnapResult snapPlaylist(int left, int top, int width, int height, int mainLeft, int mainTop,
                                int mainWidth, int mainHeight, int screenWidth);

}  // namespace vemla::ui
