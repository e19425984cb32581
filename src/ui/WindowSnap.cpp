#include "ui/WindowSnap.h"

namespace vemla::ui {

namespace {
bool within(int low, int value, int high) { return low < value && value < high; }
}  // namespace

SnapPoint WindowSnap::snapToScreen(SnapPoint pos, int screenWidth) {
  if (pos.x < kEdge) pos.x = 0;
  if (pos.y < kEdge) pos.y = -3;
  if (pos.x + kMainWidth > screenWidth - kEdge) pos.x = screenWidth - kMainWidth + 4;
  return pos;
}

MainDragResult WindowSnap::endMainDrag(SnapPoint before, SnapPoint after, int screenWidth,
                                       SnapRect playlist, bool docked) {
  MainDragResult r;
  r.main = snapToScreen(after, screenWidth);
  r.playlist = {playlist.left, playlist.top};
  r.docked = docked;
  if (docked) {
    r.playlist.x += r.main.x - before.x;
    r.playlist.y += r.main.y - before.y;
    return r;
  }
  const int right = r.main.x + kMainWidth;
  const int bottom = r.main.y + kMainHeight;
  const int pl = playlist.left;
  const int pt = playlist.top;
  const int pw = playlist.width;
  const int ph = playlist.height;
  if (within(pl - kDock, right, pl + kDock)) {
    r.main.x = pl - kMainWidth + 7;
    r.docked = true;
  }
  if (within(pl + pw - kDock, r.main.x, pl + pw + kDock)) {
    r.main.x = pl + pw - 6;
    r.docked = true;
  }
  if (within(pt - kDock, bottom, pt + kDock)) {
    r.main.y = pt - kMainHeight + 7;
    r.docked = true;
  }
  if (within(pt + ph - kDock, r.main.y, pt + ph + kDock)) {
    r.main.y = pt + ph - 3;
    r.docked = true;
  }
  return r;
}

}  // namespace vemla::ui
