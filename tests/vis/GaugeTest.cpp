// The horizontal-bar gauge: frame, back and fore parts, and repainting only on a new percentage.
#include <gtest/gtest.h>

#include "PixelHelpers.h"
#include "vis/TGauge.h"

using namespace vemla::vis;
using vemla::test::isColor;

namespace {
constexpr uint32_t kNavy = 0x800000, kYellow = 0x00FFFF, kBlack = 0;

// Which colour every pixel has: black frame, fore colour over columns 1..lastFore, back colour
// over the rest of the inner area.
void expectPicture(const QImage& img, int lastFore, uint32_t fore, uint32_t back) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const bool frame = x == 0 || y == 0 || x == img.width() - 1 || y == img.height() - 1;
      const uint32_t want = frame ? kBlack : (x <= lastFore ? fore : back);
      ASSERT_TRUE(isColor(img, x, y, want)) << x << "," << y;
    }
}
}  // namespace

TEST(Gauge, PictureFollowsPercentage) {
  struct Case {
    int progress;
    int percent;
    int lastFore;  // last fore-coloured column; 0 = none
  };
  const Case cases[] = {
      {330, 100, 48},  // silence on the left meter: all navy
      {169, 51, 23},   // half-scale left level: f = 24, columns 1..23
      {327, 99, 47},   // f = 48
      {3, 0, 0},       // P = 0
      {5, 1, 0},       // P = 1 gives f = 0
      {10, 3, 0},      // f = 1: the rectangle to x = 1 is empty
      {14, 4, 0},      // f = 1
      {17, 5, 1},      // f = 2
      {-40, 0, 0},     // clamped to 0
      {1000, 100, 48}, // clamped to 330
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.progress);
    TGauge g(50, 13, 0, 330);
    g.SetForeColor(kNavy);
    g.SetBackColor(kYellow);
    g.SetProgress(c.progress);
    EXPECT_EQ(g.PercentDone(), c.percent);
    expectPicture(g.image(), c.lastFore, kNavy, kYellow);
  }
}

TEST(Gauge, RepaintsOnlyWhenPercentageChanges) {
  TGauge g(50, 13, 0, 330);
  ASSERT_TRUE(g.SetProgress(169));  // 51 %
  const int paints = g.paintCount();
  EXPECT_FALSE(g.SetProgress(169));
  EXPECT_FALSE(g.SetProgress(171));  // still 51 %
  EXPECT_EQ(g.Progress(), 171);
  EXPECT_EQ(g.paintCount(), paints);
  EXPECT_TRUE(g.SetProgress(172));  // 52 %
  EXPECT_EQ(g.paintCount(), paints + 1);
  EXPECT_FALSE(g.SetBackColor(g.BackColor()));
  EXPECT_TRUE(g.SetBorderSingle(false));
  EXPECT_EQ(g.paintCount(), paints + 2);
}

TEST(Gauge, EmptyAndWideRanges) {
  TGauge empty(50, 13, 10, 10);
  empty.SetProgress(99);
  EXPECT_EQ(empty.Progress(), 10);
  EXPECT_EQ(empty.PercentDone(), 0);

  TGauge wide(50, 13, -2000000000, 2000000000);
  wide.SetProgress(2000000000);
  EXPECT_EQ(wide.PercentDone(), 100);
  wide.SetProgress(0);
  EXPECT_EQ(wide.PercentDone(), 50);
}

TEST(Gauge, WithoutBorderTheForePartReachesTheEdges) {
  TGauge g(50, 13, 0, 100);
  g.SetBorderSingle(false);
  g.SetProgress(100);
  for (int x : {0, 49})
    for (int y : {0, 12}) EXPECT_TRUE(isColor(g.image(), x, y, 0x000000)) << x << "," << y;
  g.SetForeColor(kYellow);
  EXPECT_TRUE(isColor(g.image(), 0, 0, kYellow));
  EXPECT_TRUE(isColor(g.image(), 49, 12, kYellow));
}
