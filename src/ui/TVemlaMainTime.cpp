// The main window's live displays: time, position knob and seeking, volume knob and mute,
// and the two scrolling titles.
#include <QDebug>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

#include "core/Player.h"
#include "ui/AccessibleControl.h"
#include "ui/FxPanel.h"
#include "ui/GlyphButton.h"
#include "ui/TVemlaMain.h"
#include "ui/TimeDisplay.h"

namespace vemla::ui {

namespace {
const playlist::Tcancion& currentEntry(core::Player& p) {
  return p.List.Entries[p.List.CurrentEntry];
}
}  // namespace

// ---- What the Player shows ----

void TVemlaMain::setTimeText(const QString& text) { pantTiempo_->setText(text); }

void TVemlaMain::setPositionKnob(bool visible, bool trackEnabled, int left) {
  botDespl_->move(left, botDespl_->y());
  botDespl_->setVisible(visible);
  desplPos_->setEnabled(trackEnabled);
  if (!trackEnabled) player_.SeekDragging = 0;
}

void TVemlaMain::setVolumeKnob(int left) { botVol_->move(left, botVol_->y()); }

// The title timers are not among them: a long title scrolls whenever it is shown, paused or not.
void TVemlaMain::setPlaybackTimers(bool running) {
  if (running) {
    contador_.start();
    fx_->start();
  } else {
    contador_.stop();
    fx_->stop();
  }
}

// Every start of an entry shows its title here (a chosen one, Next, Previous, an automatic
// advance), so each starts its title from the first character and scrolls it when it is long.
void TVemlaMain::setTitleLine(const QString& text) {
  pantTitulo_->setText(text);
  pantTitulo_->setAccessibleName(text);
  // The mini window shows the new title at once too, also one too short to scroll.
  if (mini_.setTitle) mini_.setTitle(text);
  restartTitleScroll(TitleScroll::scrolls(static_cast<int>(text.toUcs4().size())));
}

void TVemlaMain::restartTitleScroll(bool scroll) {
  player_.TitleOffset = 0;
  player_.TitleBackwards = 0;
  player_.MiniTitleOffset = 0;
  player_.MiniTitleBackwards = 0;
  for (QTimer* t : {&desplTitulo_, &desplTitulo2_}) {
    t->setInterval(TitleScroll::kStartPauseMs);
    if (scroll) {
      t->start();
    } else {
      t->stop();
    }
  }
}

// ---- Time ----

void TVemlaMain::ContadorTimer() {
  contador_.stop();
  const float p = player_.StreamPositionSeconds();
  const std::int64_t d = currentEntry(player_).LengthSeconds;
  // A knob held by the mouse stays where the hand puts it.
  if (!player_.SeekDragging) placePositionKnob(TimeDisplay::knobForPosition(p, d));
  if (mini_.setKnobLeft) mini_.setKnobLeft(TimeDisplay::miniKnobForPosition(p, d));
  const std::int64_t s =
      TimeDisplay::shownSeconds(p, player_.StreamLengthSeconds(), player_.TimeMode);
  const QString text = QString::fromStdString(TimeDisplay::timeText(s, player_.TimeMode));
  pantTiempo_->setText(text);
  if (mini_.setTime) mini_.setTime(text);
  // A stream that has played to its end stays current with its last time shown; nothing
  // needs to tick until the next start.
  const int slot = player_.CurrentSlot;
  const bool ended =
      slot >= 0 && slot < core::kStreamSlotCount &&
      player_.Audio().ChannelIsActive(player_.StreamSlots[slot].Handle) == audio::kStopped;
  if (!ended) contador_.start();
}

void TVemlaMain::RefreshTimeDisplay() {
  std::int64_t s = 0;
  if (player_.CurrentSlot != -1) {
    s = TimeDisplay::shownSeconds(player_.StreamPositionSeconds(), player_.StreamLengthSeconds(),
                                  player_.TimeMode);
  }
  pantTiempo_->setText(QString::fromStdString(TimeDisplay::timeText(s, player_.TimeMode)));
}

void TVemlaMain::Pant_tiempoClick() {
  player_.TimeMode = player_.TimeMode == 1 ? 2 : 1;
  RefreshTimeDisplay();
}

// ---- Position ----

void TVemlaMain::placePositionKnob(int left) { botDespl_->move(left, botDespl_->y()); }

void TVemlaMain::placeSeekFromCursor(int globalX) {
  const int x = mapFromGlobal(QPoint(globalX, 0)).x();
  placePositionKnob(TimeDisplay::clampKnob(x - 16));
}

void TVemlaMain::SeekFromKnob() {
  if (player_.CurrentSlot == -1) return;
  const std::int64_t t =
      TimeDisplay::seekSecondsForKnob(botDespl_->x(), currentEntry(player_).LengthSeconds);
  player_.SeekSeconds(static_cast<float>(t));
}

void TVemlaMain::skipBack() {
  placePositionKnob(TimeDisplay::clampKnob(botDespl_->x() - TimeDisplay::kKnobStep));
  SeekFromKnob();
}

void TVemlaMain::skipForward() {
  placePositionKnob(TimeDisplay::clampKnob(botDespl_->x() + TimeDisplay::kKnobStep));
  SeekFromKnob();
}

// ---- Volume and mute ----

VolumeState TVemlaMain::volumeState() const {
  VolumeState v;
  v.knobLeft = player_.VolumeKnobLeft;
  v.muted = player_.Muted != 0;
  v.savedVolume = player_.SavedVolume;
  return v;
}

void TVemlaMain::storeVolumeState(const VolumeState& v) {
  player_.Muted = v.muted ? 1 : 0;
  player_.SavedVolume = v.savedVolume;
  player_.SetVolumeKnobLeft(v.knobLeft);
  setMuteGlyph(v.muted ? "b_silencio2.bmp" : "b_silencio.bmp");
  player_.ApplyVolume();
  accessibleValueChanged(botVol_);
  accessibleStateChanged(bSilencio_);
}

void TVemlaMain::setMuteGlyph(const QString& name) {
  if (name == muteGlyph_ && bSilencio_->property("glyphLoaded").toBool()) return;
  muteGlyph_ = name;
  const QString path = QString::fromStdString(player_.ProgramDir) + "/skin/" + name;
  if (bSilencio_->loadGlyph(path)) {
    bSilencio_->setProperty("glyphLoaded", true);
    return;
  }
  // A missing file must not stop the volume from changing: show the built-in drawing.
  bSilencio_->setProperty("glyphLoaded", false);
  bSilencio_->setGlyph(name == "b_silencio2.bmp" ? Picture::Silencio2 : Picture::Silencio);
  if (!glyphWarned_) {
    qWarning("No se puede abrir el archivo %s", qPrintable(QFileInfo(path).absoluteFilePath()));
    glyphWarned_ = true;
  }
}

void TVemlaMain::SettleMuteState() {
  VolumeState v = volumeState();
  VolumeKnob::SettleMuteState(v);
  storeVolumeState(v);
}

void TVemlaMain::SetVolumePercent(int percent) {
  VolumeState v = volumeState();
  VolumeKnob::SetVolumePercent(v, percent);
  storeVolumeState(v);
}

void TVemlaMain::volumeUp() {
  VolumeState v = volumeState();
  VolumeKnob::moveBy(v, VolumeKnob::kStep);
  storeVolumeState(v);
}

void TVemlaMain::volumeDown() {
  VolumeState v = volumeState();
  VolumeKnob::moveBy(v, -VolumeKnob::kStep);
  storeVolumeState(v);
}

void TVemlaMain::B_silencioClick() {
  VolumeState v = volumeState();
  VolumeKnob::toggleMute(v);
  storeVolumeState(v);
}

void TVemlaMain::placeVolumeFromCursor(int globalX, bool settle) {
  const int x = mapFromGlobal(QPoint(globalX, 0)).x();
  player_.SetVolumeKnobLeft(VolumeKnob::clamp(x - 5));
  if (settle) SettleMuteState();
}

bool TVemlaMain::filterKnobs(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseMove) {
    return false;
  }
  const auto* me = static_cast<QMouseEvent*>(event);
  const int gx = qRound(me->globalPosition().x());
  const bool left = me->button() == Qt::LeftButton;
  auto* w = static_cast<QWidget*>(watched);
  if (watched == botDespl_) {
    if (type == QEvent::MouseButtonPress) {
      player_.SeekDragging = left ? 1 : 0;
    } else if (type == QEvent::MouseMove && player_.SeekDragging) {
      placeSeekFromCursor(gx);
      SeekFromKnob();
    } else if (type == QEvent::MouseButtonRelease) {
      player_.SeekDragging = 0;
    }
    return false;
  }
  if (watched == desplPos_) {
    // A click on the track jumps there.
    if (type == QEvent::MouseButtonRelease && left &&
        w->rect().contains(me->position().toPoint())) {
      placeSeekFromCursor(gx);
      SeekFromKnob();
    }
    return false;
  }
  // Volume knob and track.
  if (type == QEvent::MouseButtonPress) {
    player_.VolumeDragging = left ? 1 : 0;
  } else if (type == QEvent::MouseMove && player_.VolumeDragging) {
    placeVolumeFromCursor(gx, watched == botVol_);
  } else if (type == QEvent::MouseButtonRelease) {
    player_.VolumeDragging = 0;
    if (watched == desplVol_ && left && w->rect().contains(me->position().toPoint())) {
      placeVolumeFromCursor(gx, true);
    }
  }
  return false;
}

