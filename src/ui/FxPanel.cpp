#include "ui/FxPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/AccessibleControl.h"

namespace vemla::ui {

namespace {
constexpr int kTickMs = 40;
constexpr uint32_t kNavy = 0x800000;  // 0x00BBGGRR
constexpr uint32_t kYellow = 0x00FFFF;
constexpr int kGaugeWidth = 50;
constexpr int kGaugeHeight = 13;
constexpr int kGaugeMax = 330;

enum FxKind : uint8_t { kCircle = 1, kOscilloscope = 2, kSpectrum = 3 };

// After these a picture may sit elsewhere on its window, or on another native window.
bool movesTargets(QEvent::Type type) {
  switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ParentChange:
    case QEvent::WinIdChange:
    case QEvent::ScreenChangeInternal:
      return true;
    default:
      return false;
  }
}
}  // namespace

FxPanel::FxPanel(audio::AudioLib& audio, HandleSource currentHandle, uint8_t& fxType,
                 uint8_t& fxMode, QWidget* parent)
    : QWidget(parent),
      audio_(audio),
      currentHandle_(std::move(currentHandle)),
      fxType_(fxType),
      fxMode_(fxMode),
      gauge1Picture_(kGaugeWidth, kGaugeHeight, 0, kGaugeMax),
      gauge2Picture_(kGaugeWidth, kGaugeHeight, 0, kGaugeMax),
      blank_(kWidth, kHeight, QImage::Format_RGB32),
      shown_(&blank_),
      timer_(new QTimer(this)) {
  setObjectName("Pant_FXD");
  setGeometry(195, 64, kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  blank_.fill(Qt::black);

  // Start-up settings of the three visualisers; their draw modes follow FxMode (followSettings).
  spectrum_.drawMode = 0;
  spectrum_.columnWidth = 2;
  spectrum_.peakColor = kYellow;
  circle_.radius = 11;
  circle_.backColor = oscilloscope_.backColor = spectrum_.backColor = 0;

  // Left meter: navy on yellow, fed 332 - level, so its yellow part grows toward the right one.
  gauge1Picture_.SetForeColor(kNavy);
  gauge1Picture_.SetBackColor(kYellow);
  gauge1Picture_.SetProgress(kGaugeMax);
  gauge2Picture_.SetForeColor(kYellow);
  gauge2Picture_.SetBackColor(kNavy);
  gauge1_ = makeGauge("Gauge1", parent, 194, 48);
  gauge2_ = makeGauge("Gauge2", parent, 246, 48);

  timer_->setObjectName("Pant_FX");
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &FxPanel::Pant_FXTimer);

  buildPopup();

  // Read as the visualiser it shows; pressing it shows the next one, as a click does.
  AccessibleTraits traits;
  traits.role = QAccessible::Animation;
  traits.name = [this] {
    static const char* const kNames[4] = {"Visualizador", "Visualizador: Circulo",
                                          "Visualizador: Osciloscopio", "Visualizador: Espectro"};
    return QString::fromUtf8(kNames[fxType_ <= 3 ? fxType_ : 0]);
  };
  traits.press = [this] { Pant_FXDClick(); };
  setAccessibleTraits(this, std::move(traits));
  const char* const gaugeNames[2] = {"Nivel izquierdo", "Nivel derecho"};
  QWidget* gauges[2] = {gauge1_, gauge2_};
  for (int i = 0; i < 2; ++i) {
    AccessibleTraits g;
    g.role = QAccessible::ProgressBar;
    g.name = [name = gaugeNames[i]] { return QString::fromUtf8(name); };
    setAccessibleTraits(gauges[i], std::move(g));
  }
}

FxPanel::~FxPanel() {
  ticker_.reset();  // no tick may draw on what goes below
  // The gauges usually live on the main window; they must not outlive the pictures they show.
  for (QWidget* g : {gauge1_, gauge2_}) {
    g->removeEventFilter(this);
    delete g;
  }
}

QWidget* FxPanel::makeGauge(const char* name, QWidget* parent, int x, int y) {
  auto* w = new QWidget(parent ? parent : this);
  w->setObjectName(name);
  w->setGeometry(x, y, kGaugeWidth, kGaugeHeight);
  w->setAttribute(Qt::WA_OpaquePaintEvent);
  w->setFocusPolicy(Qt::NoFocus);
  w->installEventFilter(this);
  return w;
}

