// Construction, layout and the buttons of the main window. The time, knobs and titles are in
// TVemlaMainTime.cpp; dragging, docking and the fade in TVemlaMainMove.cpp.
#include "ui/TVemlaMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include "core/Player.h"
#include "ui/AccessibleControl.h"
#include "ui/ActiveSkin.h"
#include "ui/FxPanel.h"
#include "ui/GlyphButton.h"
#include "ui/LabelClick.h"
#include "ui/MainMenus.h"
#include "ui/Skin.h"
#include "ui/SkinnedWidget.h"
#include "ui/TAcerca.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaPlayerFX.h"
#include "ui/Tfopciones.h"
#include "ui/TimeDisplay.h"

namespace vemla::ui {

namespace {
constexpr QColor kAqua(0, 255, 255);
constexpr QColor kSilver(192, 192, 192);

// The place of a control from the skin's table, or the one given when the table lacks it.
QRect placeOf(const char* name, QRect fallback) {
  const QRect r = Skin::place(SkinWindow::Main, name);
  return r.isEmpty() ? fallback : r;
}

QLabel* makeLabel(QWidget* parent, const char* name, QRect place, const QFont& font,
                  QColor colour) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setGeometry(place);
  label->setFont(font);
  label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, colour);
  label->setPalette(p);
  return label;
}

QFont uiFont(const char* family, int pointSize, int pixelSize, bool bold) {
  QFont f(family);
  f.setStyleHint(QFont::SansSerif);
  if (pixelSize > 0) {
    f.setPixelSize(pixelSize);
  } else {
    f.setPointSize(pointSize);
  }
  f.setBold(bold);
  return f;
}

struct GlyphDef {
  const char* name;
  const char* hint;
  Picture glyph;
  QRect place;
};

// In the order their windows are cut.
const GlyphDef kGlyphs[11] = {
    {"B_repetir", "Repetir", Picture::Repetir, {317, 37, 25, 21}},
    {"B_Random", "Aleatorio", Picture::Random, {317, 57, 25, 21}},
    {"B_Playlist", "Lista de Canciones", Picture::Playlist, {312, 80, 29, 18}},
    {"B_info", "Información de canción", Picture::Info, {312, 100, 29, 18}},
    {"B_fx", "Efectos Especiales", Picture::Fx, {312, 119, 29, 18}},
    {"B_silencio", "Silencio", Picture::Silencio, {193, 145, 25, 26}},
    {"B_anterior", "Anterior", Picture::Anterior, {19, 141, 25, 26}},
    {"B_Reproducir", "Reproducir", Picture::Reproducir, {48, 143, 25, 26}},
    {"B_Pausa", "Pausa", Picture::Pausa, {79, 143, 25, 26}},
    {"B_Stop", "Parar", Picture::Stop, {109, 143, 25, 26}},
    {"B_Siguiente", "Siguiente", Picture::Siguiente, {139, 141, 25, 26}},
};
}  // namespace

TVemlaMain::TVemlaMain(core::Player& player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      player_(player),
      keys_([this](KeyCommand c) { runCommand(c); }),
      skin_(std::make_unique<Skin>()) {
  setObjectName("VemlaMain");
  setWindowTitle("VemlaPlayer v1.0b");
  setFixedSize(kClientWidth, kClientHeight);
  move(kDefaultLeft, kDefaultTop);
  setFont(uiFont("MS Sans Serif", 8, 0, false));
  setFocusPolicy(Qt::ClickFocus);
  // The menus slide open from top to bottom.
  QApplication::setEffectEnabled(Qt::UI_AnimateMenu);

  buildControls();
  menus_ = std::make_unique<MainMenus>(*this);
  buildButtons();
  connectTimers();
  describeControls();

  ActiveSkin(*this, skin_->outline(Picture::MainBackground), Skin::pictureOffset(SkinWindow::Main));
  for (GlyphButton* b : buttons_) CutButtonToGlyph(*b);

  preferences_ = new Tfopciones(this);
  preferences_->setWindowFlag(Qt::Window);
  fxForm_ = new TVemlaPlayerFX(this);
  fxForm_->setWindowFlag(Qt::Window);

  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive) {
      applicationActivated();
    } else if (s == Qt::ApplicationInactive) {
      applicationDeactivated();
    }
  });
}