// ---- Titles ----

QString TVemlaMain::currentTitle() const {
  return QString::fromStdString(std::string(currentEntry(player_).DisplayLine));
}

void TVemlaMain::scrollTitle(uint16_t& offset, uint16_t& backwards, QTimer& timer, int window,
                             bool mini) {
  timer.stop();
  const QList<uint> chars = currentTitle().toUcs4();
  TitleScrollState s{offset, backwards != 0};
  const TitleScrollStep step = TitleScroll::tick(s, static_cast<int>(chars.size()), window);
  offset = static_cast<uint16_t>(s.offset);
  backwards = s.backwards ? 1 : 0;
  const int first = std::clamp(step.firstChar, 1, static_cast<int>(chars.size()) + 1) - 1;
  const QString caption =
      QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()) + first,
                        static_cast<qsizetype>(chars.size() - first));
  if (mini) {
    if (mini_.setTitle) mini_.setTitle(caption);
  } else {
    pantTitulo_->setText(caption);
  }
  if (step.keepRunning) timer.start(step.intervalMs);
}

void TVemlaMain::Despl_tituloTimer() {
  scrollTitle(player_.TitleOffset, player_.TitleBackwards, desplTitulo_, TitleScroll::kMainWindow,
              false);
}

void TVemlaMain::Despl_Titulo2Timer() {
  scrollTitle(player_.MiniTitleOffset, player_.MiniTitleBackwards, desplTitulo2_,
              TitleScroll::kMiniWindow, true);
}

}  // namespace vemla::ui
