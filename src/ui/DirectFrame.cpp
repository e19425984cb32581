#include "ui/DirectFrame.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <unordered_map>

namespace vemla::ui {

namespace {

struct X11 {
  xcb_connection_t* connection = nullptr;
  bool depth24 = false;  // depths whose pixels are 32 bits with rows padded to 32, as QImage's
  bool depth32 = false;
  std::unordered_map<xcb_window_t, uint8_t> depthOf;       // 0: not usable
  std::unordered_map<uint8_t, xcb_gcontext_t> contextFor;  // by depth
  qsizetype maxImageBytes = 0;                             // what one request may carry
};

X11& x11() {
  static X11 x = [] {
    X11 s;
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->connection()) return s;
    const xcb_setup_t* setup = xcb_get_setup(app->connection());
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return s;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
      const bool fits = it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
      if (it.data->depth == 24) s.depth24 = fits;
      if (it.data->depth == 32) s.depth32 = fits;
    }
    s.connection = app->connection();
    s.maxImageBytes = qsizetype(xcb_get_maximum_request_length(s.connection)) * 4 -
                      qsizetype(sizeof(xcb_put_image_request_t));
    return s;
  }();
  return x;
}

// The window's depth when frames can be put on it, else 0; asked of the server once a window.
uint8_t usableDepth(X11& x, xcb_window_t window) {
  auto it = x.depthOf.find(window);
  if (it != x.depthOf.end()) return it->second;
  uint8_t depth = 0;
  if (xcb_get_geometry_reply_t* g =
          xcb_get_geometry_reply(x.connection, xcb_get_geometry(x.connection, window), nullptr)) {
    if ((g->depth == 24 && x.depth24) || (g->depth == 32 && x.depth32)) depth = g->depth;
    free(g);
  }
  x.depthOf.emplace(window, depth);
  return depth;
}

xcb_gcontext_t contextFor(X11& x, uint8_t depth, xcb_window_t window) {
  auto it = x.contextFor.find(depth);
  if (it != x.contextFor.end()) return it->second;
  // A context serves every drawable of its depth, so the window it is made on may go.
  const xcb_gcontext_t gc = xcb_generate_id(x.connection);
  const uint32_t noExposures = 0;
  xcb_create_gc(x.connection, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  x.contextFor.emplace(depth, gc);
  return gc;
}

}  // namespace

DirectFrame::Target DirectFrame::Aim(QWidget* widget) {
  Target t;
  X11& x = x11();
  if (!x.connection || !widget || !widget->isVisible()) return t;
  QWidget* top = widget->window();
  QWindow* window = top->windowHandle();
  if (!window || top->devicePixelRatioF() != 1.0) return t;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const uint8_t depth = usableDepth(x, id);
  if (depth == 0) return t;
  const QPoint at = widget->mapTo(top, QPoint(0, 0));
  t.window = id;
  t.context = contextFor(x, depth, id);
  t.depth = depth;
  t.x = static_cast<int16_t>(at.x());
  t.y = static_cast<int16_t>(at.y());
  t.size = widget->size();
  return t;
}

bool DirectFrame::PutAt(const Target& target, const QImage& frame) {
  const X11& x = x11();
  if (!target.usable() || !x.connection) return false;
  if ((frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_ARGB32) ||
      frame.size() != target.size || frame.bytesPerLine() != qsizetype(frame.width()) * 4 ||
      frame.sizeInBytes() > x.maxImageBytes) {
    return false;
  }
  xcb_put_image(x.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target.window, target.context,
                static_cast<uint16_t>(frame.width()), static_cast<uint16_t>(frame.height()),
                target.x, target.y, 0, target.depth, static_cast<uint32_t>(frame.sizeInBytes()),
                frame.constBits());
  return true;
}

bool DirectFrame::Put(QWidget* widget, const QImage& frame) {
  QWindow* window = widget ? widget->window()->windowHandle() : nullptr;
  return window && window->isExposed() && PutAt(Aim(widget), frame);
}

void DirectFrame::Flush() {
  // Sends nothing when nothing is queued.
  if (xcb_connection_t* c = x11().connection) xcb_flush(c);
}

}  // namespace vemla::ui
