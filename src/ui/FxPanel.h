#pragma once
// The main window's visualiser area `Pant_FXD` with its 40 ms tick `Pant_FX`, its popup
// `PANT_VIS_POPUP` and the two level gauges `Gauge1` and `Gauge2` the tick feeds.
//
// The panel reads the player's FxType / FxMode through references and the playing stream
// through a callback, so it knows nothing else of the player. While every frame can be put
// straight onto the window, the tick runs on a thread of its own (FrameTicker), with the stream
// and the visualiser kind as they were at start() or at the last change; everything else, and
// the tick whenever frames must be repainted by the toolkit, runs on the user-interface thread. Frames are kept: a repaint shows the last frame, and a paused or stopped stream
// leaves the last frame and gauge pictures in place.
#include <QWidget>
#include <cstdint>
#include <memory>
#include <mutex>
#include <functional>

#include "audio/AudioLib.h"
#include "ui/DirectFrame.h"
#include "ui/FrameTicker.h"
#include "vis/TCircleScope.h"
#include "vis/TGauge.h"
#include "vis/TOcilloScope.h"
#include "vis/TSpectrum.h"
#include "vis/VisData.h"

class QAction;
class QMenu;
class QTimer;

namespace vemla::ui {

class FxPanel : public QWidget {
  Q_OBJECT

 public:
  // Handle of the current stream, 0 when there is none.
  using HandleSource = std::function<audio::Handle()>;

  static constexpr int kWidth = 99;
  static constexpr int kHeight = 35;
  // The drawing origin handed to the visualisers.
  static constexpr int kFxCenterX = 50;
  static constexpr int kFxCenterY = 18;

  // The gauges are created beside the panel on `parent` at their places on the main window
  // (inside the panel when there is no parent).
  FxPanel(audio::AudioLib& audio, HandleSource currentHandle, uint8_t& fxType, uint8_t& fxMode,
          QWidget* parent = nullptr);
  ~FxPanel() override;

  // The tick `Pant_FX`: started with a stream or on resume, stopped on pause and stop.
  void start();
  void stop();
  bool isRunning() const;
  QTimer* fxTimer() const { return timer_; }

  // Handlers, public so the main window and tests can drive them.
  void Pant_FXTimer();
  void Pant_FXDClick();
  void Osciloscopio1Click();
  void Espectro1Click();
  void Circulo1Click();
  void Lineas1Click();
  void Solido1Click();
  void Pixels1Click();
  // Draw modes and check marks after FxType / FxMode were restored from the settings.
  void followSettings();

  vis::TOcilloScope& oscilloscope() { return oscilloscope_; }
  vis::TSpectrum& spectrum() { return spectrum_; }
  vis::TCircleScope& circleScope() { return circle_; }
  vis::TGauge& gauge1() { return gauge1Picture_; }
  vis::TGauge& gauge2() { return gauge2Picture_; }
  QWidget* gauge1Widget() const { return gauge1_; }
  QWidget* gauge2Widget() const { return gauge2_; }
  QMenu* popup() const { return popup_; }
  // The picture the panel shows now.
  const QImage& shownFrame() const { return *shown_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void buildPopup();
  QWidget* makeGauge(const char* name, QWidget* parent, int x, int y);
  void fetchWave(audio::Handle h);
  void fetchSpectrum(audio::Handle h);
  void updateLevels(audio::Handle h);
  void setDrawModes(int mode);
  void checkShownKind();
  // Shows `frame` on `w` now, or has it repainted when it cannot be put there directly.
  void present(QWidget* w, const QImage& frame);
  // The toolkit's picture of the panel and gauges catches up with what was put directly.
  void settleDirectFrames();
  // With frameMutex_ held: the frame of `kind` and the meters for stream `h`, shown.
  void drawFrame(audio::Handle h, uint8_t kind);
  // With frameMutex_ held: where the three pictures go; true when all can be put directly.
  bool aimTargets();
  // After anything that may move the pictures on the window or change it.
  void reaimTargets();
  bool tickerTick();

  audio::AudioLib& audio_;
  HandleSource currentHandle_;
  uint8_t& fxType_;
  uint8_t& fxMode_;

  vis::TCircleScope circle_{kWidth, kHeight};
  vis::TOcilloScope oscilloscope_{kWidth, kHeight};
  vis::TSpectrum spectrum_{kWidth, kHeight};
  vis::TGauge gauge1Picture_;
  vis::TGauge gauge2Picture_;
  // Data buffers live with the panel, so a tick allocates nothing.
  vis::WaveData wave_{};
  vis::SpectrumData spectrumData_{};
  QImage blank_;
  const QImage* shown_;

  QTimer* timer_;
  // Guards the pictures, directShown_ and the ticker's state below: the ticker draws while the
  // toolkit paints.
  mutable std::mutex frameMutex_;
  bool directShown_ = false;  // frames were put directly since the toolkit last painted them
  bool tickerOn_ = false;     // the tick runs on ticker_
  bool onTicker_ = false;     // drawFrame is running on ticker_
  audio::Handle tickerHandle_ = 0;
  uint8_t tickerKind_ = 0;
  DirectFrame::Target targets_[3];  // the panel, Gauge1, Gauge2
  QMenu* popup_ = nullptr;
  QAction* osciloscopio1_ = nullptr;
  QAction* espectro1_ = nullptr;
  QAction* circulo1_ = nullptr;
  QAction* lineas1_ = nullptr;
  QAction* solido1_ = nullptr;
  QAction* pixels1_ = nullptr;
  QWidget* gauge1_ = nullptr;
  QWidget* gauge2_ = nullptr;
  bool leftPressed_ = false;
  std::unique_ptr<FrameTicker> ticker_;  // last, so it stops first
};

}  // namespace vemla::ui
