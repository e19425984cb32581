// The mini window's buttons, time label, position knob and keys. Playback goes through the Player;
// mute, repeat, random and the time mode are the main window's, shared.
#include <QDebug>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "core/Player.h"
#include "ui/AccessibleControl.h"
#include "ui/GlyphButton.h"
#include "ui/LabelClick.h"
#include "ui/MiniGeometry.h"
#include "ui/TFmini.h"
#include "ui/TVemlaMain.h"

namespace vemla::ui {

namespace {
enum Glyph { kAnterior, kReproducir, kStop, kSiguiente, kSilencio, kRepetir, kRandom };
}  // namespace

void TFmini::B_CerrarClick() {
  if (!player_.MiniShown) return;
  putAway();
  if (hidden_) hidden_();
}

void TFmini::B_MaxClick() {
  putAway();
  if (restore_) restore_();
}

void TFmini::B_ReproducirClick() {
  if (player_.Stopped) {
    player_.PlaySelected();
  } else {
    player_.TogglePause();
  }
  // The glyph always says whether we are paused, also after a stop and a new start.
  setPlayGlyph(player_.Paused != 0);
}

void TFmini::B_anteriorClick() { player_.PlayPrevious(); }

void TFmini::B_SiguienteClick() { player_.PlayNext(); }

void TFmini::B_StopClick() { player_.StopPlayback(); }

void TFmini::B_silencioClick() {
  // The main window's own mute: knob, saved volume, its glyph and the stream volume.
  main_.B_silencioClick();
  syncFromPlayer();
}

void TFmini::B_repetirClick() {
  // The main window's handler shows its own dot; this one follows the same state.
  main_.B_repetirClick();
  syncFromPlayer();
}

void TFmini::B_RandomClick() {
  main_.B_RandomClick();
  syncFromPlayer();
}

void TFmini::Pant_tiempoClick() {
  // The main window redraws at once; this label follows at the next counter tick.
  main_.Pant_tiempoClick();
}

void TFmini::syncFromPlayer() {
  puntoRepetir_->setVisible(player_.RepeatMode != 0);
  puntoRandom_->setVisible(player_.RandomMode != 0);
  setMuteGlyphs(player_.Muted != 0);
  setPlayGlyph(player_.Paused != 0);
  for (int i : {kSilencio, kRepetir, kRandom}) accessibleStateChanged(glyphs_[i]);
}

void TFmini::setPlayGlyph(bool paused) {
  const QString name = paused ? "b_pausa.bmp" : "b_play.bmp";
  GlyphButton* b = glyphs_[kReproducir];
  if (name == playGlyph_ && b->property("glyphLoaded").isValid()) return;
  playGlyph_ = name;
  loadGlyph(b, name, static_cast<int>(paused ? Picture::Pausa : Picture::Reproducir));
}

void TFmini::setMuteGlyphs(bool muted) {
  const QString name = muted ? "b_silencio2.bmp" : "b_silencio.bmp";
  if (name == muteGlyph_ && glyphs_[kSilencio]->property("glyphLoaded").isValid()) return;
  muteGlyph_ = name;
  loadGlyph(glyphs_[kSilencio], name,
            static_cast<int>(muted ? Picture::Silencio2 : Picture::Silencio));
}

void TFmini::loadGlyph(GlyphButton* button, const QString& name, int builtIn) {
  const QString path = QString::fromStdString(player_.ProgramDir) + "/skin/" + name;
  const bool loaded = button->loadGlyph(path);
  button->setProperty("glyphLoaded", loaded);
  if (loaded) return;
  // A missing file must not take the button away: it keeps working with the built-in drawing.
  button->setGlyph(static_cast<Picture>(builtIn));
  if (!glyphWarned_) {
    qWarning("No se puede abrir el archivo %s", qPrintable(QFileInfo(path).absoluteFilePath()));
    glyphWarned_ = true;
  }
}

// ---- Position knob ----

void TFmini::bot_desplMouseDown(Qt::MouseButton button) {
  player_.MiniSeekDragging = button == Qt::LeftButton ? 1 : 0;
}

void TFmini::bot_desplMouseMove(int cursorX) {
  if (!player_.MiniSeekDragging) return;
  setKnobLeft(MiniGeometry::knobForCursor(cursorX));
  seek();
}

void TFmini::bot_desplMouseUp() { player_.MiniSeekDragging = 0; }

void TFmini::Despl_posClick(int cursorX) {
  setKnobLeft(MiniGeometry::knobForCursor(cursorX));
  seek();
}

void TFmini::seek() {
  if (player_.CurrentSlot == -1) return;
  const auto& entry = player_.List.Entries[player_.List.CurrentEntry];
  player_.SeekSeconds(
      static_cast<float>(MiniGeometry::seekSecondsForKnob(botDespl_->x(), entry.LengthSeconds)));
}

// ---- Keys and the time label ----

void TFmini::dispatchKey(int key) {
  main_.DispatchKey(key);
  syncFromPlayer();
}

void TFmini::keyPressEvent(QKeyEvent* event) {
  if (main_.keyDispatch().DispatchKey(event->key())) {
    syncFromPlayer();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TFmini::eventFilter(QObject* watched, QEvent* event) {
  if (watched != pantTiempo_) return QWidget::eventFilter(watched, event);
  return filterLabelClick(pantTiempo_, event, [this] { Pant_tiempoClick(); });
}

}  // namespace vemla::ui