TVemlaMain::~TVemlaMain() = default;

void TVemlaMain::buildControls() {
  auto* image1 = new SkinnedWidget(this, "Image1", skin_.get(), Picture::MainBackground);
  image1->setGeometry(placeOf("Image1", {-2, 0, 345, 175}));
  image1->installEventFilter(this);
  image1_ = image1;

  tinfo2_ = makeLabel(this, "Tinfo2", placeOf("Tinfo2", {18, 76, 170, 13}),
                      uiFont("MS Sans Serif", 8, 0, true), kSilver);
  tinfo3_ = makeLabel(this, "Tinfo3", placeOf("Tinfo3", {18, 88, 170, 13}),
                      uiFont("MS Sans Serif", 8, 0, true), kSilver);
  pantTiempo_ = makeLabel(this, "Pant_tiempo", placeOf("Pant_tiempo", {12, 48, 85, 27}),
                          uiFont("MS Sans Serif", 0, 20, true), kAqua);
  pantTiempo_->setAlignment(Qt::AlignCenter);
  pantTiempo_->setText("00:00");
  pantTiempo_->installEventFilter(this);
  pantTitulo_ = makeLabel(this, "Pant_titulo", placeOf("Pant_titulo", {12, 102, 291, 17}),
                          uiFont("Arial", 0, 16, true), kAqua);

  desplPos_ = new SkinnedWidget(this, "Despl_pos", skin_.get());
  desplPos_->setGeometry(placeOf("Despl_pos", {6, 128, 295, 9}));
  desplPos_->installEventFilter(this);
  botDespl_ = new SkinnedWidget(this, "bot_despl", skin_.get(), Picture::PositionKnob);
  botDespl_->setGeometry(placeOf("bot_despl", {6, 128, 32, 9}));
  botDespl_->installEventFilter(this);
  // Nothing plays yet: the knob is hidden and its track takes no clicks.
  botDespl_->hide();
  desplPos_->setEnabled(false);

  desplVol_ = new SkinnedWidget(this, "Despl_Vol", skin_.get());
  desplVol_->setGeometry(placeOf("Despl_Vol", {220, 158, 83, 9}));
  desplVol_->installEventFilter(this);
  botVol_ = new SkinnedWidget(this, "bot_vol", skin_.get(), Picture::VolumeKnob);
  const QRect vol = placeOf("bot_vol", {277, 161, 12, 7});
  botVol_->setGeometry(VolumeKnob::clamp(player_.VolumeKnobLeft), vol.y(), vol.width(),
                       vol.height());
  botVol_->installEventFilter(this);

  puntoRepetir_ = new SkinnedWidget(this, "punto_repetir", skin_.get(), Picture::Dot);
  puntoRepetir_->setGeometry(placeOf("punto_repetir", {315, 46, 2, 2}));
  puntoRepetir_->setVisible(player_.RepeatMode != 0);
  puntoRandom_ = new SkinnedWidget(this, "punto_random", skin_.get(), Picture::Dot);
  puntoRandom_->setGeometry(placeOf("punto_random", {315, 67, 2, 2}));
  puntoRandom_->setVisible(player_.RandomMode != 0);

  bevel1_ = new QFrame(this);
  bevel1_->setObjectName("Bevel1");
  bevel1_->setFrameStyle(QFrame::Box | QFrame::Plain);
  bevel1_->setGeometry(placeOf("Bevel1", {195, 62, 101, 39}));
  QPalette bp = bevel1_->palette();
  bp.setColor(QPalette::WindowText, Qt::black);
  bevel1_->setPalette(bp);
  bevel1_->setAttribute(Qt::WA_TransparentForMouseEvents);

  auto* state = &player_;
  fx_ = new FxPanel(
      player_.Audio(),
      [state]() -> audio::Handle {
        const int slot = state->CurrentSlot;
        if (slot < 0 || slot >= core::kStreamSlotCount) return 0;
        return state->StreamSlots[slot].Handle;
      },
      player_.FxType, player_.FxMode, this);
  fx_->setObjectName("Pant_FXD");
  fx_->setGeometry(placeOf("Pant_FXD", {195, 64, 99, 35}));
}

