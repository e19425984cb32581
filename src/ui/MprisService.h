#pragma once
// The desktop's media controls (MPRIS 2): the player owns org.mpris.MediaPlayer2.vemlaplayer on
// the session bus and answers on /org/mpris/MediaPlayer2 with the root interface
// (org.mpris.MediaPlayer2: Raise, Quit, identity) and the Player interface (transport, seek,
// volume, repeat, random, metadata of the current entry).
//
// Every request goes through the same operations as the main window's buttons and keys, so the
// windows show the change. What the player shows is compared with what was last announced after
// each player request (seen through ObservedView), each key or mouse release in any window, and
// each call; the differences go out in one PropertiesChanged, a jump of the position as Seeked.
// Nothing ticks on its own.
//
// Mapping: Volume 0…1 is the 0…75 volume (mute reads 0); LoopStatus "None" is repeat off,
// "Track" or "Playlist" repeat on; Shuffle is random. Track ids are
// /org/vemlaplayer/track/<entry>. Bad requests get D-Bus errors (OpenUri) or are clamped or
// ignored (Seek, SetPosition, Volume, LoopStatus), as the MPRIS rules say. Without a session
// bus start() returns false and nothing else happens.
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

class QWidget;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class TVemlaMain;
class MprisRootAdaptor;
class MprisPlayerAdaptor;

class MprisService : public QObject {
  Q_OBJECT

 public:
  // `raise` brings the windows to the front. `main` and `player` must outlive the service.
  MprisService(TVemlaMain& main, core::Player& player, std::function<void()> raise,
               QObject* parent = nullptr);
  ~MprisService() override;

  // Registers on `bus` (the session bus by default). When the name is taken by another copy,
  // a name of its own (…vemlaplayer.instance<pid>) is used. False when there is no bus.
  bool start(QDBusConnection bus = QDBusConnection::sessionBus());
  // start() on the session bus once `window` has painted for the first time: the first bus
  // connection costs milliseconds that must not come before the window reaches the screen.
  void startAfterFirstPaint(QWidget& window);
  QString serviceName() const { return serviceName_; }

  // Something the player shows may have changed: compare and announce, once the current
  // event is done.
  void scheduleCheck();

  // ---- What the adaptors read and do ----
  QString playbackStatus() const;
  QString loopStatus() const;
  void setLoopStatus(const QString& status);
  bool shuffle() const;
  void setShuffle(bool on);
  QVariantMap metadata() const;
  double volume() const;
  void setVolume(double value);
  qlonglong position() const;
  bool canGoNext() const;
  bool canGoPrevious() const;
  bool canPlay() const;
  bool canPause() const;
  bool canSeek() const;

  void play();
  void pause();
  void playPause();
  void stop();
  void next();
  void previous();
  void seek(qlonglong offsetUs);
  void setPosition(const QString& trackId, qlonglong positionUs);
  // "" when opened, else the reason it was not.
  QString openUri(const QString& uri);
  void raise();
  void quit();

  static constexpr int kMaxUriLength = 64 * 1024;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Shown {
    QString status;
    QVariantMap metadata;
    double volume = 0;
    QString loop;
    bool shuffle = false;
    bool canGoNext = false, canGoPrevious = false, canPlay = false, canPause = false,
         canSeek = false;
  };
  Shown shownNow() const;
  void check();
  void announceSeek(qlonglong positionUs);
  void seekTo(qlonglong positionUs);
  int activeState() const;
  QString trackId() const;

  TVemlaMain& main_;
  core::Player& player_;
  std::function<void()> raise_;
  QDBusConnection bus_;
  QString serviceName_;
  MprisRootAdaptor* root_ = nullptr;
  MprisPlayerAdaptor* playerAdaptor_ = nullptr;
  bool started_ = false;
  QObject* waitingFor_ = nullptr;
  bool checkPending_ = false;
  Shown announced_;
  // Where the position should be by now, to tell a jump from playing on.
  QString lastTrack_;
  qlonglong lastPosition_ = 0;
  QElapsedTimer sinceLastPosition_;
};

}  // namespace vemla::ui
