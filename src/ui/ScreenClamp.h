#pragma once
// Keeps a window restored from the settings within reach: a window of which less than half
// (in width or in height) lies on any screen is moved onto the screen nearest to it, wholly
// inside when it fits. Windows snapped a few pixels past an edge stay where they are.
#include <QList>
#include <QPoint>
#include <QRect>

namespace vemla::ui {

QPoint keepOnScreens(const QRect& window, const QList<QRect>& screens);

// The same against the available area of every screen the application knows.
QPoint keepOnScreens(const QRect& window);

}  // namespace vemla::ui
