// Pure drawing of the three visualisers, compared pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PixelHelpers.h"
#include "vis/TCircleScope.h"
#include "vis/TOcilloScope.h"
#include "vis/TSpectrum.h"

using namespace vemla::vis;
using vemla::test::columnMask;
using vemla::test::isColor;
using vemla::test::litCount;
using vemla::test::rows;

namespace {

constexpr int W = 99, H = 35;
constexpr uint32_t kWhite = 0xFFFFFF, kYellow = 0x00FFFF;

uint32_t word(int16_t left, int16_t right) {
  return static_cast<uint16_t>(left) | (static_cast<uint32_t>(static_cast<uint16_t>(right)) << 16);
}

WaveData constantWave(uint32_t w) {
  WaveData d{};
  for (int i = 0; i < 512; ++i) d[static_cast<size_t>(i)] = w;
  return d;
}

// A spectrum with the same magnitude in every bin.
SpectrumData flatSpectrum(float v) {
  SpectrumData d{};
  d.fill(v);
  return d;
}

TSpectrum startupSpectrum() {
  TSpectrum s(W, H);
  s.columnWidth = 2;
  s.peakColor = kYellow;
  return s;
}

}  // namespace

TEST(Oscilloscope, ConstantSignalDrawsByModeAtTruncatedDeflection) {
  struct Case {
    const char* what;
    uint32_t w;
    int mode;
    int scale;
    int row;           // row of the trace (mode 0, 2) or far end of the strokes (mode 1)
    bool firstColumn;  // whether x = 0 is drawn
  };
  const Case cases[] = {
      {"silence, lines", 0, 0, 50, 18, true},
      {"-1 truncates toward zero", word(-1, 0), 0, 50, 18, true},
      {"full scale up", word(32767, 32767), 0, 20, 18 + 9, true},
      {"full scale down", word(-32768, -32768), 0, 20, 18 - 10, true},
      {"one channel full", word(32767, 0), 0, 50, 18 + 12, true},
      {"pixels skip point 0", word(8000, 8000), 2, 50, 18 + 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TOcilloScope osc(W, H);
    osc.drawMode = c.mode;
    osc.scale = c.scale;
    const QImage& img = osc.Draw(constantWave(c.w), 0, 18);
    for (int x = 0; x < W; ++x)
      ASSERT_EQ(columnMask(img, x, kWhite), (x > 0 || c.firstColumn) ? rows(c.row, c.row) : 0)
          << "x " << x;
    EXPECT_EQ(litCount(img), c.firstColumn ? W : W - 1);
  }
}

TEST(Oscilloscope, StrokesRunFromTheZeroLineAndSilenceDrawsNone) {
  TOcilloScope osc(W, H);
  osc.drawMode = 1;
  const QImage& up = osc.Draw(constantWave(word(13108, 13108)), 0, 18);  // deflection 10
  EXPECT_EQ(columnMask(up, 0, kWhite), 0u);
  for (int x = 1; x < W; ++x) ASSERT_EQ(columnMask(up, x, kWhite), rows(18, 27)) << x;
  EXPECT_EQ(litCount(osc.Draw(constantWave(0), 0, 18)), 0);
  osc.drawMode = 5;
  EXPECT_EQ(litCount(osc.Draw(constantWave(word(9000, 9000)), 0, 18)), 0);
}

TEST(Oscilloscope, KeepsOldPictureWithoutClearingAndSurvivesLargeStep) {
  TOcilloScope osc(W, H);
  osc.Draw(constantWave(0), 0, 18);
  osc.clearEachFrame = false;
  const QImage& img = osc.Draw(constantWave(word(-13108, -13108)), 0, 18);
  EXPECT_EQ(columnMask(img, 50, kWhite), rows(8, 8) | rows(18, 18));
  // Word indexes beyond the buffer read as silence instead of outside it.
  osc.clearEachFrame = true;
  osc.step = 100;
  const QImage& wide = osc.Draw(constantWave(0), 0, 18);
  EXPECT_EQ(columnMask(wide, 98, kWhite), rows(18, 18));
}

TEST(CircleScope, SilenceDrawsClosedRadius11FigureAroundCentre) {
  TCircleScope circle(W, H);
  circle.radius = 11;
  const QImage& img = circle.Draw(constantWave(0), 50, 18);
  int lit = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (isColor(img, x, y, kWhite)) {
        ++lit;
        const double d = std::hypot(x - 50, y - 18);
        ASSERT_TRUE(d >= 9.5 && d <= 11.0) << x << "," << y;
      }
  EXPECT_GT(lit, 55);
  // Start below the centre, a quarter turn on the right, half a turn at the top, the left side.
  for (auto [x, y] : {std::pair{50, 29}, {60, 18}, {50, 8}, {40, 18}, {50, 28}})
    EXPECT_TRUE(isColor(img, x, y, kWhite)) << x << "," << y;
}

TEST(CircleScope, RadiusFollowsSignalAndNegativeRadiusFlipsSides) {
  struct Case {
    const char* what;
    uint32_t w;
    int startY;   // y of the first point, below the centre for a positive radius
    double maxD;  // farthest lit pixel from the centre
  };
  const Case cases[] = {
      {"loud: 11 + 14", word(32767, 32767), 18 + 25, 25.0},
      {"negative: 11 - 15", word(-32768, -32768), 18 - 4, 4.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TCircleScope circle(W, H);
    circle.radius = 11;
    const QImage& img = circle.Draw(constantWave(c.w), 50, 18);
    if (c.startY < H) {
      EXPECT_TRUE(isColor(img, 50, c.startY, kWhite));
    }
    EXPECT_EQ(litCount(img, [&](int x, int y) { return std::hypot(x - 50, y - 18) > c.maxD; }), 0);
    EXPECT_GT(litCount(img), 10);
  }
}

TEST(CircleScope, ModesSpokesAndPixels) {
  TCircleScope circle(W, H);
  circle.radius = 11;
  circle.drawMode = 1;
  const QImage& spokes = circle.Draw(constantWave(0), 50, 18);
  EXPECT_TRUE(isColor(spokes, 50, 18, kWhite));
  EXPECT_TRUE(isColor(spokes, 55, 18, kWhite));  // on the spoke toward (60, 18)

  circle.drawMode = 2;
  const QImage& dots = circle.Draw(constantWave(0), 50, 18);
  EXPECT_FALSE(isColor(dots, 50, 29, kWhite)) << "point 0 is only the pen's start";
  EXPECT_TRUE(isColor(dots, 50, 28, kWhite));
  EXPECT_LE(litCount(dots), 254);
  EXPECT_EQ(litCount(dots, [](int x, int y) { return std::hypot(x - 50, y - 18) < 9.5; }), 0);
}

TEST(Spectrum, BarsSink3AndPeaks1PerFrameInSilence) {
  TSpectrum s = startupSpectrum();
  s.Draw(flatSpectrum(0.25f), 0, 0);
  const SpectrumData silence{};
  for (int n = 1; n <= 40; ++n) {
    s.Draw(silence, 0, 0);
    for (int i = 0; i < TSpectrum::kColumns; ++i) {
      ASSERT_EQ(s.bars[static_cast<size_t>(i)], std::max(0, 100 - 3 * n)) << n;
      ASSERT_EQ(s.peaks[static_cast<size_t>(i)], 100 - n) << n;
    }
  }
}

TEST(Spectrum, BarHeightFromMagnitude) {
  struct Case {
    float v;
    int bar;
  };
  const Case cases[] = {
      {0.0f, 0},       {0.0019f, 0},
      {0.002f, 1},     {0.0401f, 20},
      {-0.0401f, 20},    {0.25f, 100},
      {1e30f, 100},    {std::numeric_limits<float>::infinity(), 100},
      {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    TSpectrum s = startupSpectrum();
    s.Draw(flatSpectrum(c.v), 0, 0);
    EXPECT_EQ(s.bars[0], c.bar) << c.v;
    EXPECT_EQ(s.peaks[0], c.bar) << c.v;
  }
}

TEST(Spectrum, ColumnIReadsValue5PlusI) {
  TSpectrum s = startupSpectrum();
  SpectrumData d{};
  d[4] = 0.1f;  // below the shown range
  d[5 + 7] = 0.0401f;
  const QImage& img = s.Draw(d, 0, 0);
  for (int i = 0; i < TSpectrum::kColumns; ++i)
    ASSERT_EQ(s.bars[static_cast<size_t>(i)], i == 7 ? 20 : 0) << i;
  // The bar's line starts on the (invisible) bottom edge: rows 16..34, peak pixel on row 15.
  EXPECT_EQ(columnMask(img, 7, kWhite), rows(16, 34) | rows(15, 15));
  EXPECT_EQ(litCount(img), 20);
}

TEST(Spectrum, LinesModeAfterAFallShowsBarAndSeparatePeakPixel) {
  TSpectrum s = startupSpectrum();
  s.Draw(flatSpectrum(0.0401f), 0, 0);
  const QImage& img = s.Draw(SpectrumData{}, 0, 0);  // bar 17, peak 19
  for (int x = 0; x < W; ++x) ASSERT_EQ(columnMask(img, x, kWhite), rows(19, 34) | rows(16, 16)) << x;
}

TEST(Spectrum, FullBarIsClippedAtTheTop) {
  for (int mode : {0, 1}) {
    TSpectrum s = startupSpectrum();
    s.drawMode = mode;
    const QImage& img = s.Draw(flatSpectrum(0.25f), 0, 0);
    EXPECT_EQ(columnMask(img, 0, kWhite), rows(0, 34)) << mode;
    EXPECT_EQ(columnMask(img, 0, kYellow), 0u) << mode;
  }
}

TEST(Spectrum, SolidDrawsYellowPeakLinesOverWhiteTwoPixelColumns) {
  TSpectrum s = startupSpectrum();
  s.drawMode = 1;
  s.Draw(flatSpectrum(0.0401f), 0, 0);
  const QImage& img = s.Draw(SpectrumData{}, 0, 0);  // bar 17, peak 19
  for (int x = 0; x < W; ++x) {
    const bool inColumn = x % 3 != 2;
    ASSERT_EQ(columnMask(img, x, kWhite), inColumn ? rows(18, 34) : 0) << x;
    ASSERT_EQ(columnMask(img, x, kYellow), inColumn ? rows(16, 16) : 0) << x;
  }
}

TEST(Spectrum, ModeTwoDrawsNothingButValuesMove) {
  TSpectrum s = startupSpectrum();
  s.drawMode = 2;
  EXPECT_EQ(litCount(s.Draw(flatSpectrum(0.0401f), 0, 0)), 0);
  s.Draw(SpectrumData{}, 0, 0);
  EXPECT_EQ(s.bars[3], 17);
  EXPECT_EQ(s.peaks[3], 19);
}
