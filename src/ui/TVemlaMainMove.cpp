// Moving the main window by its picture (with screen-edge snapping and docking against the
// playlist window) and the fade of both windows when the program loses or regains the focus.
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

#include "core/Player.h"
#include "ui/MainMenus.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"
#include "ui/WindowSnap.h"

namespace vemla::ui {

bool TVemlaMain::filterImage(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* me = static_cast<QMouseEvent*>(event);
      if (me->button() == Qt::LeftButton) {
        dragging_ = true;
        dragMoved_ = false;
        dragStart_ = pos();
        dragOffset_ = me->globalPosition().toPoint() - pos();
      } else if (me->button() == Qt::RightButton) {
        menus_->MenuPOPUP()->popup(me->globalPosition().toPoint());
      }
      return false;
    }
    case QEvent::MouseMove: {
      if (!dragging_) return false;
      const auto* me = static_cast<QMouseEvent*>(event);
      const QPoint to = me->globalPosition().toPoint() - dragOffset_;
      if (to != pos()) {
        dragMoved_ = true;
        move(to);
      }
      return false;
    }
    case QEvent::MouseButtonRelease: {
      const auto* me = static_cast<QMouseEvent*>(event);
      if (me->button() != Qt::LeftButton || !dragging_) return false;
      dragging_ = false;
      if (dragMoved_) {
        endDrag(dragStart_);
      } else {
        activateWindow();
        setFocus(Qt::MouseFocusReason);
      }
      return false;
    }
    default:
      return false;
  }
}

void TVemlaMain::endDrag(QPoint startedAt) {
  QScreen* s = screen();
  const QRect area = s ? s->geometry() : QRect(0, 0, 1024, 768);
  // The arithmetic works in the screen's own coordinates, so any monitor snaps at its edges.
  const QPoint origin = area.topLeft();
  const QPoint now = pos() - origin;
  const QPoint before = startedAt - origin;
  SnapRect pl;
  if (playlist_) {
    const QPoint p = playlist_->pos() - origin;
    pl = {p.x(), p.y(), playlist_->width(), playlist_->height()};
  } else {
    pl = {-100000, -100000, 0, 0};  // nothing to dock with
  }
  const MainDragResult r = WindowSnap::endMainDrag({before.x(), before.y()}, {now.x(), now.y()},
                                                   area.width(), pl, player_.PlaylistDocked != 0);
  move(origin + QPoint(r.main.x, r.main.y));
  if (!playlist_) return;
  player_.PlaylistDocked = r.docked ? 1 : 0;
  if (r.playlist.x != pl.left || r.playlist.y != pl.top) {
    playlist_->move(origin + QPoint(r.playlist.x, r.playlist.y));
  }
}

// ---- Fade ----

int TVemlaMain::windowAlpha() const { return alpha_; }

void TVemlaMain::setAlpha(int alpha) {
  alpha_ = alpha;
  setWindowOpacity(alpha / 255.0);
  if (playlist_) playlist_->setWindowOpacity(alpha / 255.0);
}

void TVemlaMain::applicationDeactivated() {
  if (windowAlpha() > 200) {
    alphaBlend_ = true;
    fadeDirection_ = 2;
    fade_.start();
  }
}

void TVemlaMain::applicationActivated() {
  if (alphaBlend_) {
    fadeDirection_ = 1;
    fade_.start();
  }
}

void TVemlaMain::T_FadeTimer() {
  fade_.stop();
  int v = windowAlpha();
  if (fadeDirection_ == 1) {
    v += 5;
    if (v >= 255) {
      v = 255;
      alphaBlend_ = false;
    } else {
      fade_.start();
    }
  } else if (fadeDirection_ == 2) {
    v -= 5;
    if (v > 180) fade_.start();
  }
  setAlpha(v);
}

}  // namespace vemla::ui
