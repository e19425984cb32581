#pragma once
// Puts a widget's whole picture straight onto its X window, past the toolkit's repaint
// machinery: the visualiser and the level meters change 25 times a second, and going through
// posted update requests, region clipping against every sibling and the backing store cost
// several times the drawing itself. The toolkit's own picture of those widgets falls behind
// meanwhile, so whoever stops putting frames calls update() once to bring it level (it is what
// an expose shows).
//
// Only where it is plainly safe: an X11 display with 32-bit little-endian pixels, a widget shown
// on an exposed window at a device pixel ratio of 1, and a picture of its exact size. Anywhere
// else Put() says no and the caller repaints as usual.
#include <QImage>

class QWidget;

namespace vemla::ui {

class DirectFrame {
 public:
  // True when `frame` (RGB32 or ARGB32, opaque) was sent for `widget`.
  bool Put(QWidget* widget, const QImage& frame);
  // Sends what Put() queued; once a tick is enough.
  void Flush();
};

}  // namespace vemla::ui
