#pragma once
#include <QImage>
#include <cstdint>
#include <functional>

#include "vis/Canvas.h"

namespace vemla::test {

inline bool isColor(const QImage& img, int x, int y, uint32_t colorRef) {
  return (img.pixel(x, y) | 0xFF000000u) == vis::colorRefToRgb(colorRef);
}

// Pixels that are not black, optionally only where `where` holds.
inline int litCount(const QImage& img, const std::function<bool(int, int)>& where = nullptr) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (!isColor(img, x, y, 0) && (!where || where(x, y))) ++n;
  return n;
}

// Rows of one column that have `colorRef`, as a bit mask (row r -> bit r).
inline uint64_t columnMask(const QImage& img, int x, uint32_t colorRef) {
  uint64_t m = 0;
  for (int y = 0; y < img.height(); ++y)
    if (isColor(img, x, y, colorRef)) m |= uint64_t{1} << y;
  return m;
}

constexpr uint64_t rows(int first, int last) {
  return first > last ? 0 : (((uint64_t{1} << (last - first + 1)) - 1) << first);
}

}  // namespace vemla::test