void FxPanel::buildPopup() {
  popup_ = new QMenu(this);
  popup_->setObjectName("PANT_VIS_POPUP");
  auto add = [this](QMenu* menu, QActionGroup* group, const char* name, const QString& text,
                    void (FxPanel::*handler)()) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    a->setCheckable(true);
    group->addAction(a);
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  // Each item shows what its label says; the check mark follows the visualiser shown.
  auto* kinds = new QActionGroup(popup_);
  osciloscopio1_ =
      add(popup_, kinds, "Osciloscopio1", "Osciloscopio", &FxPanel::Osciloscopio1Click);
  espectro1_ = add(popup_, kinds, "Espectro1", "Espectro", &FxPanel::Espectro1Click);
  circulo1_ = add(popup_, kinds, "Circulo1", "Circulo", &FxPanel::Circulo1Click);
  popup_->addSeparator()->setObjectName("N1");

  QMenu* config = popup_->addMenu(QString::fromUtf8("Configuración"));
  config->setObjectName("Configuracion1");
  auto* modes = new QActionGroup(config);
  lineas1_ = add(config, modes, "Lineas1", "Lineas", &FxPanel::Lineas1Click);
  solido1_ = add(config, modes, "Solido1", "Solido", &FxPanel::Solido1Click);
  pixels1_ = add(config, modes, "Pixels1", "Pixels", &FxPanel::Pixels1Click);
  pixels1_->setEnabled(false);
  followSettings();
}

void FxPanel::followSettings() {
  setDrawModes(fxMode_);
  checkShownKind();
  QAction* modes[3] = {lineas1_, solido1_, pixels1_};
  if (fxMode_ <= 2) modes[fxMode_]->setChecked(true);
}

void FxPanel::checkShownKind() {
  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    tickerKind_ = fxType_;
  }
  QAction* kinds[3] = {circulo1_, osciloscopio1_, espectro1_};
  if (fxType_ >= kCircle && fxType_ <= kSpectrum) kinds[fxType_ - 1]->setChecked(true);
  accessibleNameChanged(this);
}

void FxPanel::start() {
  std::unique_lock<std::mutex> lock(frameMutex_);
  if (!aimTargets()) {
    tickerOn_ = false;
    lock.unlock();
    if (ticker_) ticker_->disarm();
    timer_->start();
    return;
  }
  tickerHandle_ = currentHandle_ ? currentHandle_() : 0;
  tickerKind_ = fxType_;
  tickerOn_ = true;
  lock.unlock();
  timer_->stop();
  // Its native window being made anew moves every target.
  window()->installEventFilter(this);
  if (!ticker_) {
    ticker_ = std::make_unique<FrameTicker>(std::chrono::milliseconds(kTickMs),
                                            [this] { return tickerTick(); });
  }
  ticker_->arm();
}

void FxPanel::stop() {
  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    tickerOn_ = false;  // a tick under way sees this before it draws
  }
  if (ticker_) ticker_->disarm();
  timer_->stop();
  settleDirectFrames();
}

bool FxPanel::isRunning() const {
  if (timer_->isActive()) return true;
  std::lock_guard<std::mutex> lock(frameMutex_);
  return tickerOn_;
}

bool FxPanel::aimTargets() {
  QWidget* widgets[3] = {this, gauge1_, gauge2_};
  bool all = true;
  for (int i = 0; i < 3; ++i) {
    targets_[i] = widgets[i] ? DirectFrame::Aim(widgets[i]) : DirectFrame::Target{};
    all = all && targets_[i].usable();
  }
  return all;
}

void FxPanel::reaimTargets() {
  std::lock_guard<std::mutex> lock(frameMutex_);
  if (tickerOn_) aimTargets();
}

bool FxPanel::tickerTick() {
  std::lock_guard<std::mutex> lock(frameMutex_);
  if (!tickerOn_) return false;
  const int state = audio_.ChannelIsActive(tickerHandle_);
  if (state == audio::kStalled) return true;  // as the timer does: wait for it
  if (state != audio::kPlaying) {
    tickerOn_ = false;
    QMetaObject::invokeMethod(this, [this] { settleDirectFrames(); }, Qt::QueuedConnection);
    return false;
  }
  onTicker_ = true;
  drawFrame(tickerHandle_, tickerKind_);
  onTicker_ = false;
  return true;
}

void FxPanel::fetchWave(audio::Handle h) {
  const int got = std::clamp(audio_.ChannelGetData(h, wave_.data(), vis::kWaveBytesFetched), 0,
                             vis::kWaveBytesFetched);
  // A short or failed read shows as silence rather than as the previous frame's samples.
  std::memset(reinterpret_cast<char*>(wave_.data()) + got, 0,
              static_cast<size_t>(vis::kWaveBytesFetched - got));
}

void FxPanel::fetchSpectrum(audio::Handle h) {
  constexpr int kBytes = 512 * static_cast<int>(sizeof(float));
  const int got =
      std::clamp(audio_.ChannelGetData(h, spectrumData_.data(), audio::kDataFft1024), 0, kBytes);
  std::memset(reinterpret_cast<char*>(spectrumData_.data()) + got, 0,
              static_cast<size_t>(kBytes - got));
}

void FxPanel::Pant_FXTimer() {
  timer_->stop();
  const audio::Handle h = currentHandle_ ? currentHandle_() : 0;
  const int state = audio_.ChannelIsActive(h);
  // A stream starved of data for a moment is still playing: wait for it rather than stop for
  // good, since nothing would start the tick again until the user paused and resumed.
  if (state == audio::kStalled) {
    timer_->start();
    return;
  }
  if (state != audio::kPlaying) {  // start() brings it back with playback
    settleDirectFrames();
    return;
  }

  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    drawFrame(h, fxType_);
  }
  timer_->start();
}

