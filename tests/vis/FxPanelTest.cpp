// The visualiser area wired to a scripted audio layer: the tick, clicks, the popup and meters.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeAudio.h"
#include "PixelHelpers.h"
#include "ui/FxPanel.h"

using vemla::test::FakeAudio;
using vemla::test::isColor;
using vemla::ui::FxPanel;
namespace audio = vemla::audio;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kYellow = 0x00FFFF;

struct PanelRig {
  FakeAudio audio;
  uint8_t fxType = 3;
  uint8_t fxMode = 0;
  audio::Handle handle = FakeAudio::kStream;
  QWidget window;
  std::unique_ptr<FxPanel> panel;

  PanelRig() {
    window.resize(400, 200);
    panel = std::make_unique<FxPanel>(
        audio, [this] { return handle; }, fxType, fxMode, &window);
  }
  QAction* action(const char* name) { return panel->popup()->findChild<QAction*>(name); }
};

}  // namespace

TEST(FxPanel, TickDrawsTheVisualiserOfFxTypeAndRestartsItself) {
  PanelRig rig;
  const std::pair<uint8_t, const QImage*> cases[] = {{1, &rig.panel->circleScope().frame()},
                                                     {2, &rig.panel->oscilloscope().frame()},
                                                     {3, &rig.panel->spectrum().frame()}};
  for (auto [type, frame] : cases) {
    rig.fxType = type;
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    EXPECT_EQ(&rig.panel->shownFrame(), frame) << int(type);
    EXPECT_TRUE(rig.panel->isRunning());
  }
  // Another FxType draws and fetches nothing, but the meters and the tick go on.
  rig.fxType = 0;
  rig.audio.dataCalls = 0;
  rig.audio.level = 32768u << 16;
  rig.panel->Pant_FXTimer();
  EXPECT_EQ(rig.audio.dataCalls, 0);
  EXPECT_EQ(rig.panel->gauge2().Progress(), 327);
  EXPECT_TRUE(rig.panel->isRunning());
}

TEST(FxPanel, TickStopsWhenNotPlayingAndKeepsThePictures) {
  for (int state : {audio::kPaused, audio::kStopped, audio::kStalled}) {
    const bool stalled = state == audio::kStalled;  // waits, still ticking
    PanelRig rig;
    rig.fxType = 2;
    rig.audio.wave.fill(0x28002800);  // both channels +10240: the trace on row 25
    rig.audio.level = 16384;
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    const QImage frame = rig.panel->shownFrame().copy();
    const QImage meter = rig.panel->gauge1().image().copy();

    rig.audio.active = state;
    rig.audio.wave.fill(0);
    rig.audio.level = 0;
    rig.panel->Pant_FXTimer();
    EXPECT_EQ(rig.panel->isRunning(), stalled) << state;
    EXPECT_EQ(rig.panel->shownFrame(), frame) << state;
    EXPECT_EQ(rig.panel->gauge1().image(), meter) << state;

    rig.audio.active = audio::kPlaying;  // resuming starts the tick again
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    EXPECT_TRUE(rig.panel->isRunning());
    EXPECT_TRUE(isColor(rig.panel->shownFrame(), 40, 18, kWhite));
  }
  PanelRig none;
  none.handle = 0;  // no current stream
  none.panel->start();
  none.panel->Pant_FXTimer();
  EXPECT_FALSE(none.panel->isRunning());
}

TEST(FxPanel, FailedOrShortDataDrawsSilence) {
  PanelRig rig;
  rig.fxType = 2;
  rig.audio.wave.fill(0x28002800);
  rig.panel->Pant_FXTimer();
  ASSERT_FALSE(isColor(rig.panel->shownFrame(), 40, 18, kWhite));
  for (int result : {-1, 0, 100}) {  // 100 bytes: only points 0..24 deflect
    rig.audio.dataResult = result;
    rig.panel->Pant_FXTimer();
    EXPECT_TRUE(isColor(rig.panel->shownFrame(), 40, 18, kWhite)) << result;
  }
}

TEST(FxPanel, LevelsDriveTheCentreOutMeters) {
  struct Case {
    uint32_t level;
    int progress1, progress2;
  };
  const Case cases[] = {
      {0, 330, 0},                  // silence
      {16384, 169, 0},              // half-scale left
      {32768u << 16, 330, 327},     // full right
      {0xFFFFFFFFu, 0, 330},        // the error value shows full level on both
      {199 | (99u << 16), 330, 0},  // left below 200 is clamped to 330
  };
  for (const auto& c : cases) {
    PanelRig rig;
    rig.audio.level = c.level;
    rig.panel->Pant_FXTimer();
    EXPECT_EQ(rig.panel->gauge1().Progress(), c.progress1) << c.level;
    EXPECT_EQ(rig.panel->gauge2().Progress(), c.progress2) << c.level;
  }
}

