// The panel fed by the real audio layer (SDL's dummy output): a sine shows as the tallest bar
// where its frequency falls, the meters follow its level, and a pause keeps the pictures.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "audio/AudioLib.h"
#include "support/Fixtures.h"
#include "ui/FxPanel.h"

using vemla::ui::FxPanel;

namespace {

// Tallest lit column of a mode-0 spectrum frame (lowest x on a tie).
int tallestColumn(const QImage& img, int* height) {
  int best = -1, bestH = -1;
  for (int x = 0; x < img.width(); ++x) {
    int h = 0;
    for (int y = 0; y < img.height(); ++y)
      if ((img.pixel(x, y) & 0xFFFFFFu) != 0) ++h;
    if (h > bestH) best = x, bestH = h;
  }
  *height = bestH;
  return best;
}

}  // namespace

TEST(FxPanelWithAudio, SineShowsAtItsFrequencyAndPauseKeepsThePicture) {
  // Bin 46 of a 1024-point FFT at 44100 Hz, shown in column 46 - 5.
  const double hz = 46 * 44100.0 / 1024;
  // Long enough to be playing still when a busy machine gets round to looking.
  const auto file = vemla::test::makeSine("vis_sine.wav", 30.0, hz, 44100, 2, 0.05);
  ASSERT_FALSE(file.empty());

  auto audio = vemla::audio::createAudioLib();
  ASSERT_TRUE(audio->Init(1, 44100, 0));
  const vemla::audio::Handle h = audio->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(audio->ChannelPlay(h, false));

  uint8_t fxType = 3, fxMode = 0;
  {
    FxPanel panel(
        *audio, [h] { return h; }, fxType, fxMode);
    panel.start();
    // The bars and meters rise over a few ticks once the sine is heard.
    auto settled = [&] {
      int height = 0;
      return tallestColumn(panel.shownFrame(), &height) == 41 && height >= 8 &&
             panel.gauge2().Progress() >= 10 && panel.gauge1().Progress() <= 332 - 10;
    };
    EXPECT_TRUE(QTest::qWaitFor(settled, 60000));
    ASSERT_TRUE(panel.isRunning());

    int height = 0;
    EXPECT_EQ(tallestColumn(panel.shownFrame(), &height), 41);
    EXPECT_GE(height, 8);
    int tallestBar = 0;
    for (int i = 0; i < 99; ++i)
      tallestBar = std::max(tallestBar, panel.spectrum().bars[size_t(i)]);
    EXPECT_EQ(panel.spectrum().bars[41], tallestBar);
    // An amplitude of 0.05 is a level near 1638 on each channel.
    EXPECT_GE(panel.gauge2().Progress(), 10);
    EXPECT_LE(panel.gauge2().Progress(), 20);
    EXPECT_GE(panel.gauge1().Progress(), 332 - 20);
    EXPECT_LE(panel.gauge1().Progress(), 332 - 10);

    ASSERT_TRUE(audio->ChannelPause(h));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isRunning(); }, 60000));
    const QImage frozen = panel.shownFrame().copy();
    QTest::qWait(120);
    EXPECT_EQ(panel.shownFrame(), frozen);
  }
  audio->Free();
}
