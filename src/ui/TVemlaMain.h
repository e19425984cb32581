#pragma once
// The main window: borderless, shaped like its skin, 344 x 237 client pixels. It shows the
// time, the scrolling title, the format lines, the position and volume bars, the repeat and
// random dots, the visualiser panel and the gauges, and carries the menu bar, eleven glyph
// buttons and four tiny title-bar buttons. Playback itself is the Player's: every control ends
// in one of its operations, and the Player shows its results through QtPlayerView.
//
// Timers (all stopped at start, each stops itself first and restarts only when it has more to
// do): `Contador` 1000 ms, `Despl_titulo` and `Despl_Titulo2` 400/2000/5000 ms, `T_Fade` 40 ms;
// `Pant_FX` lives in the visualiser panel. Only a long title scrolls while nothing plays.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/KeyDispatch.h"
#include "ui/TitleScroll.h"
#include "ui/VolumeKnob.h"

class QFrame;
class QLabel;
class QMenu;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class FxPanel;
class GlyphButton;
class MainMenus;
class Skin;
class TAcerca;
class TPlaylist;
class Tfopciones;
class TVemlaPlayerFX;

class TVemlaMain : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 344;
  static constexpr int kClientHeight = 237;
  static constexpr int kDefaultLeft = 332;
  static constexpr int kDefaultTop = 96;

  // The Player must outlive the window. Creating the window does not open the audio device;
  // the program entry does that around it, in the start-up order.
  explicit TVemlaMain(core::Player& player, QWidget* parent = nullptr);
  ~TVemlaMain() override;

  core::Player& player() { return player_; }

  // ---- Wiring done by the program entry once the other windows exist ----
  // The playlist window: shown, hidden and docked by this window, and the home of the
  // "Abrir Archivo", "Abrir Lista" and "Salvar Lista" commands the menus share. Its window
  // size is the size of its skin picture.
  void setPlaylistWindow(TPlaylist* playlist);
  void setInfoWindow(QWidget* info);
  // The tray: minimising goes through it when set, else the window minimises plainly.
  void setMinimizeHandler(std::function<void()> handler);
  // The mini window's time label, position knob and title (Parts fed by this window's timers).
  struct MiniWindowHooks {
    std::function<void(const QString&)> setTime;
    std::function<void(int)> setKnobLeft;
    std::function<void(const QString&)> setTitle;
  };
  void setMiniWindowHooks(MiniWindowHooks hooks);
  // The About window "A cerca de VemlaPlayer"; made on demand when not made by start-up.
  TAcerca* createAboutWindow();

  // The keyboard table every window hands its keys to.
  const KeyDispatch& keyDispatch() const { return keys_; }
  void DispatchKey(int key) { keys_.DispatchKey(key); }
  // What a key, a menu item or a button of the same meaning does.
  void runCommand(KeyCommand command);

  // ---- What the Player shows (called by QtPlayerView) ----
  void setTimeText(const QString& text);
  void setPositionKnob(bool visible, bool trackEnabled, int left);
  void setVolumeKnob(int left);
  void setPlaybackTimers(bool running);
  void setTitleLine(const QString& text);
  void restartTitleScroll(bool scroll);
  FxPanel* fxPanel() const { return fx_; }

  // ---- Handlers, public because menus, the tray and the mini window reach them ----
  void B_repetirClick();
  void B_RandomClick();
  void B_PlaylistClick();
  void B_infoClick();
  void B_silencioClick();
  void B_MinClick();
  void B_CerrarClick();
  void Pant_tiempoClick();
  void RefreshTimeDisplay();
  void SeekFromKnob();
  void SetVolumePercent(int percent);
  void SettleMuteState();
  void ContadorTimer();
  void Despl_tituloTimer();
  void Despl_Titulo2Timer();
  void T_FadeTimer();
  void showAbout();
  void showPreferences();
  // Menu commands "Atras/Adelante 5 segundos", "Bajar/Subir Volumen".
  void skipBack();
  void skipForward();
  void volumeDown();
  void volumeUp();
  void addFromOpenDialog();
  void loadList();
  void saveList();

  // Application (de)activation: the fade of both windows, 255 <-> 180 in steps of 5.
  void applicationActivated();
  void applicationDeactivated();

  // ---- Controls, for the other windows and for tests ----
  QLabel* Pant_tiempo() const { return pantTiempo_; }
  QLabel* Pant_titulo() const { return pantTitulo_; }
  QLabel* Tinfo2() const { return tinfo2_; }
  QLabel* Tinfo3() const { return tinfo3_; }
  QWidget* bot_despl() const { return botDespl_; }
  QWidget* bot_vol() const { return botVol_; }
  QWidget* Despl_pos() const { return desplPos_; }
  QWidget* Despl_Vol() const { return desplVol_; }
  QWidget* Image1() const { return image1_; }
  MainMenus& menus() { return *menus_; }
  QTimer* Contador() { return &contador_; }
  QTimer* Despl_titulo() { return &desplTitulo_; }
  QTimer* Despl_Titulo2() { return &desplTitulo2_; }
  QTimer* T_Fade() { return &fade_; }
  int FadeDirection() const { return fadeDirection_; }
  // The mute glyph now shown: "b_silencio.bmp" or "b_silencio2.bmp".
  QString muteGlyphName() const { return muteGlyph_; }

  // Where a drag of the window ended: snaps to the screen edges and docks with the playlist.
  void endDrag(QPoint startedAt);

 signals:
  // The window was closed: the program ends.
  void closed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildButtons();
  void describeControls();  // for assistive technology, TVemlaMainAccessible.cpp
  void connectTimers();
  void placePositionKnob(int left);
  void placeVolumeFromCursor(int globalX, bool settle);
  void placeSeekFromCursor(int globalX);
  bool filterKnobs(QObject* watched, QEvent* event);
  bool filterImage(QEvent* event);
  void setMuteGlyph(const QString& name);
  VolumeState volumeState() const;
  void storeVolumeState(const VolumeState& v);
  QString currentTitle() const;
  QString titleFrom(const QString& text, int firstChar) const;
  void scrollTitle(uint16_t& offset, uint16_t& backwards, QTimer& timer, int window, bool mini);
  int windowAlpha() const;
  void setAlpha(int alpha);

  core::Player& player_;
  KeyDispatch keys_;
  std::unique_ptr<MainMenus> menus_;
  std::unique_ptr<Skin> skin_;
  QPointer<TPlaylist> playlist_;
  QPointer<QWidget> info_;
  MiniWindowHooks mini_;
  std::function<void()> minimize_;

  QWidget* image1_ = nullptr;
  QLabel* pantTiempo_ = nullptr;
  QLabel* pantTitulo_ = nullptr;
  QLabel* tinfo2_ = nullptr;
  QLabel* tinfo3_ = nullptr;
  QWidget* desplPos_ = nullptr;
  QWidget* botDespl_ = nullptr;
  QWidget* desplVol_ = nullptr;
  QWidget* botVol_ = nullptr;
  QWidget* puntoRepetir_ = nullptr;
  QWidget* puntoRandom_ = nullptr;
  QFrame* bevel1_ = nullptr;
  FxPanel* fx_ = nullptr;
  // B_repetir, B_Random, B_Playlist, B_info, B_fx, B_silencio, B_anterior, B_Reproducir,
  // B_Pausa, B_Stop, B_Siguiente: the order they are cut in.
  std::array<GlyphButton*, 11> buttons_{};
  GlyphButton* bSilencio_ = nullptr;

  QTimer contador_;
  QTimer desplTitulo_;
  QTimer desplTitulo2_;
  QTimer fade_;
  int fadeDirection_ = 0;
  bool alphaBlend_ = false;
  int alpha_ = 255;
  QString muteGlyph_ = "b_silencio.bmp";
  bool glyphWarned_ = false;

  QPointer<TAcerca> about_;
  QPointer<Tfopciones> preferences_;
  QPointer<TVemlaPlayerFX> fxForm_;

  // Dragging the window by its picture: the offset of the press from the window's corner.
  bool dragging_ = false;
  bool dragMoved_ = false;
  QPoint dragOffset_;
  QPoint dragStart_;
};

}  // namespace vemla::ui