TEST(FxPanel, ClicksCycleTheVisualiser) {
  PanelRig rig;
  rig.window.show();
  for (uint8_t want : {1, 2, 3}) {
    QTest::mouseClick(rig.panel.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(rig.fxType, want);
  }
  QTest::mouseClick(rig.panel.get(), Qt::RightButton, {}, QPoint(10, 10));
  rig.panel->popup()->hide();
  EXPECT_EQ(rig.fxType, 3);
  rig.fxType = 200;
  rig.panel->Pant_FXDClick();
  EXPECT_EQ(rig.fxType, 1);
  // The check mark follows what the display shows.
  EXPECT_TRUE(rig.action("Circulo1")->isChecked());
  rig.panel->Pant_FXDClick();
  EXPECT_TRUE(rig.action("Osciloscopio1")->isChecked());
}

TEST(FxPanel, PopupItemsShowWhatTheirLabelsSay) {
  PanelRig rig;
  EXPECT_EQ(rig.panel->popup()->objectName(), "PANT_VIS_POPUP");
  EXPECT_TRUE(rig.action("Espectro1")->isChecked());  // the spectrum shows at start
  EXPECT_TRUE(rig.action("Lineas1")->isChecked());
  EXPECT_FALSE(rig.action("Pixels1")->isEnabled());
  struct Case {
    const char* item;
    const char* text;
    int fxType, fxMode, drawMode;
  };
  const Case cases[] = {
      {"Espectro1", "Espectro", 3, 0, 0},
      {"Circulo1", "Circulo", 1, 0, 0},
      {"Osciloscopio1", "Osciloscopio", 2, 0, 0},
      {"Solido1", "Solido", 2, 1, 1},
      {"Lineas1", "Lineas", 2, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    QAction* a = rig.action(c.item);
    EXPECT_EQ(a->text(), c.text);
    a->trigger();
    EXPECT_EQ(rig.fxType, c.fxType);
    EXPECT_EQ(rig.fxMode, c.fxMode);
    EXPECT_EQ(rig.panel->oscilloscope().drawMode, c.drawMode);
    EXPECT_EQ(rig.panel->spectrum().drawMode, c.drawMode);
    EXPECT_EQ(rig.panel->circleScope().drawMode, c.drawMode);
    EXPECT_TRUE(a->isChecked());
  }
  EXPECT_FALSE(rig.action("Espectro1")->isChecked());
  EXPECT_TRUE(rig.action("Osciloscopio1")->isChecked());
  rig.panel->Pixels1Click();  // draws pixels but keeps the stored mode
  EXPECT_EQ(rig.fxMode, 0);
  EXPECT_EQ(rig.panel->spectrum().drawMode, 2);
}

TEST(FxPanel, RestoredTypeAndModeAreShownAndChecked) {
  struct Case {
    uint8_t fxType, fxMode;
    const char* kind;
    const char* mode;
  } cases[] = {{1, 1, "Circulo1", "Solido1"},
               {2, 0, "Osciloscopio1", "Lineas1"},
               {3, 1, "Espectro1", "Solido1"},
               {3, 2, "Espectro1", "Pixels1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    PanelRig rig;
    rig.fxType = c.fxType;
    rig.fxMode = c.fxMode;
    rig.panel->followSettings();
    EXPECT_TRUE(rig.action(c.kind)->isChecked());
    EXPECT_TRUE(rig.action(c.mode)->isChecked());
    EXPECT_EQ(rig.panel->oscilloscope().drawMode, c.fxMode);
    EXPECT_EQ(rig.panel->spectrum().drawMode, c.fxMode);
    EXPECT_EQ(rig.panel->circleScope().drawMode, c.fxMode);
  }
}

TEST(FxPanel, WindowShowsTheLastFrameAndTheMeters) {
  PanelRig rig;
  rig.fxType = 2;
  rig.audio.level = 0xFFFFFFFFu;
  rig.window.show();
  rig.panel->Pant_FXTimer();
  const QImage shot = rig.window.grab().toImage();
  EXPECT_TRUE(isColor(shot, 195 + 40, 64 + 18, kWhite));
  EXPECT_TRUE(isColor(shot, 195 + 40, 64 + 10, 0));
  EXPECT_TRUE(isColor(shot, 194 + 10, 48 + 6, kYellow));
  EXPECT_TRUE(isColor(shot, 246 + 10, 48 + 6, kYellow));
  EXPECT_TRUE(isColor(shot, 246, 48, 0));
}