void TVemlaMain::buildButtons() {
  for (int i = 0; i < 11; ++i) {
    const GlyphDef& def = kGlyphs[i];
    auto* b = new GlyphButton(this, def.name, def.glyph, skin_.get(), SkinWindow::Main);
    b->setGeometry(placeOf(def.name, def.place));
    b->setToolTip(def.hint);
    connect(b, &SkinnedWidget::keyPressed, this, [this](int key) { DispatchKey(key); });
    buttons_[i] = b;
  }
  bSilencio_ = buttons_[5];
  connect(buttons_[0], &SkinnedWidget::clicked, this, &TVemlaMain::B_repetirClick);
  connect(buttons_[1], &SkinnedWidget::clicked, this, &TVemlaMain::B_RandomClick);
  connect(buttons_[2], &SkinnedWidget::clicked, this, &TVemlaMain::B_PlaylistClick);
  connect(buttons_[3], &SkinnedWidget::clicked, this, &TVemlaMain::B_infoClick);
  // B_fx does nothing.
  connect(buttons_[5], &SkinnedWidget::clicked, this, &TVemlaMain::B_silencioClick);
  const KeyCommand transport[5] = {KeyCommand::PlayPrevious, KeyCommand::PlaySelected,
                                   KeyCommand::TogglePause, KeyCommand::StopPlayback,
                                   KeyCommand::PlayNext};
  for (int i = 0; i < 5; ++i) {
    const KeyCommand c = transport[i];
    connect(buttons_[6 + i], &SkinnedWidget::clicked, this, [this, c] { runCommand(c); });
  }

  struct Tiny {
    const char* name;
    const char* hint;
    Picture glyph;
    QRect place;
  };
  const Tiny tiny[4] = {{"B_menu", "Menu", Picture::Menu, {3, 8, 11, 10}},
                        {"B_Min", "Minimizar", Picture::Minimizar, {297, 6, 11, 10}},
                        {"B_Max", "Maximizar", Picture::Maximizar, {310, 6, 11, 10}},
                        {"B_Cerrar", "Cerrar", Picture::Cerrar, {323, 6, 11, 10}}};
  GlyphButton* made[4];
  for (int i = 0; i < 4; ++i) {
    made[i] = new GlyphButton(this, tiny[i].name, tiny[i].glyph, skin_.get(), SkinWindow::Main);
    made[i]->setGeometry(placeOf(tiny[i].name, tiny[i].place));
    made[i]->setToolTip(tiny[i].hint);
    connect(made[i], &SkinnedWidget::keyPressed, this, [this](int key) { DispatchKey(key); });
  }
  connect(made[0], &SkinnedWidget::clicked, this, [this] { menus_->openMenuPopup(); });
  connect(made[1], &SkinnedWidget::clicked, this, &TVemlaMain::B_MinClick);
  // B_Max does nothing.
  connect(made[3], &SkinnedWidget::clicked, this, &TVemlaMain::B_CerrarClick);
}

void TVemlaMain::connectTimers() {
  contador_.setObjectName("Contador");
  contador_.setInterval(1000);
  desplTitulo_.setObjectName("Despl_titulo");
  desplTitulo_.setInterval(TitleScroll::kStepMs);
  desplTitulo2_.setObjectName("Despl_Titulo2");
  desplTitulo2_.setInterval(TitleScroll::kStepMs);
  fade_.setObjectName("T_Fade");
  fade_.setInterval(40);
  for (QTimer* t : {&contador_, &desplTitulo_, &desplTitulo2_, &fade_}) t->setSingleShot(true);
  connect(&contador_, &QTimer::timeout, this, &TVemlaMain::ContadorTimer);
  connect(&desplTitulo_, &QTimer::timeout, this, &TVemlaMain::Despl_tituloTimer);
  connect(&desplTitulo2_, &QTimer::timeout, this, &TVemlaMain::Despl_Titulo2Timer);
  connect(&fade_, &QTimer::timeout, this, &TVemlaMain::T_FadeTimer);
}

