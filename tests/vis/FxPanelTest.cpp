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
using vemla::test::litCount;
using vemla::ui::FxPanel;

namespace {

constexpr uint32_t kNavy = 0x800000, kYellow = 0x00FFFF;

struct PanelRig {
  FakeAudio audio;
  uint8_t fxType = 3;
  uint8_t fxMode = 0;
  vemla::audio::Handle handle = FakeAudio::kStream;
  QWidget window;
  std::unique_ptr<FxPanel> panel;

  PanelRig() {
    window.resize(400, 200);
    panel = std::make_unique<FxPanel>(audio, [this] { return handle; }, fxType, fxMode, &window);
  }
  QAction* action(const char* name) { return panel->popup()->findChild<QAction*>(name); }
};

// Colour of the meters' inner pixel at column x of each gauge.
bool gaugeColumn(const QImage& img, int x, uint32_t color) { return isColor(img, x, 6, color); }

}  // namespace

TEST(FxPanel, GeometryNamesAndStartPictures) {
  PanelRig rig;
  EXPECT_EQ(rig.panel->objectName(), "Pant_FXD");
  EXPECT_EQ(rig.panel->size(), QSize(99, 35));
  EXPECT_EQ(rig.panel->fxTimer()->objectName(), "Pant_FX");
  EXPECT_EQ(rig.panel->fxTimer()->interval(), 40);
  EXPECT_EQ(rig.window.findChild<QWidget*>("Gauge1")->geometry(), QRect(194, 48, 50, 13));
  EXPECT_EQ(rig.window.findChild<QWidget*>("Gauge2")->geometry(), QRect(246, 48, 50, 13));
  EXPECT_EQ(litCount(rig.panel->shownFrame()), 0);
  // Both meters start all navy: silence.
  for (auto* g : {&rig.panel->gauge1(), &rig.panel->gauge2()})
    for (int x = 1; x <= 48; ++x) ASSERT_TRUE(gaugeColumn(g->image(), x, kNavy)) << x;
  EXPECT_EQ(rig.panel->spectrum().columnWidth, 2);
  EXPECT_EQ(rig.panel->circleScope().radius, 11);
}

TEST(FxPanel, TickDrawsTheVisualiserOfFxTypeAndRestartsItself) {
  PanelRig rig;
  struct Case {
    uint8_t type;
    const QImage* frame;
  };
  const Case cases[] = {
      {1, &rig.panel->circleScope().frame()},
      {2, &rig.panel->oscilloscope().frame()},
      {3, &rig.panel->spectrum().frame()},
  };
  for (const auto& c : cases) {
    rig.fxType = c.type;
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    EXPECT_EQ(&rig.panel->shownFrame(), c.frame) << int(c.type);
    EXPECT_TRUE(rig.panel->isRunning());
  }
  // Silence: the oscilloscope's line on row 18 and the circle around (50, 18).
  EXPECT_TRUE(isColor(rig.panel->oscilloscope().frame(), 40, 18, 0xFFFFFF));
  EXPECT_TRUE(isColor(rig.panel->circleScope().frame(), 50, 29, 0xFFFFFF));

  // Another FxType draws nothing, fetches nothing, but the meters and the tick go on.
  rig.fxType = 0;
  rig.audio.dataCalls = 0;
  rig.audio.level = 32768u << 16;
  rig.panel->Pant_FXTimer();
  EXPECT_EQ(rig.audio.dataCalls, 0);
  EXPECT_EQ(rig.panel->gauge2().Progress(), 327);
  EXPECT_TRUE(rig.panel->isRunning());
}

