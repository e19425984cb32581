// Construction of the mini window, its showing and hiding, the drag by its picture and what the
// main window's timers write into it. The button handlers are in TFminiControls.cpp.
#include "ui/TFmini.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "core/Player.h"
#include "ui/AccessibleControl.h"
#include "ui/ActiveSkin.h"
#include "ui/GlyphButton.h"
#include "ui/MiniGeometry.h"
#include "ui/ScreenClamp.h"
#include "ui/Skin.h"
#include "ui/SkinnedWidget.h"
#include "ui/TVemlaMain.h"
#include "ui/TimeDisplay.h"

namespace vemla::ui {

namespace {
constexpr QColor kAqua(0, 255, 255);
constexpr QRgb kSeeThrough = qRgb(255, 0, 0);

QRect placeOf(const char* name) { return Skin::place(SkinWindow::Mini, name); }

QLabel* makeLabel(QWidget* parent, const char* name, const QFont& font) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setGeometry(placeOf(name));
  label->setFont(font);
  label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, kAqua);
  label->setPalette(p);
  return label;
}

QFont pixelFont(const char* family, int pixels) {
  QFont f(family);
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixels);
  f.setBold(true);
  return f;
}
}  // namespace

TFmini::TFmini(core::Player& player, TVemlaMain& main, QWidget* parent)
    // A tool window: no task-bar entry of its own, since it stands in for the main window.
    : QWidget(parent, Qt::Window | Qt::Tool | Qt::FramelessWindowHint),
      player_(player),
      main_(main),
      skin_(std::make_unique<Skin>()) {
  setObjectName("Fmini");
  setWindowTitle("MiniVemla");
  setFixedSize(MiniGeometry::kWidth, MiniGeometry::kHeight);
  QFont tahoma("Tahoma");
  tahoma.setStyleHint(QFont::SansSerif);
  tahoma.setPointSize(8);
  setFont(tahoma);
  setFocusPolicy(Qt::ClickFocus);
  setAccessibleName("MiniVemla");

  buildControls();
  buildButtons();

  // Pure red is see-through: a mask from the colour needs no compositor. The mask image has
  // its matching pixels set, which a bitmap reads as white, that is as cut away.
  const QImage face = skin_->outline(Picture::MiniBackground);
  if (!face.isNull()) {
    setMask(QBitmap::fromImage(face.createMaskFromColor(kSeeThrough, Qt::MaskInColor)));
  }
  for (GlyphButton* b : glyphs_) CutButtonToGlyph(*b);
  syncFromPlayer();
}

TFmini::~TFmini() = default;

