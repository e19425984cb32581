// What the media-control service adds to the window thread at start-up: connecting to the
// session bus and registering the service, the work start() does once the window is shown.
// Run under dbus-run-session; prints the median of 20 and every run, in milliseconds.
#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "ui/MprisService.h"
#include "ui/TVemlaMain.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  QApplication app(argc, argv);
  auto audio = vemla::audio::createAudioLib();
  vemla::core::Player player(*audio);
  player.SetDefaults();
  vemla::ui::TVemlaMain main(player);
  std::vector<double> ms;
  for (int i = 0; i < 20; ++i) {
    const QString name = QString("bench%1").arg(i);
    QElapsedTimer t;
    t.start();
    {
      // A fresh connection each time, as at a real start.
      QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
      vemla::ui::MprisService service(main, player, nullptr);
      if (!service.start(bus)) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
      }
      ms.push_back(t.nsecsElapsed() / 1e6);
    }
    QDBusConnection::disconnectFromBus(name);
  }
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  std::printf("media-control service start (bus connection + registration), ms: %.2f (runs:",
              sorted[sorted.size() / 2]);
  for (double v : ms) std::printf(" %.2f", v);
  std::printf(")\n");
  return 0;
}
