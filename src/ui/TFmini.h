#pragma once
// The mini window: a 150 x 100 borderless, translucent remote control that stays on top while
// the main window is away in the notification area. It holds no playback logic: its buttons
// call the Player or the main window's own handlers, and the main window's counter and title
// timers write its time, knob and title (setTime, setKnobLeft, setTitle).
//
// Shown and hidden only through bringUp() and putAway(), by the tray (MainTray) and by its own
// two small buttons; `MiniShown` is true exactly while it is up as the player. Its pure-red
// pixels are see-through (a mask made from the colour) and it has no task-bar entry.
// Construction is in TFmini.cpp, the button handlers in TFminiControls.cpp.
#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "ui/SkinnedWidget.h"

class QLabel;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class GlyphButton;
class Skin;
class TVemlaMain;

class TFmini : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kOpacity = 160;  // of 255

  // The Player and the main window must outlive this window.
  TFmini(core::Player& player, TVemlaMain& main, QWidget* parent = nullptr);
  ~TFmini() override;

  // ---- Up and away (the steps the tray shares) ----
  // MiniShown := true; stay-on-top, on a visible screen, shown, opacity 160/255.
  void bringUp();
  // The first minimise's quick show, hide and show again, before bringUp.
  void showHideShow();
  // MiniShown := false; hidden and a normal window again.
  void putAway();
  // What "Maximizar" does after putting this window away: the tray restores the main window.
  void setRestoreHandler(std::function<void()> handler) { restore_ = std::move(handler); }
  // What "Ocultar MiniVemla" does after putting this window away (the tray keeps the main
  // window reachable when there is no notification area).
  void setHiddenHandler(std::function<void()> handler) { hidden_ = std::move(handler); }

  // ---- What the main window's timers write ----
  void setTime(const QString& text);
  void setKnobLeft(int left);
  void setTitle(const QString& text);

  // Dots and mute glyph follow the player's state: after keys, tray commands, and when shown.
  void syncFromPlayer();

  // ---- Handlers ----
  void B_CerrarClick();
  void B_MaxClick();
  void B_ReproducirClick();
  void B_anteriorClick();
  void B_SiguienteClick();
  void B_StopClick();
  void B_silencioClick();
  void B_repetirClick();
  void B_RandomClick();
  void Pant_tiempoClick();
  void Despl_posClick(int cursorX);
  void bot_desplMouseDown(Qt::MouseButton button);
  void bot_desplMouseMove(int cursorX);
  void bot_desplMouseUp();
  // Where a drag of the window by its picture ended: snaps to the screen edges.
  void endDrag();

  // ---- Controls, for the tray and for tests ----
  QLabel* Pant_tiempo() const { return pantTiempo_; }
  QLabel* Pant_Titulo() const { return pantTitulo_; }
  QWidget* bot_despl() const { return botDespl_; }
  QWidget* punto_repetir() const { return puntoRepetir_; }
  QWidget* punto_random() const { return puntoRandom_; }
  // Glyph file names now shown: "b_play.bmp"/"b_pausa.bmp", "b_silencio.bmp"/"b_silencio2.bmp".
  QString playGlyphName() const { return playGlyph_; }
  QString muteGlyphName() const { return muteGlyph_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void buildControls();
  void buildButtons();
  void dispatchKey(int key);
  void seek();
  QString knobTimeText() const;
  void setStayOnTop(bool on);
  // Loads ProgramDir + "/skin/" + name into the button; the built-in drawing when it fails.
  void loadGlyph(GlyphButton* button, const QString& name, int builtIn);
  void setMuteGlyphs(bool muted);
  void setPlayGlyph(bool paused);

  core::Player& player_;
  TVemlaMain& main_;
  std::unique_ptr<Skin> skin_;
  std::function<void()> restore_;
  std::function<void()> hidden_;

  SkinnedWidget* image1_ = nullptr;
  QLabel* pantTiempo_ = nullptr;
  QLabel* pantTitulo_ = nullptr;
  SkinnedWidget* desplPos_ = nullptr;
  SkinnedWidget* botDespl_ = nullptr;
  QWidget* puntoRepetir_ = nullptr;
  QWidget* puntoRandom_ = nullptr;
  // B_anterior, B_Reproducir, B_Stop, B_Siguiente, B_silencio, B_repetir, B_Random: the seven
  // cut to their glyphs.
  std::array<GlyphButton*, 7> glyphs_{};
  GlyphButton* bCerrar_ = nullptr;
  GlyphButton* bMax_ = nullptr;
  QString playGlyph_ = "b_play.bmp";
  QString muteGlyph_ = "b_silencio.bmp";
  bool glyphWarned_ = false;

  bool dragging_ = false;
  bool dragMoved_ = false;
  QPoint dragOffset_;
};

}  // namespace vemla::ui
