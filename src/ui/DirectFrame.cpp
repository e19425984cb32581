#include "ui/DirectFrame.h"

#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#include <linux/sockios.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace vemla::ui {

namespace {

// A segment shared with the server, so a frame's request carries no pixels: copying them through
// the socket was most of what a frame cost the kernel. Each widget has two places, used in turn.
struct Shared {
  static constexpr size_t kBytes = 256 * 1024;
  bool tried = false;
  xcb_shm_seg_t segment = 0;
  uint8_t* base = nullptr;
  size_t used = 0;
  int socket = -1;
  bool caughtUp = false;
  struct Places {
    size_t offset[2] = {};
    size_t bytes = 0;
    int next = 0;
  };
  std::unordered_map<const QWidget*, Places> places;
};

// Only over a local socket: passing a descriptor over any other connection would end it.
bool openShared(xcb_connection_t* c, Shared& s) {
  s.tried = true;
  const int fd = xcb_get_file_descriptor(c);
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      address.ss_family != AF_UNIX) {
    return false;
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
  if (!ext || !ext->present) return false;
  xcb_shm_query_version_reply_t* version =
      xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
  const bool fds = version && (version->major_version > 1 ||
                               (version->major_version == 1 && version->minor_version >= 2));
  free(version);
  if (!fds) return false;
  const int memory = memfd_create("vemla-frames", MFD_CLOEXEC);
  if (memory < 0) return false;
  void* base = ftruncate(memory, Shared::kBytes) == 0
                   ? mmap(nullptr, Shared::kBytes, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0)
                   : MAP_FAILED;
  if (base == MAP_FAILED) {
    close(memory);
    return false;
  }
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  // The request takes the descriptor and closes it once sent.
  xcb_generic_error_t* error =
      xcb_request_check(c, xcb_shm_attach_fd_checked(c, segment, memory, /*read_only=*/1));
  if (error) {
    free(error);
    munmap(base, Shared::kBytes);
    return false;
  }
  s.segment = segment;
  s.base = static_cast<uint8_t*>(base);
  s.socket = fd;
  return true;
}

// Where `frame` goes for `widget`, or null when it must travel in its request. A place is
// written again two frames later, and only while the server has read every request of the
// frames before: it has drawn from the place by then.
uint8_t* sharedPlace(xcb_connection_t* c, Shared& s, bool firstOfFrame, const QWidget* widget,
                     size_t bytes, uint32_t* offset) {
  if (!s.tried) openShared(c, s);
  if (!s.base) return nullptr;
  if (firstOfFrame) {
    int unread = 0;
    s.caughtUp = ioctl(s.socket, SIOCOUTQ, &unread) == 0 && unread == 0;
  }
  if (!s.caughtUp) return nullptr;
  auto it = s.places.find(widget);
  if (it == s.places.end()) {
    if (s.used + 2 * bytes > Shared::kBytes) return nullptr;
    Shared::Places fresh;
    fresh.offset[0] = s.used;
    fresh.offset[1] = s.used + bytes;
    fresh.bytes = bytes;
    s.used += 2 * bytes;
    it = s.places.emplace(widget, fresh).first;
  }
  Shared::Places& places = it->second;
  if (places.bytes != bytes) return nullptr;
  *offset = static_cast<uint32_t>(places.offset[places.next]);
  places.next ^= 1;
  return s.base + *offset;
}

struct X11 {
  xcb_connection_t* connection = nullptr;
  bool depth24 = false;  // depths whose pixels are 32 bits with rows padded to 32, as QImage's
  bool depth32 = false;
  std::unordered_map<xcb_window_t, uint8_t> depthOf;       // 0: not usable
  std::unordered_map<uint8_t, xcb_gcontext_t> contextFor;  // by depth
  qsizetype maxImageBytes = 0;                             // what one request may carry
  bool pending = false;
  Shared shared;
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

bool DirectFrame::Put(QWidget* widget, const QImage& frame) {
  X11& x = x11();
  if (!x.connection || !widget || !widget->isVisible()) return false;
  if ((frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_ARGB32) ||
      frame.size() != widget->size() || frame.bytesPerLine() != qsizetype(frame.width()) * 4 ||
      frame.sizeInBytes() > x.maxImageBytes) {
    return false;
  }
  QWidget* top = widget->window();
  QWindow* window = top->windowHandle();
  if (!window || !window->isExposed() || top->devicePixelRatioF() != 1.0) return false;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const uint8_t depth = usableDepth(x, id);
  if (depth == 0) return false;
  const QPoint at = widget->mapTo(top, QPoint(0, 0));
  const auto bytes = static_cast<size_t>(frame.sizeInBytes());
  uint32_t offset = 0;
  if (uint8_t* place = sharedPlace(x.connection, x.shared, !x.pending, widget, bytes, &offset)) {
    std::memcpy(place, frame.constBits(), bytes);
    const auto w = static_cast<uint16_t>(frame.width());
    const auto h = static_cast<uint16_t>(frame.height());
    xcb_shm_put_image(x.connection, id, contextFor(x, depth, id), w, h, 0, 0, w, h,
                      static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()), depth,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, /*send_event=*/0, x.shared.segment, offset);
    x.pending = true;
    return true;
  }
  xcb_put_image(x.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id, contextFor(x, depth, id),
                static_cast<uint16_t>(frame.width()), static_cast<uint16_t>(frame.height()),
                static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()), 0, depth,
                static_cast<uint32_t>(frame.sizeInBytes()), frame.constBits());
  x.pending = true;
  return true;
}

void DirectFrame::Flush() {
  X11& x = x11();
  if (!x.pending) return;
  xcb_flush(x.connection);
  x.pending = false;
}

}  // namespace vemla::ui