void FxPanel::drawFrame(audio::Handle h, uint8_t kind) {
  const QImage* drawn = nullptr;
  switch (kind) {
    case kCircle:
      fetchWave(h);
      drawn = &circle_.Draw(wave_, kFxCenterX, kFxCenterY);
      break;
    case kOscilloscope:
      fetchWave(h);
      drawn = &oscilloscope_.Draw(wave_, kFxCenterX - 50, kFxCenterY);
      break;
    case kSpectrum:
      fetchSpectrum(h);
      drawn = &spectrum_.Draw(spectrumData_, kFxCenterX - 50, kFxCenterY - 18);
      break;
    default:
      break;
  }
  updateLevels(h);
  // The frame goes after the meters' smaller ones: it then leaves with them in one write, where
  // put first it would fill the X connection's buffer and need a write of its own.
  if (drawn) {
    shown_ = drawn;
    present(this, *shown_);
  }
  DirectFrame::Flush();
}

void FxPanel::present(QWidget* w, const QImage& frame) {
  if (onTicker_) {
    const DirectFrame::Target& t = targets_[w == this ? 0 : w == gauge1_ ? 1 : 2];
    if (DirectFrame::PutAt(t, frame)) {
      directShown_ = true;
    } else {  // moved or hidden meanwhile: the toolkit shows it
      QMetaObject::invokeMethod(w, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    }
  } else if (DirectFrame::Put(w, frame)) {
    directShown_ = true;
  } else {
    w->update();
  }
}

void FxPanel::settleDirectFrames() {
  // An expose repaints from the toolkit's picture: it must hold the last frame shown, which
  // stays on the display while playback is paused or stopped.
  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    if (!directShown_) return;
    directShown_ = false;
  }
  for (QWidget* w : {static_cast<QWidget*>(this), gauge1_, gauge2_}) w->update();
}

void FxPanel::updateLevels(audio::Handle h) {
  const uint32_t level = audio_.ChannelGetLevel(h);
  const int left = static_cast<int>(level & 0xFFFFu);
  const int right = static_cast<int>(level >> 16);
  if (gauge1Picture_.SetProgress(332 - left / 100)) present(gauge1_, gauge1Picture_.image());
  if (gauge2Picture_.SetProgress(right / 100)) present(gauge2_, gauge2Picture_.image());
}

void FxPanel::Pant_FXDClick() {
  fxType_ = static_cast<uint8_t>(fxType_ + 1);
  if (fxType_ > 3) fxType_ = 1;
  checkShownKind();
}

void FxPanel::Osciloscopio1Click() {
  fxType_ = kOscilloscope;
  checkShownKind();
}

void FxPanel::Espectro1Click() {
  fxType_ = kSpectrum;
  checkShownKind();
}

void FxPanel::Circulo1Click() {
  fxType_ = kCircle;
  checkShownKind();
}

void FxPanel::setDrawModes(int mode) {
  std::lock_guard<std::mutex> lock(frameMutex_);
  oscilloscope_.drawMode = mode;
  spectrum_.drawMode = mode;
  circle_.drawMode = mode;
}

void FxPanel::Lineas1Click() {
  lineas1_->setChecked(true);
  fxMode_ = 0;
  setDrawModes(0);
}

void FxPanel::Solido1Click() {
  solido1_->setChecked(true);
  fxMode_ = 1;
  setDrawModes(1);
}

void FxPanel::Pixels1Click() {
  pixels1_->setChecked(true);
  setDrawModes(2);
}

void FxPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  std::lock_guard<std::mutex> lock(frameMutex_);
  p.drawImage(0, 0, *shown_);
}

bool FxPanel::event(QEvent* event) {
  if (movesTargets(event->type())) reaimTargets();
  return QWidget::event(event);
}

void FxPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
  event->accept();
}

void FxPanel::mouseReleaseEvent(QMouseEvent* event) {
  // A click is a left press and release over the area, as the toolkit's click event is.
  const bool click = event->button() == Qt::LeftButton && leftPressed_ &&
                     rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) leftPressed_ = false;
  if (click) Pant_FXDClick();
  event->accept();
}

void FxPanel::contextMenuEvent(QContextMenuEvent* event) {
  popup_->popup(event->globalPos());
  event->accept();
}

bool FxPanel::eventFilter(QObject* watched, QEvent* event) {
  if (movesTargets(event->type())) reaimTargets();
  if (event->type() == QEvent::Paint && (watched == gauge1_ || watched == gauge2_)) {
    QPainter p(static_cast<QWidget*>(watched));
    std::lock_guard<std::mutex> lock(frameMutex_);
    p.drawImage(0, 0, watched == gauge1_ ? gauge1Picture_.image() : gauge2Picture_.image());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vemla::ui
