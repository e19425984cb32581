// Program entry: the start-up sequence, the message loop and the shutdown sequence.
//
// Start-up, in this order:
//  1. Files or folders on the command line go to a copy already running, if one confirms
//     them within a second, and this copy ends. Otherwise the notice to copies already
//     running (they restore and raise themselves); we go on.
//  2. The application object, titled "VemlaPlayer".
//  3. The windows: the main window first (player defaults, audio device, skin outline), then
//     the playlist window and the rest.
//  4. What saves killed half-way left behind cleared away. The forced setup file; the autosave
//     list unless the forced setup built one (a copy of it is kept when it could not be read in
//     whole, since the exit rewrites it).
//  5. The settings; the playlist window shown (arming its start-up timer), hidden again when
//     the settings say so; the About window; the playlist window placed under the main window.
//  6. The stream slots emptied, the main window shown, the command line's files appended and
//     the first of them played, the message loop.
// Shutdown, when the main window closes: save the settings and the autosave list (errors are
// silent), stop playback, release the audio device.
#include <fontconfig/fontconfig.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/AutosaveGuard.h"
#include "app/CodecPreloader.h"
#include "app/LazySdl.h"
#include "audio/AudioLib.h"
#include "core/ForcedSetup.h"
#include "core/OpenPaths.h"
#include "core/Player.h"
#include "core/Settings.h"
#include "core/StaleSaveFiles.h"
#include "ui/HandOver.h"
#include "ui/MprisService.h"
#include "ui/ObservedView.h"
#include "ui/QtPlayerView.h"
#include "ui/QtSettingsWindows.h"
#include "ui/SingleInstance.h"
#include "ui/TFmini.h"
#include "ui/TInfo.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaCDAudio.h"
#include "ui/TVemlaMain.h"
#include "ui/ToolkitSpanish.h"
#include "ui/VemlaTray.h"
#include "ui/WindowSnap.h"

namespace {

using vemla::core::Player;
using vemla::ui::TPlaylist;
using vemla::ui::TVemlaMain;

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
  char c = 1;
  [[maybe_unused]] ssize_t n = ::write(signalPipe[0], &c, 1);
}

// A session logout or `kill` ends the player the way its close button does, so the settings
// and the list are saved. The handler only writes a byte; the event loop does the rest.
void closeOnTerminate(QWidget& main) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &main);
  QObject::connect(notifier, &QSocketNotifier::activated, &main, [&main, notifier] {
    char c;
    [[maybe_unused]] ssize_t n = ::read(signalPipe[1], &c, 1);
    notifier->setEnabled(false);
    // A second signal ends the process at once, should the orderly close hang.
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    main.close();
  });
  struct sigaction sa {};
  sa.sa_handler = onTerminate;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

void restoreWindows(TVemlaMain& main, TPlaylist& playlist, const Player& player) {
  main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
  main.show();
  main.raise();
  main.activateWindow();
  if (player.PlaylistVisible) {
    playlist.show();
    playlist.raise();
  }
}

