// X-side measurements for the peer comparison, driven line by line on stdin:
//   map PID      -> "mapped <monotonic ns> <window>" when a top-level of at least 100 x 50 whose
//                   _NET_WM_PID is PID is mapped (events seen before the command count too)
//   ping WIN MS  -> "ping <longest round trip ms> <answered>" after pinging WIN every 100 ms for
//                   MS milliseconds; a ping still unanswered at the end counts as its wait so far
// It prints "ready" once it listens to the root window, so a launch after that cannot be missed.
// Event-driven (MapNotify, _NET_WM_PING replies) rather than polled, so the figures do not
// depend on how often a script could look.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

long long nowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

struct Mapped {
  Window window;
  long long ns;
};

class Probe {
 public:
  explicit Probe(Display* d) : d_(d), root_(DefaultRootWindow(d)) {
    pidAtom_ = XInternAtom(d_, "_NET_WM_PID", False);
    protocolsAtom_ = XInternAtom(d_, "WM_PROTOCOLS", False);
    pingAtom_ = XInternAtom(d_, "_NET_WM_PING", False);
    // Maps arrive as substructure events; toolkits answer pings to the root with the structure
    // mask, so both are needed.
    XSelectInput(d_, root_, SubstructureNotifyMask | StructureNotifyMask);
    XSync(d_, False);
  }

  // Waits until a window of pid is mapped; pid's windows mapped earlier are answered at once.
  void map(long pid) {
    for (;;) {
      auto it = mapped_.find(pid);
      if (it != mapped_.end()) {
        std::printf("mapped %lld %lu\n", it->second.ns, it->second.window);
        std::fflush(stdout);
        return;
      }
      nextEvent(-1);
    }
  }

  void ping(Window w, int ms) {
    const long long end = nowNs() + ms * 1000000LL;
    long long longest = 0;
    int answered = 0;
    while (nowNs() < end) {
      const long long sent = nowNs();
      const Time stamp = static_cast<Time>(sent / 1000000 & 0xffffffff);
      XEvent ev{};
      ev.xclient.type = ClientMessage;
      ev.xclient.window = w;
      ev.xclient.message_type = protocolsAtom_;
      ev.xclient.format = 32;
      ev.xclient.data.l[0] = static_cast<long>(pingAtom_);
      ev.xclient.data.l[1] = static_cast<long>(stamp);
      ev.xclient.data.l[2] = static_cast<long>(w);
      XSendEvent(d_, w, False, NoEventMask, &ev);
      XFlush(d_);
      pongStamp_ = 0;
      // Wait for this ping's answer however long it takes (within the window), then pace.
      while (pongStamp_ != stamp && nowNs() < end) nextEvent(static_cast<int>((end - nowNs()) / 1000000) + 1);
      const long long rtt = (pongStamp_ == stamp ? nowNs() : end) - sent;
      if (pongStamp_ == stamp) ++answered;
      if (rtt > longest) longest = rtt;
      const long long next = sent + 100 * 1000000LL;
      while (nowNs() < next && nowNs() < end) nextEvent(static_cast<int>((next - nowNs()) / 1000000) + 1);
    }
    std::printf("ping %.1f %d\n", longest / 1e6, answered);
    std::fflush(stdout);
  }

 private:
  // Handles one event, waiting at most timeoutMs (-1: no limit).
  void nextEvent(int timeoutMs) {
    if (XPending(d_) == 0) {
      pollfd p{ConnectionNumber(d_), POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) return;
    }
    XEvent ev;
    XNextEvent(d_, &ev);
    const long long ns = nowNs();
    if (ev.type == MapNotify && ev.xmap.event == root_) {
      noteMapped(ev.xmap.window, ns);
    } else if (ev.type == ClientMessage && ev.xclient.message_type == protocolsAtom_ &&
               static_cast<Atom>(ev.xclient.data.l[0]) == pingAtom_) {
      pongStamp_ = static_cast<Time>(ev.xclient.data.l[1]);
    }
  }

  void noteMapped(Window w, long long ns) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d_, w, &a) || a.width < 100 || a.height < 50) return;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success && data && n == 1) {
      const long pid = *reinterpret_cast<long*>(data);
      if (!mapped_.count(pid)) mapped_[pid] = {w, ns};
    }
    if (data) XFree(data);
  }

  Display* d_;
  Window root_;
  Atom pidAtom_, protocolsAtom_, pingAtom_;
  Time pongStamp_ = 0;
  std::map<long, Mapped> mapped_;
};

int ignoreErrors(Display*, XErrorEvent*) { return 0; }  // windows vanish while being looked at

}  // namespace

int main() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "peer_probe: no X display\n");
    return 1;
  }
  XSetErrorHandler(ignoreErrors);
  Probe probe(d);
  std::printf("ready\n");
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd == "map") {
      long pid = 0;
      in >> pid;
      probe.map(pid);
    } else if (cmd == "ping") {
      unsigned long w = 0;
      int ms = 0;
      in >> w >> ms;
      probe.ping(static_cast<Window>(w), ms);
    }
  }
  XCloseDisplay(d);
  return 0;
}
