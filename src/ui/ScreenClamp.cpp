#include "ui/ScreenClamp.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace vemla::ui {

namespace {

// Squared distance from the window's centre to the nearest point of the screen, in floating
// point so positions near the ends of the 32-bit range cannot overflow.
double distance2(const QRect& window, const QRect& screen) {
  double cx = double(window.left()) + window.width() / 2;
  double cy = double(window.top()) + window.height() / 2;
  double nx = std::clamp(cx, double(screen.left()), double(screen.left()) + screen.width() - 1);
  double ny = std::clamp(cy, double(screen.top()), double(screen.top()) + screen.height() - 1);
  return (cx - nx) * (cx - nx) + (cy - ny) * (cy - ny);
}

}  // namespace

QPoint keepOnScreens(const QRect& window, const QList<QRect>& screens) {
  if (screens.isEmpty()) return window.topLeft();
  const QRect* nearest = nullptr;
  double best = 0;
  for (const QRect& s : screens) {
    // Overlap measured in 64 bits: QRect::intersected overflows far outside the screens.
    long long l = std::max<long long>(window.left(), s.left());
    long long r = std::min<long long>(static_cast<long long>(window.left()) + window.width(),
                                      static_cast<long long>(s.left()) + s.width());
    long long t = std::max<long long>(window.top(), s.top());
    long long b = std::min<long long>(static_cast<long long>(window.top()) + window.height(),
                                      static_cast<long long>(s.top()) + s.height());
    if ((r - l) * 2 >= window.width() && (b - t) * 2 >= window.height()) return window.topLeft();
    double d = distance2(window, s);
    if (!nearest || d < best) {
      best = d;
      nearest = &s;
    }
  }
  const QRect& s = *nearest;
  int x = std::clamp(window.left(), s.left(),
                     std::max(s.left(), s.left() + s.width() - window.width()));
  int y =
      std::clamp(window.top(), s.top(), std::max(s.top(), s.top() + s.height() - window.height()));
  return {x, y};
}

QPoint keepOnScreens(const QRect& window) {
  QList<QRect> areas;
  for (QScreen* s : QGuiApplication::screens()) areas << s->availableGeometry();
  return keepOnScreens(window, areas);
}

}  // namespace vemla::ui