// Two steps before the first paint need nothing of the toolkit and run beside its start-up:
// reading the font configuration (an XML parse of every file under /etc/fonts), the longest of
// them, and opening SDL with its dependencies. Whoever asks for either meanwhile waits for it
// or, for the fonts, does the same work again; nothing is lost either way.
class StartupWarmUp {
 public:
  StartupWarmUp()
      : thread_([] {
          FcInit();
          vemla::app::OpenSoundLibrary();
        }) {}
  ~StartupWarmUp() { wait(); }
  void wait() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

// Files and folders named on the command line (the toolkit has taken its own options out),
// made absolute so a running copy elsewhere can open them too.
std::vector<std::string> openedPaths(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg(argv[i]);
    if (i == 1 && arg == "--") continue;
    // Launchers may hand over addresses of local files instead of paths.
    if (arg.rfind("file://", 0) == 0) {
      const QUrl url(QString::fromUtf8(arg.data(), static_cast<int>(arg.size())));
      if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
      continue;
    }
    paths.push_back(vemla::core::AbsolutePath(std::string(arg)));
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  // Skinned windows need absolute positions, which native Wayland does not give clients.
  if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  // Our windows are small and repaint 25 times a second while playing; through X shared memory
  // every repaint first waits for a server round trip, which costs more than copying the pixels.
  setenv("QT_XCB_NO_MITSHM", "1", 0);
  // SDL would catch SIGTERM into an event queue nobody reads, so a logout arriving before our
  // own handler is set would leave the player running deaf to it.
  setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
  StartupWarmUp warmUp;
  QApplication app(argc, argv);
  QApplication::setApplicationName("VemlaPlayer");
  QGuiApplication::setDesktopFileName("vemlaplayer");
  vemla::ui::installToolkitSpanish(app);
  // The playlist window may still be up when the main window closes; the main window's
  // closing is what ends the program.
  QApplication::setQuitOnLastWindowClosed(false);

  const std::vector<std::string> opened = openedPaths(argc, argv);
  vemla::ui::SingleInstance instance;
  // "Open with" on a running player: that copy takes the files, this one ends.
  if (!opened.empty() &&
      vemla::ui::handOverPaths(vemla::ui::SingleInstance::defaultFolder(), opened)) {
    warmUp.wait();  // the toolkit's fonts are torn down with `app`: not while being read
    return 0;
  }
  instance.notifyOthers();
  instance.listen();

  auto audio = vemla::audio::createAudioLib();
  Player player(*audio);
  player.SetDefaults();
  if (!player.InitAudioDevice()) {
    QMessageBox box(QMessageBox::Critical, "Error", vemla::core::kAudioInitError);
    box.exec();
    warmUp.wait();
    return 1;
  }

  warmUp.wait();  // the main window's menu bar measures its texts
  auto main = std::make_unique<TVemlaMain>(player);
  auto playlist = std::make_unique<TPlaylist>(player);
  auto cdDialog = std::make_unique<vemla::ui::TVemlaCDAudio>(player);
  playlist->setCdDialog(cdDialog.get());
  auto info = std::make_unique<vemla::ui::TInfo>(player);
  main->setInfoWindow(info.get());
  playlist->setInfoWindow(info.get());
  vemla::ui::QtPlayerView view(*main, playlist.get());
  // The desktop's media controls hear of every change the player shows.
  vemla::ui::MprisService* mpris = nullptr;
  vemla::app::CodecPreloader codecs(app);
  bool windowsUp = false;
  vemla::ui::ObservedView observed(view, [&] {
    if (mpris) mpris->scheduleCheck();
    if (windowsUp && player.List.EntryCount > 0) codecs.start();
  });
  player.SetView(&observed);
  main->setPlaylistWindow(playlist.get());
  playlist->setMainWindow(main.get());
  playlist->setKeyDispatch(&main->keyDispatch());
  auto mini = std::make_unique<vemla::ui::TFmini>(player, *main);
  main->setMiniWindowHooks({[&](const QString& t) { mini->setTime(t); },
                            [&](int left) { mini->setKnobLeft(left); },
                            [&](const QString& t) { mini->setTitle(t); }});
  auto tray = std::make_unique<vemla::ui::VemlaTray>(player, *main, playlist.get(), *mini);
  view.setTrayHintHandler([&tray](const QString& hint) { tray->setHint(hint); });
  view.setNowPlayingHandler([&] { tray->setSongCaption(playlist->trayCaption()); });
  vemla::ui::QtSettingsWindows settingsWindows(main.get(), playlist.get(), mini.get(),
                                               player.ProgramDir);

  for (const std::string& f :
       {player.AutosaveListPath(), player.AutosaveListPath() + ".bak", player.SettingsFilePath()})
    vemla::core::RemoveStaleSaveFiles(f);
  vemla::core::ApplyForcedSetup(player);
  if (!player.ForcedListLoaded) {
    player.LoadAutosaveList();
    // A list read from beside a read-only program is never overwritten: no copy is needed.
    if (player.AutosaveListReadPath() == player.AutosaveListPath() &&
        !player.AutosaveListReadWhole())
      vemla::app::keepUnreadAutosaveList(player.AutosaveListPath(), player.List);
  }
  vemla::core::LoadSettings(player, settingsWindows);

  playlist->show();
  if (!player.PlaylistVisible) playlist->hide();
  main->createAboutWindow();
  playlist->move(main->x() - 3, main->y() + vemla::ui::WindowSnap::kMainHeight - 7);
  player.ResetStreamSlots();
  main->show();
  // With songs in the list, the decoding libraries load once the window is up, not before it; a
  // file opened before they are loaded waits for them.
  QTimer::singleShot(250, &codecs, [&] {
    windowsUp = true;
    if (player.List.EntryCount > 0) codecs.start();
  });
  if (!opened.empty()) vemla::core::OpenAndPlay(player, opened);
  // A bad number or a full list met in the autosave list is told once the windows are up.
  QTimer::singleShot(0, &app, [&player] { player.ShowPendingMessage(); });

  // From the tray or the mini window, whichever stands in for the windows now.
  auto bringBack = [&] {
    tray->restoreAll();
    restoreWindows(*main, *playlist, player);
  };
  QObject::connect(&instance, &vemla::ui::SingleInstance::restoreRequested, main.get(),
                   [&] { bringBack(); });
  vemla::ui::MprisService mprisService(*main, player, [&] { bringBack(); });
  // Without a session bus, nothing.
  mpris = &mprisService;
  mprisService.startAfterFirstPaint(*main);
  vemla::ui::HandOverReceiver handOver(instance);
  QObject::connect(
      &handOver, &vemla::ui::HandOverReceiver::pathsReceived, main.get(),
      [&](const std::vector<std::string>& paths) {
        bringBack();
        vemla::core::OpenAndPlay(player, paths);
      },
      // After the sender got its answer: reading 200 files' tags takes a while.
      Qt::QueuedConnection);

  closeOnTerminate(*main);
  bool shutDown = false;
  QObject::connect(main.get(), &TVemlaMain::closed, &app, [&] {
    if (shutDown) return;
    shutDown = true;
    vemla::core::SaveSettings(player, settingsWindows);
    player.StopPlayback();
    player.FreeAudioDevice();
    QApplication::quit();
  });

  int rc = app.exec();
  mpris = nullptr;
  player.SetView(nullptr);
  view.setTrayHintHandler({});
  view.setNowPlayingHandler({});
  tray.reset();
  main->setMiniWindowHooks({});
  mini.reset();
  cdDialog.reset();
  playlist.reset();
  main.reset();
  if (!shutDown) player.FreeAudioDevice();
  return rc;
}
