// Pure drawing of the visualisers and the gauge, compared pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PixelHelpers.h"
#include "vis/TCircleScope.h"
#include "vis/TGauge.h"
#include "vis/TOcilloScope.h"
#include "vis/TSpectrum.h"

using namespace vemla::vis;
using namespace vemla::test;

namespace {

constexpr int W = 99, H = 35;
constexpr uint32_t kWhite = 0xFFFFFF, kYellow = 0x00FFFF, kNavy = 0x800000;

uint32_t word(int16_t left, int16_t right) {
  return static_cast<uint16_t>(left) | (static_cast<uint32_t>(static_cast<uint16_t>(right)) << 16);
}

WaveData constantWave(uint32_t w) {
  WaveData d{};
  std::fill(d.begin(), d.begin() + 512, w);
  return d;
}

SpectrumData flat(float v) {
  SpectrumData d{};
  d.fill(v);
  return d;
}

TSpectrum startupSpectrum(int mode) {
  TSpectrum s(W, H);
  s.columnWidth = 2;
  s.peakColor = kYellow;
  s.drawMode = mode;
  return s;
}

}  // namespace

TEST(Oscilloscope, TraceByModeAtTruncatedDeflection) {
  struct Case {
    const char* what;
    uint32_t w;
    int mode, scale;
    uint64_t column, firstColumn;  // lit rows of x = 1..98 and of x = 0
  };
  const Case cases[] = {
      {"silence, lines", 0, 0, 50, rows(18, 18), rows(18, 18)},
      {"-1 truncates toward zero", word(-1, 0), 0, 50, rows(18, 18), rows(18, 18)},
      {"full scale up", word(32767, 32767), 0, 20, rows(27, 27), rows(27, 27)},
      {"full scale down", word(-32768, -32768), 0, 20, rows(8, 8), rows(8, 8)},
      {"one channel", word(32767, 0), 0, 50, rows(30, 30), rows(30, 30)},
      {"pixels skip point 0", word(8000, 8000), 2, 50, rows(24, 24), 0},
      {"strokes from the zero line", word(13108, 13108), 1, 50, rows(18, 27), 0},
      {"strokes of silence are empty", 0, 1, 50, 0, 0},
      {"unknown mode", word(9000, 9000), 5, 50, 0, 0},
  };
  for (const auto& c : cases) {
    TOcilloScope osc(W, H);
    osc.drawMode = c.mode;
    osc.scale = c.scale;
    const QImage& img = osc.Draw(constantWave(c.w), 0, 18);
    for (int x = 0; x < W; ++x)
      ASSERT_EQ(columnMask(img, x, kWhite), x ? c.column : c.firstColumn) << c.what << " x " << x;
  }
}

TEST(CircleScope, SilenceDrawsClosedRadius11FigureAroundCentre) {
  TCircleScope circle(W, H);
  circle.radius = 11;
  const QImage& img = circle.Draw(constantWave(0), 50, 18);
  auto offRing = [](int x, int y) {
    const double d = std::hypot(x - 50, y - 18);
    return d < 9.5 || d > 11.0;
  };
  EXPECT_EQ(litCount(img, offRing), 0);
  EXPECT_GT(litCount(img), 55);
  // Start below the centre, then right, top, left, and the last point just before the start.
  for (auto [x, y] : {std::pair{50, 29}, {60, 18}, {50, 8}, {40, 18}, {50, 28}})
    EXPECT_TRUE(isColor(img, x, y, kWhite)) << x << "," << y;

  circle.drawMode = 2;  // point 0 only places the pen
  const QImage& dots = circle.Draw(constantWave(0), 50, 18);
  EXPECT_FALSE(isColor(dots, 50, 29, kWhite));
  EXPECT_TRUE(isColor(dots, 50, 28, kWhite));
  EXPECT_EQ(litCount(dots, offRing), 0);
}

TEST(CircleScope, RadiusFollowsSignalAndNegativeRadiusFlipsSides) {
  struct Case {
    uint32_t w;
    int startY;   // first point: below the centre for a positive radius
    double maxD;  // farthest lit pixel from the centre
  };
  const Case cases[] = {{word(8192, 8192), 18 + 14, 14.0}, {word(-32768, -32768), 18 - 4, 4.0}};
  for (const auto& c : cases) {
    TCircleScope circle(W, H);
    circle.radius = 11;
    const QImage& img = circle.Draw(constantWave(c.w), 50, 18);
    EXPECT_TRUE(isColor(img, 50, c.startY, kWhite)) << c.startY;
    EXPECT_EQ(litCount(img, [&](int x, int y) { return std::hypot(x - 50, y - 18) > c.maxD; }), 0);
    EXPECT_GT(litCount(img), 10);
  }
}

