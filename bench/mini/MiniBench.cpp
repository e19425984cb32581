// The mini window's costs, in a real X server with a window manager (see run.sh):
//  - minimise -> mini window mapped (exposed), median of N round trips;
//  - resident memory the mini window and the tray add once shown;
//  - 20 minimise/restore round trips a second for 10 seconds: windows left and memory growth.
// Usage: mini_bench [round trips]
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "ui/QtPlayerView.h"
#include "ui/TFmini.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"
#include "ui/VemlaTray.h"

namespace {

long rssKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool exposed(QWidget& w) { return w.windowHandle() && w.windowHandle()->isExposed(); }

// Runs the event loop until `done`, at most 10 s; false on time-out.
template <class F>
bool until(F done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 10000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
  auto audio = vemla::audio::createAudioLib();
  vemla::core::Player player(*audio);
  player.SetDefaults();
  if (!player.InitAudioDevice()) {
    std::fprintf(stderr, "no audio device\n");
    return 1;
  }
  vemla::ui::TVemlaMain main(player);
  vemla::ui::TPlaylist playlist(player);
  main.setPlaylistWindow(&playlist);
  vemla::ui::QtPlayerView view(main, &playlist);
  player.SetView(&view);
  main.show();
  playlist.show();
  if (!until([&] { return exposed(main) && exposed(playlist); })) return 1;
  for (int i = 0; i < 20; ++i) QApplication::processEvents();

  const long before = rssKiB();
  auto mini = std::make_unique<vemla::ui::TFmini>(player, main);
  vemla::ui::VemlaTray tray(player, main, &playlist, *mini);
  std::printf("notification area: %s\n", tray.trayAvailable() ? "yes" : "no");

  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    main.B_MinClick();
    if (!until([&] { return exposed(*mini); })) {
      std::fprintf(stderr, "the mini window did not come up\n");
      return 1;
    }
    ms.push_back(t.nsecsElapsed() / 1e6);
    if (i == 0) {
      for (int k = 0; k < 20; ++k) QApplication::processEvents();
      std::printf("resident memory added by the mini window and tray: %.2f MiB\n",
                  (rssKiB() - before) / 1024.0);
    }
    mini->B_MaxClick();
    if (!until([&] { return exposed(main) && !exposed(*mini); })) return 1;
  }
  std::sort(ms.begin(), ms.end());
  std::printf("minimise -> mini window mapped: median %.2f ms, min %.2f, max %.2f (%d rounds)\n",
              ms[ms.size() / 2], ms.front(), ms.back(), rounds);

  // 20 round trips a second for 10 seconds.
  const long rapidBefore = rssKiB();
  QElapsedTimer wall;
  wall.start();
  for (int i = 0; i < 200; ++i) {
    main.B_MinClick();
    until([&] { return wall.elapsed() >= i * 50 + 25; });
    if (i % 2) {
      tray.CoolTrayIcon1DblClick();
    } else {
      mini->B_MaxClick();
    }
    until([&] { return wall.elapsed() >= i * 50 + 50; });
  }
  until([&] { return exposed(main); });
  int minis = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    minis += qobject_cast<vemla::ui::TFmini*>(w) != nullptr;
  }
  std::printf("200 round trips in %.1f s: %d mini window (%s), main window %s, memory %+ld KiB\n",
              wall.elapsed() / 1000.0, minis, mini->isVisible() ? "shown" : "hidden",
              exposed(main) ? "up" : "away", rssKiB() - rapidBefore);
  player.SetView(nullptr);
  player.FreeAudioDevice();
  return 0;
}