void TFmini::buildControls() {
  image1_ = new SkinnedWidget(this, "Image1", skin_.get(), Picture::MiniBackground);
  image1_->setGeometry(placeOf("Image1"));
  connect(image1_, &SkinnedWidget::mousePressed, this,
          [this](Qt::MouseButton button, QPoint, QPoint global) {
            if (button != Qt::LeftButton) return;
            dragging_ = true;
            dragMoved_ = false;
            dragOffset_ = global - pos();
          });
  connect(image1_, &SkinnedWidget::mouseMoved, this, [this](Qt::MouseButtons, QPoint, QPoint g) {
    if (!dragging_) return;
    const QPoint to = g - dragOffset_;
    if (to == pos()) return;
    dragMoved_ = true;
    move(to);
  });
  connect(image1_, &SkinnedWidget::mouseReleased, this,
          [this](Qt::MouseButton button, QPoint, QPoint) {
            if (button != Qt::LeftButton || !dragging_) return;
            dragging_ = false;
            if (dragMoved_) endDrag();
          });

  pantTiempo_ = makeLabel(this, "Pant_tiempo", pixelFont("MS Sans Serif", 20));
  pantTiempo_->setAlignment(Qt::AlignCenter);
  pantTiempo_->setCursor(Qt::PointingHandCursor);
  pantTiempo_->installEventFilter(this);
  pantTitulo_ = makeLabel(this, "Pant_Titulo", pixelFont("Arial", 9));
  setTime("00:00");
  setTitle(QString());

  desplPos_ = new SkinnedWidget(this, "Despl_pos", skin_.get());
  desplPos_->setGeometry(placeOf("Despl_pos"));
  desplPos_->setAccessibleName("Posición");
  connect(desplPos_, &SkinnedWidget::mouseReleased, this,
          [this](Qt::MouseButton button, QPoint pos, QPoint) {
            if (button == Qt::LeftButton && desplPos_->rect().contains(pos)) {
              Despl_posClick(desplPos_->mapTo(this, pos).x());
            }
          });
  botDespl_ = new SkinnedWidget(this, "bot_despl", skin_.get(), Picture::MiniPositionKnob);
  botDespl_->setGeometry(placeOf("bot_despl"));
  connect(botDespl_, &SkinnedWidget::mousePressed, this,
          [this](Qt::MouseButton button, QPoint, QPoint) { bot_desplMouseDown(button); });
  connect(botDespl_, &SkinnedWidget::mouseMoved, this,
          [this](Qt::MouseButtons, QPoint, QPoint g) { bot_desplMouseMove(mapFromGlobal(g).x()); });
  connect(botDespl_, &SkinnedWidget::mouseReleased, this,
          [this](Qt::MouseButton, QPoint, QPoint) { bot_desplMouseUp(); });
  setKnobLeft(MiniGeometry::kKnobMin);
  // Read as the place in the song the knob stands for; a screen reader can move it too.
  AccessibleTraits knob;
  knob.role = QAccessible::Slider;
  knob.name = [this] { return QStringLiteral("Posición ") + knobTimeText(); };
  knob.value = [this] { return botDespl_->x(); };
  knob.setValue = [this](int left) {
    setKnobLeft(std::clamp(left, MiniGeometry::kKnobMin, MiniGeometry::kKnobMax));
    seek();
  };
  knob.valueText = [this] { return knobTimeText(); };
  knob.minimum = MiniGeometry::kKnobMin;
  knob.maximum = [] { return MiniGeometry::kKnobMax; };
  setAccessibleTraits(botDespl_, std::move(knob));

  puntoRepetir_ = new SkinnedWidget(this, "punto_repetir", skin_.get(), Picture::Dot);
  puntoRepetir_->setGeometry(placeOf("punto_repetir"));
  puntoRepetir_->setAccessibleName("Repetir");
  puntoRepetir_->hide();
  puntoRandom_ = new SkinnedWidget(this, "punto_random", skin_.get(), Picture::Dot);
  puntoRandom_->setGeometry(placeOf("punto_random"));
  puntoRandom_->setAccessibleName("Aleatorio");
  puntoRandom_->hide();
}

void TFmini::buildButtons() {
  struct Def {
    const char* name;
    const char* hint;
    Picture glyph;
    void (TFmini::*click)();
  };
  const Def defs[7] = {
      {"B_anterior", "Anterior", Picture::Anterior, &TFmini::B_anteriorClick},
      {"B_Reproducir", "Reproducir", Picture::Reproducir, &TFmini::B_ReproducirClick},
      {"B_Stop", "Parar", Picture::Stop, &TFmini::B_StopClick},
      {"B_Siguiente", "Siguiente", Picture::Siguiente, &TFmini::B_SiguienteClick},
      {"B_silencio", "Silencio", Picture::Silencio, &TFmini::B_silencioClick},
      {"B_repetir", "Repetir", Picture::Repetir, &TFmini::B_repetirClick},
      {"B_Random", "Aleatorio", Picture::Random, &TFmini::B_RandomClick},
  };
  const Def tiny[2] = {
      {"B_Cerrar", "Ocultar MiniVemla", Picture::Cerrar, &TFmini::B_CerrarClick},
      {"B_Max", "Maximizar", Picture::Maximizar, &TFmini::B_MaxClick},
  };
  auto make = [this](const Def& d) {
    auto* b = new GlyphButton(this, d.name, d.glyph, skin_.get(), SkinWindow::Mini);
    b->setToolTip(QString::fromUtf8(d.hint));
    b->setAccessibleName(QString::fromUtf8(d.hint));
    connect(b, &SkinnedWidget::clicked, this, d.click);
    connect(b, &SkinnedWidget::keyPressed, this, [this](int key) { dispatchKey(key); });
    return b;
  };
  for (int i = 0; i < 7; ++i) glyphs_[i] = make(defs[i]);
  // The three toggles say whether they are on.
  const std::pair<GlyphButton*, uint8_t core::Player::*> toggles[] = {
      {glyphs_[4], &core::Player::Muted},
      {glyphs_[5], &core::Player::RepeatMode},
      {glyphs_[6], &core::Player::RandomMode}};
  for (const auto& [button, flag] : toggles) {
    AccessibleTraits t;
    t.role = QAccessible::CheckBox;
    t.press = [b = button] { b->click(); };
    t.checked = [this, f = flag] { return player_.*f != 0; };
    setAccessibleTraits(button, std::move(t));
  }
  bCerrar_ = make(tiny[0]);
  bMax_ = make(tiny[1]);
}

