#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "vis/GenRegion.h"

namespace vemla::vis {
namespace {

const QRgb kBack = qRgb(10, 20, 30);
const QRgb kInk = qRgb(200, 200, 200);

QImage picture(int w, int h, const std::function<bool(int, int)>& ink) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixel(x, y, ink(x, y) ? kInk : kBack);
  }
  return image;
}

QImage fromRows(const std::vector<std::string>& rows) {
  return picture(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                 [&](int x, int y) { return rows[y][x] == '#'; });
}

std::vector<Vertex> traced(const VertexList& v, int last) {
  return std::vector<Vertex>(v.begin(), v.begin() + last + 1);
}

struct Case {
  const char* name;
  QImage image;
  int offsetX, offsetY;
  int expectedLast;
  std::vector<Vertex> expected;  // empty: not checked
};

TEST(GenRegion, TracesTheEdgeCases) {
  const std::vector<Case> cases = {
      {"filled rectangle",
       picture(15, 15, [](int x, int y) { return x >= 2 && x <= 12 && y >= 2 && y <= 11; }),
       0,
       0,
       4,
       {{2, 2}, {12, 2}, {12, 11}, {2, 11}, {2, 3}}},
      {"filled rectangle with offset",
       picture(15, 15, [](int x, int y) { return x >= 2 && x <= 12 && y >= 2 && y <= 11; }),
       -2,
       -1,
       4,
       {{0, 1}, {10, 1}, {10, 10}, {0, 10}, {0, 2}}},
      {"all background", picture(8, 8, [](int, int) { return false; }), 0, 0, -1, {}},
      {"single pixel",
       picture(8, 8, [](int x, int y) { return x == 3 && y == 4; }),
       5,
       5,
       0,
       {{8, 9}}},
      {"two blobs: the first in row order only",
       fromRows(
           {"..........", ".##.......", ".##....###", ".......###", ".......###", ".........."}),
       0,
       0,
       3,
       {{1, 1}, {2, 1}, {2, 2}, {1, 2}}},
      {"triangle that never leads back to its start",
       picture(12, 12, [](int x, int y) { return x >= 1 && x <= y && y <= 10; }),
       0,
       0,
       kMaxVertices - 1,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VertexList v;
    const int last = GenRegion(v, c.image, c.offsetX, c.offsetY);
    ASSERT_EQ(last, c.expectedLast);
    if (!c.expected.empty()) {
      EXPECT_EQ(traced(v, last), c.expected);
    }
  }
}

TEST(GenRegion, WalksTheOutlineClockwiseAlongTheTopFirst) {
  const QImage diamond =
      fromRows({".......", "...#...", "..###..", ".#####.", "..###..", "...#...", "......."});
  VertexList v;
  const int last = GenRegion(v, diamond, 0, 0);
  ASSERT_GE(last, 3);
  EXPECT_EQ(v[0], (Vertex{3, 1}));
  EXPECT_EQ(v[1], (Vertex{4, 2}));  // down to the right: clockwise on screen
  for (int i = 0; i <= last; ++i) {
    EXPECT_EQ(diamond.pixel(v[i].x, v[i].y), kInk) << "vertex " << i;
  }
}

TEST(GenRegion, EndsOnPicturesWhoseWalkWouldCircleForever) {
  // Merging in-line vertices keeps the list from filling while the walk bounces along these
  // one-pixel lines; the walk must still end, on shape pixels only.
  const std::vector<QImage> pictures = {
      fromRows({".......", "..###..", ".#.....", ".......", ".......", ".......", "......."}),
      fromRows({"..........", "..######..", ".#........", "..........", ".........."}),
  };
  for (const QImage& image : pictures) {
    VertexList v;
    const int last = GenRegion(v, image, 0, 0);
    ASSERT_GE(last, 0);
    ASSERT_LT(last, kMaxVertices);
    for (int i = 0; i <= last; ++i) EXPECT_EQ(image.pixel(v[i].x, v[i].y), kInk);
  }
}

TEST(GenRegion, WalkNeverLeavesThePicture) {
  // Outside the picture never counts as background, yet the walk must not step out there.
  const QImage image = fromRows({".....", ".####", ".####", ".####"});
  VertexList v;
  const int last = GenRegion(v, image, 0, 0);
  ASSERT_GE(last, 1);
  for (int i = 0; i <= last; ++i) {
    EXPECT_TRUE(image.rect().contains(v[i].x, v[i].y));
  }
}

TEST(OutlineRegion, HoldsEveryPixelOfTheShapeAndNoMore) {
  const std::vector<QImage> shapes = {
      picture(15, 15, [](int x, int y) { return x >= 2 && x <= 12 && y >= 2 && y <= 11; }),
      fromRows({".........", "...###...", "..#####..", ".#######.", ".#######.", "..##.##..",
                "........."}),
      picture(20, 20, [](int x, int y) { return (x - 10) * (x - 10) + (y - 9) * (y - 9) <= 50; }),
      fromRows(
          {"..........", ".########.", ".########.", ".###..###.", ".##....##.", ".........."}),
      // A rounded corner at the start: the trace ends with a straight run up the left side,
      // which the region must keep.
      fromRows({"..........", "..######..", ".########.", ".########.", ".########.", "..######..",
                ".........."}),
  };
  for (const QImage& image : shapes) {
    VertexList v;
    const int last = GenRegion(v, image, 0, 0);
    ASSERT_GE(last, 1);
    const QRegion region = outlineRegion(v, last + 1);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == kInk) {
          EXPECT_TRUE(region.contains(QPoint(x, y))) << x << "," << y;
        } else {
          EXPECT_FALSE(region.contains(QPoint(x, y))) << x << "," << y;
        }
      }
    }
  }
  VertexList v;
  const int last = GenRegion(v, shapes[0], 0, 0);
  EXPECT_EQ(outlineRegion(v, last + 1), QRegion(QRect(2, 2, 11, 10)));
}

}  // namespace
}  // namespace vemla::vis
