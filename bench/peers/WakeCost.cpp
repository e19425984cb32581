// What one wake-up at the visualiser's 25 Hz costs on this machine, in CPU time of the thread
// woken: a plain thread sleeping to its next deadline, and the toolkit's event loop running a
// 40 ms timer that does nothing. Whatever a player does in its tick comes on top of these, so
// they are the floor of a visualiser's CPU. Needs a display (bench/peers/threads.sh --wakes).
#include <time.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

constexpr int kTicks = 250;  // 10 s

long long runNs() {
  std::ifstream f("/proc/thread-self/schedstat");
  long long ns = 0;
  f >> ns;
  return ns;
}

double plainThreadUs() {
  double us = 0;
  std::thread t([&us] {
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long long start = runNs();
    for (int i = 0; i < kTicks; ++i) {
      next.tv_nsec += 40'000'000;
      if (next.tv_nsec >= 1'000'000'000) {
        next.tv_nsec -= 1'000'000'000;
        ++next.tv_sec;
      }
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    us = static_cast<double>(runNs() - start) / 1e3 / kTicks;
  });
  t.join();
  return us;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(275, 116);
  window.show();
  const double plain = plainThreadUs();
  long long start = 0;
  double loop = 0;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    if (ticks == 25) {  // the first second, with the window still settling, is left out
      start = runNs();
    } else if (ticks == 25 + kTicks) {
      loop = static_cast<double>(runNs() - start) / 1e3 / kTicks;
      app.quit();
    }
  });
  timer.start(40);
  app.exec();
  std::printf("one wake-up at 25 Hz costs the woken thread: plain thread %.0f us, "
              "toolkit event loop %.0f us\n",
              plain, loop);
  return 0;
}
