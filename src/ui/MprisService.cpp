#include "ui/MprisService.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <climits>
#include <cmath>

#include "core/OpenPaths.h"
#include "core/Player.h"
#include "playlist/EntryInfo.h"
#include "ui/KeyDispatch.h"
#include "ui/MprisAdaptors.h"
#include "ui/TVemlaMain.h"
#include "ui/VolumeKnob.h"

namespace vemla::ui {

namespace {

constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char kServiceName[] = "org.mpris.MediaPlayer2.vemlaplayer";
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr qlonglong kMicro = 1000000;
// A position further than this from where playing on would have brought it was a jump.
constexpr qlonglong kSeekSlackUs = 1500000;

QString q(const playlist::Text& t) { return QString::fromStdString(std::string(t.view())); }

QString fileUrl(const std::string& path) {
  // Percent-encoded from the raw bytes: a name that is not UTF-8 still names its file.
  return "file://" + QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/"));
}

}  // namespace

MprisService::MprisService(TVemlaMain& main, core::Player& player, std::function<void()> raise,
                           QObject* parent)
    : QObject(parent), main_(main), player_(player), raise_(std::move(raise)),
      bus_(QString()) {}

MprisService::~MprisService() {
  if (!started_) return;
  qApp->removeEventFilter(this);
  bus_.unregisterObject(kObjectPath);
  bus_.unregisterService(serviceName_);
}

bool MprisService::start(QDBusConnection bus) {
  if (started_ || !bus.isConnected()) return false;
  bus_ = bus;
  auto* object = new MprisObject(this);
  root_ = new MprisRootAdaptor(object, *this);
  playerAdaptor_ = new MprisPlayerAdaptor(object, *this);
  if (!bus_.registerObject(kObjectPath, object)) {
    delete object;
    return false;
  }
  serviceName_ = kServiceName;
  // A second copy started without files runs beside the first under a name of its own.
  if (!bus_.registerService(serviceName_)) {
    serviceName_ = QString(kServiceName) + ".instance" + QString::number(::getpid());
    if (!bus_.registerService(serviceName_)) {
      bus_.unregisterObject(kObjectPath);
      delete object;
      return false;
    }
  }
  started_ = true;
  announced_ = shownNow();
  qApp->installEventFilter(this);
  return true;
}

void MprisService::startAfterFirstPaint(QWidget& window) {
  waitingFor_ = &window;
  window.installEventFilter(this);
}

void MprisService::scheduleCheck() {
  if (!started_ || checkPending_) return;
  checkPending_ = true;
  QTimer::singleShot(0, this, [this] {
    checkPending_ = false;
    check();
  });
}

bool MprisService::eventFilter(QObject* watched, QEvent* event) {
  if (watched == waitingFor_ && event->type() == QEvent::Paint) {
    waitingFor_->removeEventFilter(this);
    waitingFor_ = nullptr;
    QTimer::singleShot(0, this, [this] { start(); });
  }
  switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
      scheduleCheck();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

// ---- What the player shows ----

int MprisService::activeState() const {
  const int slot = player_.CurrentSlot;
  if (slot < 0 || slot >= core::kStreamSlotCount || !player_.StreamSlots[slot].InUse) {
    return audio::kStopped;
  }
  return player_.Audio().ChannelIsActive(player_.StreamSlots[slot].Handle);
}

QString MprisService::playbackStatus() const {
  switch (activeState()) {
    case audio::kPlaying:
    case audio::kStalled:
      return "Playing";
    case audio::kPaused:
      return "Paused";
    default:
      return "Stopped";
  }
}

QString MprisService::loopStatus() const { return player_.RepeatMode ? "Track" : "None"; }

void MprisService::setLoopStatus(const QString& status) {
  bool on;
  if (status == "None") {
    on = false;
  } else if (status == "Track" || status == "Playlist") {
    on = true;
  } else {
    return;
  }
  if (on != (player_.RepeatMode != 0)) main_.B_repetirClick();
  scheduleCheck();
}

bool MprisService::shuffle() const { return player_.RandomMode != 0; }

void MprisService::setShuffle(bool on) {
  if (on != (player_.RandomMode != 0)) main_.B_RandomClick();
  scheduleCheck();
}

QString MprisService::trackId() const {
  const int e = player_.List.CurrentEntry;
  if (e < 1 || e > player_.List.EntryCount) return kNoTrack;
  return "/org/vemlaplayer/track/" + QString::number(e);
}

QVariantMap MprisService::metadata() const {
  QVariantMap m;
  const int e = player_.List.CurrentEntry;
  if (e < 1 || e > player_.List.EntryCount) return m;
  const playlist::Tcancion& c = player_.List.Entries[e];
  m["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(trackId()));
  // An entry without tags is named by its file, as its list row is; its artist text is that
  // same name and is not an artist.
  const QString baseName =
      c.IsCdTrack ? QString() : QString::fromStdString(playlist::FileBaseName(c.Path.view()));
  QString title = q(c.Title);
  if (title.isEmpty()) title = baseName.isEmpty() ? q(c.FullTitle) : baseName;
  m["xesam:title"] = title;
  const QString artist = q(c.Artist);
  if (!artist.isEmpty() && (artist != baseName || !c.Title.view().empty())) {
    m["xesam:artist"] = QStringList{artist};
  }
  if (!c.Album.view().empty()) m["xesam:album"] = q(c.Album);
  if (c.LengthSeconds > 0) m["mpris:length"] = qlonglong{c.LengthSeconds} * kMicro;
  if (!c.IsCdTrack) m["xesam:url"] = fileUrl(std::string(c.Path.view()));
  if (!c.ImageFile.view().empty() && QFile::exists(q(c.ImageFile))) {
    m["mpris:artUrl"] = fileUrl(std::string(c.ImageFile.view()));
  }
  return m;
}

double MprisService::volume() const {
  if (player_.Muted) return 0.0;
  return VolumeKnob::volumeOf(player_.VolumeKnobLeft) / 75.0;
}

void MprisService::setVolume(double value) {
  if (std::isnan(value)) return;
  value = std::clamp(value, 0.0, 1.0);
  // Where a drag of the knob would leave it, settled as a drag is.
  player_.SetVolumeKnobLeft(VolumeKnob::kMin + static_cast<int>(std::lround(value * 75)));
  main_.SettleMuteState();
  scheduleCheck();
}

qlonglong MprisService::position() const {
  if (player_.CurrentSlot == -1) return 0;
  return std::llround(double{player_.StreamPositionSeconds()} * kMicro);
}

bool MprisService::canGoNext() const { return player_.List.EntryCount > 0; }
bool MprisService::canGoPrevious() const { return player_.List.EntryCount > 0; }
bool MprisService::canPlay() const { return player_.List.EntryCount > 0; }
bool MprisService::canPause() const { return player_.List.EntryCount > 0; }

bool MprisService::canSeek() const {
  const int s = activeState();
  return (s == audio::kPlaying || s == audio::kStalled || s == audio::kPaused) &&
         player_.StreamLengthSeconds() > 0;
}

MprisService::Shown MprisService::shownNow() const {
  Shown s;
  s.status = playbackStatus();
  s.metadata = metadata();
  s.volume = volume();
  s.loop = loopStatus();
  s.shuffle = shuffle();
  s.canGoNext = canGoNext();
  s.canGoPrevious = canGoPrevious();
  s.canPlay = canPlay();
  s.canPause = canPause();
  s.canSeek = canSeek();
  return s;
}

void MprisService::check() {
  if (!started_) return;
  const Shown now = shownNow();
  QVariantMap changed;
  if (now.status != announced_.status) changed["PlaybackStatus"] = now.status;
  if (now.metadata != announced_.metadata) changed["Metadata"] = now.metadata;
  if (now.volume != announced_.volume) changed["Volume"] = now.volume;
  if (now.loop != announced_.loop) changed["LoopStatus"] = now.loop;
  if (now.shuffle != announced_.shuffle) changed["Shuffle"] = now.shuffle;
  if (now.canGoNext != announced_.canGoNext) changed["CanGoNext"] = now.canGoNext;
  if (now.canGoPrevious != announced_.canGoPrevious) changed["CanGoPrevious"] = now.canGoPrevious;
  if (now.canPlay != announced_.canPlay) changed["CanPlay"] = now.canPlay;
  if (now.canPause != announced_.canPause) changed["CanPause"] = now.canPause;
  if (now.canSeek != announced_.canSeek) changed["CanSeek"] = now.canSeek;
  announced_ = now;
  if (!changed.isEmpty()) {
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, "org.freedesktop.DBus.Properties",
                                                     "PropertiesChanged");
    signal << QString(kPlayerInterface) << changed << QStringList();
    bus_.send(signal);
  }

  // A jump of the position by the knob, the keys or another client.
  const QString track = trackId();
  const qlonglong pos = position();
  if (now.status != "Stopped" && track == lastTrack_ && sinceLastPosition_.isValid()) {
    qlonglong expected = lastPosition_;
    if (now.status == "Playing") expected += sinceLastPosition_.elapsed() * 1000;
    if (std::llabs(pos - expected) > kSeekSlackUs) emit playerAdaptor_->Seeked(pos);
  }
  lastTrack_ = track;
  lastPosition_ = pos;
  sinceLastPosition_.start();
}

void MprisService::announceSeek(qlonglong positionUs) {
  lastTrack_ = trackId();
  lastPosition_ = positionUs;
  sinceLastPosition_.start();
  emit playerAdaptor_->Seeked(positionUs);
}

// ---- Requests: the operations of the buttons and keys ----

void MprisService::play() {
  const int s = activeState();
  if (s == audio::kPaused) {
    main_.runCommand(KeyCommand::TogglePause);
  } else if (s != audio::kPlaying && s != audio::kStalled && player_.List.EntryCount > 0) {
    // The play button plays the selected row; with none selected, the current entry's.
    if (player_.View().SelectedRow() < 0) {
      const int e = player_.List.CurrentEntry;
      player_.View().SelectRow(e >= 1 && e <= player_.List.EntryCount ? e - 1 : 0);
    }
    main_.runCommand(KeyCommand::PlaySelected);
  }
  scheduleCheck();
}

void MprisService::pause() {
  const int s = activeState();
  if (s == audio::kPlaying || s == audio::kStalled) main_.runCommand(KeyCommand::TogglePause);
  scheduleCheck();
}

void MprisService::playPause() {
  const int s = activeState();
  if (s == audio::kPlaying || s == audio::kStalled || s == audio::kPaused) {
    main_.runCommand(KeyCommand::TogglePause);
    scheduleCheck();
  } else {
    play();
  }
}

void MprisService::stop() {
  main_.runCommand(KeyCommand::StopPlayback);
  scheduleCheck();
}

void MprisService::next() {
  main_.runCommand(KeyCommand::PlayNext);
  scheduleCheck();
}

void MprisService::previous() {
  main_.runCommand(KeyCommand::PlayPrevious);
  scheduleCheck();
}

void MprisService::seekTo(qlonglong positionUs) {
  player_.SeekSeconds(static_cast<float>(double(positionUs) / kMicro));
  // The knob and the time follow as the counter would move them; paused, only the time.
  if (activeState() == audio::kPaused) {
    main_.RefreshTimeDisplay();
  } else {
    main_.ContadorTimer();
  }
  announceSeek(position());
}

void MprisService::seek(qlonglong offsetUs) {
  if (!canSeek()) return;
  const qlonglong length = std::llround(double{player_.StreamLengthSeconds()} * kMicro);
  qlonglong target;
  if (__builtin_add_overflow(position(), offsetUs, &target)) {
    target = offsetUs > 0 ? LLONG_MAX : 0;
  }
  if (target > length) {
    next();  // past the end: as Next
    return;
  }
  seekTo(std::max<qlonglong>(target, 0));
  scheduleCheck();
}

void MprisService::setPosition(const QString& id, qlonglong positionUs) {
  // A request for another track than the current one is out of date: ignored.
  if (!canSeek() || id != trackId() || positionUs < 0) return;
  const qlonglong length = std::llround(double{player_.StreamLengthSeconds()} * kMicro);
  if (positionUs > length) return;
  seekTo(positionUs);
  scheduleCheck();
}

QString MprisService::openUri(const QString& uri) {
  if (uri.size() > kMaxUriLength) return "La dirección es demasiado larga";
  const QUrl url(uri, QUrl::StrictMode);
  if (!url.isValid() || url.scheme() != "file" || !url.isLocalFile()) {
    return "Solo se pueden abrir direcciones file://";
  }
  if (!url.host().isEmpty() && url.host() != "localhost") {
    return "Solo se pueden abrir archivos de este equipo";
  }
  // Decoded to the raw bytes of the name, which need not be UTF-8.
  const std::string path =
      QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
  if (path.empty() || path.find('\0') != std::string::npos) return "Dirección no válida";
  const int added = core::OpenAndPlay(player_, {path});
  scheduleCheck();
  if (added == 0) return "No se puede reproducir " + uri.left(512);
  return {};
}

void MprisService::raise() {
  if (raise_) raise_();
}

void MprisService::quit() {
  // After the reply has gone out: closing ends the program.
  QTimer::singleShot(0, &main_, [this] { main_.close(); });
}

}  // namespace vemla::ui