void TVemlaMain::setPlaylistWindow(TPlaylist* playlist) { playlist_ = playlist; }

void TVemlaMain::setInfoWindow(QWidget* info) { info_ = info; }

void TVemlaMain::setMinimizeHandler(std::function<void()> handler) {
  minimize_ = std::move(handler);
}

void TVemlaMain::setMiniWindowHooks(MiniWindowHooks hooks) { mini_ = std::move(hooks); }

TAcerca* TVemlaMain::createAboutWindow() {
  if (!about_) about_ = new TAcerca(this);
  about_->setWindowFlag(Qt::Window);
  return about_;
}

void TVemlaMain::showAbout() {
  TAcerca* about = createAboutWindow();
  about->show();
  about->raise();
}

void TVemlaMain::showPreferences() {
  preferences_->show();
  preferences_->raise();
}

void TVemlaMain::runCommand(KeyCommand command) {
  switch (command) {
    case KeyCommand::PlaySelected:
      player_.PlaySelected();
      break;
    case KeyCommand::PlayNext:
      player_.PlayNext();
      break;
    case KeyCommand::PlayPrevious:
      player_.PlayPrevious();
      break;
    case KeyCommand::TogglePause:
      player_.TogglePause();
      break;
    case KeyCommand::StopPlayback:
      player_.StopPlayback();
      break;
    case KeyCommand::ToggleRepeat:
      B_repetirClick();
      break;
    case KeyCommand::ToggleRandom:
      B_RandomClick();
      break;
    case KeyCommand::TogglePlaylist:
      B_PlaylistClick();
      break;
    case KeyCommand::VolumeDown:
      volumeDown();
      break;
    case KeyCommand::VolumeUp:
      volumeUp();
      break;
    case KeyCommand::SeekBack:
      skipBack();
      break;
    case KeyCommand::SeekForward:
      skipForward();
      break;
    case KeyCommand::None:
      break;
  }
}

void TVemlaMain::B_repetirClick() {
  player_.RepeatMode = player_.RepeatMode ? 0 : 1;
  puntoRepetir_->setVisible(player_.RepeatMode != 0);
  accessibleStateChanged(buttons_[0]);
}

void TVemlaMain::B_RandomClick() {
  player_.RandomMode = player_.RandomMode ? 0 : 1;
  puntoRandom_->setVisible(player_.RandomMode != 0);
  accessibleStateChanged(buttons_[1]);
}

void TVemlaMain::B_PlaylistClick() {
  if (player_.PlaylistVisible) {
    if (playlist_) playlist_->hide();
    player_.PlaylistVisible = 0;
  } else {
    if (playlist_) {
      playlist_->show();
      playlist_->raise();
    }
    player_.PlaylistVisible = 1;
  }
}

void TVemlaMain::B_infoClick() {
  if (player_.List.EntryCount <= 0 || !info_) return;
  info_->setVisible(!info_->isVisible());
}

void TVemlaMain::B_MinClick() {
  if (minimize_) {
    minimize_();
  } else {
    showMinimized();
  }
}

void TVemlaMain::B_CerrarClick() { close(); }

void TVemlaMain::addFromOpenDialog() {
  if (playlist_) playlist_->AddFromOpenDialog();
}

void TVemlaMain::loadList() {
  if (playlist_) playlist_->CargarLista2Click();
}

void TVemlaMain::saveList() {
  if (playlist_) playlist_->SalvarLista1Click();
}

void TVemlaMain::keyPressEvent(QKeyEvent* event) {
  if (!keys_.DispatchKey(event->key())) QWidget::keyPressEvent(event);
}

void TVemlaMain::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}

bool TVemlaMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == image1_) return filterImage(event);
  if (watched == pantTiempo_) {
    return filterLabelClick(pantTiempo_, event, [this] { Pant_tiempoClick(); });
  }
  if (watched == botDespl_ || watched == desplPos_ || watched == botVol_ || watched == desplVol_) {
    return filterKnobs(watched, event);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vemla::ui
