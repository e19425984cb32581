#include "ui/PlaylistSnap.h"

namespace vemla::ui {

namespace {
constexpr int kEdge = 20;
constexpr int kDock = 30;
bool near(int value, int target) { return target - kDock < value && value < target + kDock; }
}  // namespace

PlaylistSnapResult snapPlaylist(int left, int top, int width, int height, int mainLeft, int mainTop,
                                int mainWidth, int mainHeight, int screenWidth) {
  PlaylistSnapResult r{left, top, false};
  if (r.left < kEdge) r.left = -3;
  if (r.top < kEdge) r.top = -3;
  if (r.left + width > screenWidth - kEdge) r.left = screenWidth - width + 5;
  const int mainRight = mainLeft + mainWidth;
  const int mainBottom = mainTop + mainHeight;
  if (near(r.left, mainRight)) {
    r.left = mainRight - 7;
    r.docked = true;
  }
  if (near(r.top, mainBottom)) {
    r.top = mainBottom - 7;
    r.docked = true;
  }
  if (near(r.left + width, mainLeft)) {
    r.left = mainLeft - width + 5;
    r.docked = true;
  }
  if (near(r.top + height, mainTop)) {
    r.top = mainTop - height + 2;
    r.docked = true;
  }
  return r;
}

}  // namespace vemla::ui
