// CPU of playing one file through the real audio layer (SDL output as configured, e.g. dummy)
// with the visualiser panel and meters on screen and ticking every 40 ms, as % of one core.
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "audio/AudioLib.h"
#include "ui/FxPanel.h"

namespace {
double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s file [seconds] [fxType]\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  uint8_t fxType = argc > 3 ? static_cast<uint8_t>(std::atoi(argv[3])) : 3, fxMode = 0;

  auto audio = vemla::audio::createAudioLib();
  if (!audio->Init(1, 44100, 0)) return std::fprintf(stderr, "no audio device\n"), 1;
  const auto h = audio->StreamCreateFile(false, argv[1], 0, 0, 0);
  if (!h || !audio->ChannelPlay(h, false)) return std::fprintf(stderr, "cannot play\n"), 1;

  QWidget window;
  window.resize(345, 175);
  vemla::ui::FxPanel panel(
      *audio, [h] { return h; }, fxType, fxMode, &window);
  window.show();
  panel.start();

  double start = 0;
  int ticksAtStart = 0, ticks = 0;
  QObject::connect(panel.fxTimer(), &QTimer::timeout, [&] { ++ticks; });
  // Measure after a 2 s settling time, over the given window.
  QTimer::singleShot(2000, [&] {
    start = cpuSeconds();
    ticksAtStart = ticks;
  });
  QTimer::singleShot(2000 + seconds * 1000, [&] {
    const double used = cpuSeconds() - start;
    std::printf("panel playing (fxType %d, %s): %.2f%% of one core over %d s, %d ticks\n", fxType,
                qPrintable(QGuiApplication::platformName()), used * 100.0 / seconds, seconds,
                ticks - ticksAtStart);
    app.quit();
  });
  const int rc = app.exec();
  audio->Free();
  return rc;
}
