#pragma once
// Puts a widget's whole picture straight onto its X window, past the toolkit's repaint
// machinery: the visualiser and the level meters change 25 times a second, and going through
// posted update requests, region clipping against every sibling and the backing store cost
// several times the drawing itself. The toolkit's own picture of those widgets falls behind
// meanwhile, so whoever stops putting frames calls update() once to bring it level (it is what
// an expose shows).
//
// Only where it is plainly safe: an X11 display with 32-bit little-endian pixels, a widget shown
// on its window at a device pixel ratio of 1, and a picture of its exact size. Anywhere else
// Put() and PutAt() say no and the caller repaints as usual. PutAt() does not ask whether the
// window is exposed: the server drops what is drawn on a window that is not mapped, and an
// expose repaints from the toolkit's picture.
#include <QImage>
#include <QSize>
#include <cstdint>

class QWidget;

namespace vemla::ui {

class DirectFrame {
 public:
  // Where a widget's frames go on the server, worked out on the user-interface thread. It holds
  // while the widget stays shown at its place and size on the same native window.
  struct Target {
    uint32_t window = 0;
    uint32_t context = 0;
    uint8_t depth = 0;  // 0: frames cannot be put there
    int16_t x = 0;
    int16_t y = 0;
    QSize size;
    bool usable() const { return depth != 0; }
  };
  static Target Aim(QWidget* widget);
  // True when `frame` (RGB32 or ARGB32, opaque, of the target's size) was sent. It asks the
  // toolkit nothing, so any thread may call it.
  static bool PutAt(const Target& target, const QImage& frame);
  // Both at once, and only on an exposed window: for the user-interface thread.
  static bool Put(QWidget* widget, const QImage& frame);
  // Sends what was put; once a tick is enough. Any thread.
  static void Flush();
};

}  // namespace vemla::ui
