#pragma once
// A label that acts on a click: a left press and release over it. The press makes the label the
// mouse grabber, so the release is seen even when the pointer has left it.
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace vemla::ui {

// For an event filter on `label`: true when the event was a left press or release (consumed),
// calling `clicked` on a release inside the label.
template <typename F>
bool filterLabelClick(QWidget* label, QEvent* event, F clicked) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease) {
    return false;
  }
  const auto* me = static_cast<QMouseEvent*>(event);
  if (me->button() != Qt::LeftButton) return false;
  if (event->type() == QEvent::MouseButtonRelease &&
      label->rect().contains(me->position().toPoint())) {
    clicked();
  }
  return true;
}

}  // namespace vemla::ui