TEST(Spectrum, BarsSink3AndPeaks1PerFrameInSilence) {
  TSpectrum s = startupSpectrum(0);
  s.Draw(flat(0.25f), 0, 0);
  for (int n = 1; n <= 40; ++n) {
    s.Draw(SpectrumData{}, 0, 0);
    for (int i = 0; i < TSpectrum::kColumns; ++i) {
      ASSERT_EQ(s.bars[size_t(i)], std::max(0, 100 - 3 * n)) << n;
      ASSERT_EQ(s.peaks[size_t(i)], 100 - n) << n;
    }
  }
}

TEST(Spectrum, BarHeightFromMagnitude) {
  const std::pair<float, int> cases[] = {
      {0.0019f, 0},
      {0.002f, 1},
      {0.0401f, 20},
      {-0.0401f, 20},
      {0.25f, 100},
      {1e30f, 100},
      {std::numeric_limits<float>::infinity(), 100},
      {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (auto [v, bar] : cases) {
    TSpectrum s = startupSpectrum(0);
    s.Draw(flat(v), 0, 0);
    EXPECT_EQ(s.bars[0], bar) << v;
    EXPECT_EQ(s.peaks[0], bar) << v;
  }
}

TEST(Spectrum, LinesShowValue5PlusIInColumnIWithPeakPixelAbove) {
  TSpectrum s = startupSpectrum(0);
  SpectrumData d{};
  d[4] = 0.1f;  // below the shown range
  d[5 + 7] = 0.0401f;
  s.Draw(d, 0, 0);
  const QImage& img = s.Draw(SpectrumData{}, 0, 0);  // bar 17, peak 19
  // The bar's line starts on the bottom edge, just outside the picture.
  EXPECT_EQ(columnMask(img, 7, kWhite), rows(19, 34) | rows(16, 16));
  EXPECT_EQ(litCount(img), 17);
}

TEST(Spectrum, SolidDrawsYellowPeakLinesOverWhiteTwoPixelColumns) {
  TSpectrum s = startupSpectrum(1);
  s.Draw(flat(0.0401f), 0, 0);
  const QImage& img = s.Draw(SpectrumData{}, 0, 0);  // bar 17, peak 19
  for (int x = 0; x < W; ++x) {
    const bool inColumn = x % 3 != 2;
    ASSERT_EQ(columnMask(img, x, kWhite), inColumn ? rows(18, 34) : 0) << x;
    ASSERT_EQ(columnMask(img, x, kYellow), inColumn ? rows(16, 16) : 0) << x;
  }
}

TEST(Spectrum, FullBarIsClippedAtTheTopAndModeTwoDrawsNothing) {
  for (int mode : {0, 1, 2}) {
    TSpectrum s = startupSpectrum(mode);
    const QImage& img = s.Draw(flat(0.25f), 0, 0);
    EXPECT_EQ(columnMask(img, 0, kWhite), mode == 2 ? 0 : rows(0, 34)) << mode;
    EXPECT_EQ(s.bars[0], 100);
  }
}

TEST(Gauge, PictureFollowsPercentage) {
  struct Case {
    int progress, percent;
    int lastFore;  // fore colour over columns 1..lastFore, back colour after
  };
  const Case cases[] = {
      {330, 100, 48}, {169, 51, 23}, {327, 99, 47}, {5, 1, 0},
      {14, 4, 0},     {17, 5, 1},    {-40, 0, 0},   {1000, 100, 48},
  };
  for (const auto& c : cases) {
    TGauge g(50, 13, 0, 330);
    g.SetForeColor(kNavy);
    g.SetBackColor(kYellow);
    g.SetProgress(c.progress);
    EXPECT_EQ(g.PercentDone(), c.percent) << c.progress;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 50; ++x) {
        const bool frame = x == 0 || y == 0 || x == 49 || y == 12;
        const uint32_t want = frame ? 0 : (x <= c.lastFore ? kNavy : kYellow);
        ASSERT_TRUE(isColor(g.image(), x, y, want)) << c.progress << " at " << x << "," << y;
      }
  }
  TGauge empty(50, 13, 10, 10);
  empty.SetProgress(99);
  EXPECT_EQ(empty.PercentDone(), 0);
}

TEST(Gauge, RepaintsOnlyWhenPercentageChanges) {
  TGauge g(50, 13, 0, 330);
  ASSERT_TRUE(g.SetProgress(169));  // 51 %
  const int paints = g.paintCount();
  EXPECT_FALSE(g.SetProgress(171));  // still 51 %
  EXPECT_EQ(g.Progress(), 171);
  EXPECT_EQ(g.paintCount(), paints);
  EXPECT_TRUE(g.SetProgress(172));  // 52 %
  EXPECT_EQ(g.paintCount(), paints + 1);
}