// ---- Up and away ----

// Only the hint changes, so the native window is kept: setWindowFlags would rebuild it and
// every minimise would wait for a new window to be mapped. The window system hears of the hint
// only when it is set: a window just hidden may still be on its way off screen, and it is made
// stay-on-top again before it is next shown.
void TFmini::setStayOnTop(bool on) {
  Qt::WindowFlags flags = windowFlags();
  if (flags.testFlag(Qt::WindowStaysOnTopHint) == on) return;
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  overrideWindowFlags(flags);
  if (QWindow* w = windowHandle(); w && on) w->setFlags(flags);
}

void TFmini::bringUp() {
  player_.MiniShown = 1;
  setStayOnTop(true);
  // A place on a monitor that has gone since is pulled back; one the window system chose is
  // left alone (it may not be known here yet).
  const QPoint onScreen = keepOnScreens(geometry());
  if (onScreen != pos()) move(onScreen);
  syncFromPlayer();
  show();
  raise();
}

void TFmini::showHideShow() {
  // Stay-on-top from the first mapping on: a window manager may not yet listen to a change
  // sent while it is still taking the new window in.
  setStayOnTop(true);
  // The first show and hide happen in the widget only. Mapping, unmapping and mapping a new
  // window in one go races the window manager, which may leave it unmapped while we count it
  // as shown: the player would then be nowhere on screen.
  setAttribute(Qt::WA_DontShowOnScreen, true);
  show();
  hide();
  setAttribute(Qt::WA_DontShowOnScreen, false);
  show();
}

void TFmini::putAway() {
  player_.MiniShown = 0;
  hide();
  setStayOnTop(false);
}

void TFmini::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Opacity takes effect on a shown window only.
  setWindowOpacity(kOpacity / 255.0);
}

void TFmini::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  dragging_ = false;
  player_.MiniSeekDragging = 0;
}

void TFmini::endDrag() {
  QScreen* s = screen();
  const QRect area = s ? s->geometry() : QRect(0, 0, 1024, 768);
  const QPoint now = pos() - area.topLeft();
  const SnapPoint to = MiniGeometry::snapToScreen({now.x(), now.y()}, area.width());
  move(area.topLeft() + QPoint(to.x, to.y));
}

// ---- What the main window's timers write ----

void TFmini::setTime(const QString& text) { pantTiempo_->setText(text); }

void TFmini::setKnobLeft(int left) {
  if (left == botDespl_->x()) return;
  botDespl_->move(left, botDespl_->y());
  accessibleValueChanged(botDespl_);
}

QString TFmini::knobTimeText() const {
  const int entry = player_.List.CurrentEntry;
  const std::int64_t length = entry >= 1 ? player_.List.Entries[entry].LengthSeconds : 0;
  const std::int64_t s =
      std::max<std::int64_t>(0, MiniGeometry::seekSecondsForKnob(botDespl_->x(), length));
  return QString::fromStdString(TimeDisplay::timeText(s, 1));
}

void TFmini::setTitle(const QString& text) { pantTitulo_->setText(text); }

}  // namespace vemla::ui