TEST(FxPanel, TickStopsWhenNotPlayingAndKeepsThePictures) {
  for (int state : {vemla::audio::kPaused, vemla::audio::kStopped, vemla::audio::kStalled}) {
    PanelRig rig;
    rig.fxType = 2;
    rig.audio.wave.fill(0x28002800);  // both channels +10240: row 18 + 7
    rig.audio.level = 16384;
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    const QImage before = rig.panel->shownFrame().copy();
    const QImage meter = rig.panel->gauge1().image().copy();

    rig.audio.active = state;
    rig.audio.wave.fill(0);
    rig.audio.level = 0;
    rig.panel->Pant_FXTimer();
    EXPECT_FALSE(rig.panel->isRunning()) << state;
    EXPECT_EQ(rig.panel->shownFrame(), before) << state;
    EXPECT_EQ(rig.panel->gauge1().image(), meter) << state;

    rig.audio.active = vemla::audio::kPlaying;  // resuming starts the tick again
    rig.panel->start();
    rig.panel->Pant_FXTimer();
    EXPECT_TRUE(rig.panel->isRunning());
    EXPECT_TRUE(isColor(rig.panel->shownFrame(), 40, 18, 0xFFFFFF));
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
  ASSERT_FALSE(isColor(rig.panel->shownFrame(), 40, 18, 0xFFFFFF));
  for (int result : {-1, 0, 100}) {
    rig.audio.dataResult = result;
    rig.panel->Pant_FXTimer();
    // With 100 bytes only the first 25 points deflect; point 40 onward reads silence.
    EXPECT_TRUE(isColor(rig.panel->shownFrame(), 40, 18, 0xFFFFFF)) << result;
  }
}

TEST(FxPanel, LevelsDriveTheCentreOutMeters) {
  struct Case {
    uint32_t level;
    int progress1, progress2;
    int lastNavy1;    // Gauge1: navy over columns 1..lastNavy1, yellow after
    int lastYellow2;  // Gauge2: yellow over columns 1..lastYellow2, navy after
  };
  const Case cases[] = {
      {0, 330, 0, 48, 0},                        // silence
      {16384, 169, 0, 23, 0},                    // half-scale left
      {32768u << 16, 330, 327, 48, 47},          // full right
      {0xFFFFFFFFu, 0, 330, 0, 48},              // the error value shows full level
      {199 | (99u << 16), 330, 0, 48, 0},        // left below 200 is clamped to 330
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    PanelRig rig;
    rig.audio.level = c.level;
    rig.panel->Pant_FXTimer();
    EXPECT_EQ(rig.panel->gauge1().Progress(), c.progress1);
    EXPECT_EQ(rig.panel->gauge2().Progress(), c.progress2);
    for (int x = 1; x <= 48; ++x) {
      ASSERT_TRUE(gaugeColumn(rig.panel->gauge1().image(), x, x <= c.lastNavy1 ? kNavy : kYellow)) << x;
      ASSERT_TRUE(gaugeColumn(rig.panel->gauge2().image(), x, x <= c.lastYellow2 ? kYellow : kNavy)) << x;
    }
  }
}

TEST(FxPanel, ClicksCycleTheVisualiser) {
  PanelRig rig;
  rig.window.show();
  const uint8_t expected[] = {1, 2, 3};
  for (uint8_t want : expected) {
    QTest::mouseClick(rig.panel.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(rig.fxType, want);
  }
  // The right button does not cycle; wrap-around from any value above 3 goes to 1.
  QTest::mouseClick(rig.panel.get(), Qt::RightButton, {}, QPoint(10, 10));
  rig.panel->popup()->hide();
  EXPECT_EQ(rig.fxType, 3);
  rig.fxType = 200;
  rig.panel->Pant_FXDClick();
  EXPECT_EQ(rig.fxType, 1);
  // The popup's check marks stay where they were.
  EXPECT_TRUE(rig.action("Osciloscopio1")->isChecked());
}

TEST(FxPanel, PopupItemsAsLaidOut) {
  PanelRig rig;
  QMenu* popup = rig.panel->popup();
  EXPECT_EQ(popup->objectName(), "PANT_VIS_POPUP");
  struct Item {
    const char* name;
    const char* text;
    bool checked, enabled;
  };
  const Item items[] = {
      {"Osciloscopio1", "Osciloscopio", true, true}, {"Espectro1", "Espectro", false, true},
      {"Circulo1", "Circulo", false, true},          {"Lineas1", "Lineas", true, true},
      {"Solido1", "Solido", false, true},            {"Pixels1", "Pixels", false, false},
  };
  for (const auto& it : items) {
    QAction* a = rig.action(it.name);
    ASSERT_NE(a, nullptr) << it.name;
    EXPECT_EQ(a->text(), it.text);
    EXPECT_EQ(a->isChecked(), it.checked) << it.name;
    EXPECT_EQ(a->isEnabled(), it.enabled) << it.name;
  }
  const auto top = popup->actions();
  ASSERT_EQ(top.size(), 5);
  EXPECT_TRUE(top[3]->isSeparator());
  EXPECT_EQ(top[4]->text(), QString::fromUtf8("Configuración"));
}

TEST(FxPanel, PopupChoosesTypeAndModeWithTheFirstTwoItemsSwapped) {
  struct Case {
    const char* item;
    int fxType, fxMode, drawMode;
  };
  const Case cases[] = {
      {"Espectro1", 2, 0, 0},     {"Circulo1", 1, 0, 0}, {"Osciloscopio1", 3, 0, 0},
      {"Solido1", 3, 1, 1},       {"Lineas1", 3, 0, 0},
  };
  PanelRig rig;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    rig.action(c.item)->trigger();
    EXPECT_EQ(rig.fxType, c.fxType);
    EXPECT_EQ(rig.fxMode, c.fxMode);
    EXPECT_EQ(rig.panel->oscilloscope().drawMode, c.drawMode);
    EXPECT_EQ(rig.panel->spectrum().drawMode, c.drawMode);
    EXPECT_EQ(rig.panel->circleScope().drawMode, c.drawMode);
    EXPECT_TRUE(rig.action(c.item)->isChecked());
  }
  EXPECT_FALSE(rig.action("Espectro1")->isChecked());
  // "Pixels" changes the drawing but not the stored mode.
  rig.panel->Pixels1Click();
  EXPECT_EQ(rig.fxMode, 0);
  EXPECT_EQ(rig.panel->spectrum().drawMode, 2);
}

TEST(FxPanel, SolidSpectrumFromTheTick) {
  PanelRig rig;
  rig.action("Solido1")->trigger();
  rig.audio.fft.fill(0.0401f);
  rig.panel->Pant_FXTimer();
  rig.audio.fft.fill(0.0f);
  rig.panel->Pant_FXTimer();
  const QImage& img = rig.panel->shownFrame();
  for (int x : {0, 1, 3, 4, 96, 97}) {
    EXPECT_TRUE(isColor(img, x, 16, kYellow)) << x;
    EXPECT_TRUE(isColor(img, x, 30, 0xFFFFFF)) << x;
  }
  for (int x : {2, 5, 98}) EXPECT_TRUE(isColor(img, x, 30, 0)) << x;
}

TEST(FxPanel, PaintsTheLastFrameAndTheGauges) {
  PanelRig rig;
  rig.fxType = 2;
  rig.audio.level = 0xFFFFFFFFu;
  rig.window.show();
  rig.panel->Pant_FXTimer();
  const QImage shot = rig.window.grab().toImage();
  EXPECT_TRUE(isColor(shot, 195 + 40, 64 + 18, 0xFFFFFF));
  EXPECT_TRUE(isColor(shot, 195 + 40, 64 + 10, 0));
  EXPECT_TRUE(isColor(shot, 194 + 10, 48 + 6, kYellow));
  EXPECT_TRUE(isColor(shot, 246 + 10, 48 + 6, kYellow));
  EXPECT_TRUE(isColor(shot, 246, 48, 0));
}
