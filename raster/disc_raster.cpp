// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_raster.h"

#include <algorithm>
#include <cmath>

namespace km {
namespace {

// floor(v) and ceil(v) of v clamped to [-1, hi], as truncations of non-negative numbers
// (cheaper than std::floor and std::ceil on the baseline instruction set).
inline double clampTo(double v, double hi) {
  v = v < -1 ? -1 : v;
  return v > hi ? hi : v;
}
inline int floorIn(double v, double hi) {
  return static_cast<int>(clampTo(v, hi) + 1) - 1;
}
inline int ceilIn(double v, double hi) {
  return static_cast<int>(hi) - static_cast<int>(hi - clampTo(v, hi));
}

// Sets p[0 .. n) to c, four pixels a store where it can.
inline void fillSpan(std::uint32_t* p, int n, std::uint32_t c) {
  if (n < 4) {
    for (int i = 0; i < n; ++i)
      p[i] = c;
    return;
  }
  std::uint32_t* const end = p + n;
  for (; p + 4 <= end; p += 4)
    p[0] = c, p[1] = c, p[2] = c, p[3] = c;
  end[-4] = c, end[-3] = c, end[-2] = c, end[-1] = c;
}

}  // namespace

void drawDisc(PixelBuffer& picture, double cx, double cy, double r, std::uint32_t fill,
              std::uint32_t outline) {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r)) return;
  if (picture.empty()) return;
  fill |= 0xff000000u;
  outline |= 0xff000000u;
  r = std::abs(r);
  const double outer = r + 0.5, inner = std::max(r - 0.5, 0.0);
  const int width = picture.width(), height = picture.height();
  const double w = width, h = height;

  // The pixel holding the centre, or -1 when it is outside the picture.
  int centreX = -1, centreY = -1;
  if (cx >= 0 && cx < w && cy >= 0 && cy < h) {
    centreX = static_cast<int>(cx);
    centreY = static_cast<int>(cy);
  }

  // Column px is in a row's span when |px + 0.5 - cx| is within the half-width, so the span is
  // ceil(cx - 0.5 - half) .. floor(cx - 0.5 + half). The spans of a chunk of rows are worked
  // out (and their pixels prefetched) before any row is filled, so that the square roots of
  // successive rows and the cache misses overlap.
  const double left = cx - 0.5;
  const bool ring = fill != outline;
  const int firstRow = std::max(ceilIn(cy - 0.5 - outer, h), 0);
  const int lastRow = std::min(floorIn(cy - 0.5 + outer, h), height - 1);
  constexpr int kChunk = 16;
  int x0[kChunk], x1[kChunk], i0[kChunk], i1[kChunk];
  for (int top = firstRow; top <= lastRow; top += kChunk) {
    const int rows = std::min(kChunk, lastRow - top + 1);
    for (int k = 0; k < rows; ++k) {
      // (R - dy)(R + dy) rather than R^2 - dy^2, so that huge values overflow as late as they can.
      const double dy = top + k + 0.5 - cy;
      const double wo2 = (outer - dy) * (outer + dy);
      const double wo = std::sqrt(wo2 > 0 ? wo2 : 0);
      x0[k] = ceilIn(left - wo, w);
      x1[k] = floorIn(left + wo, w);
      std::uint32_t* const line = picture.row(top + k);
      __builtin_prefetch(line + std::max(x0[k], 0), 1);
      __builtin_prefetch(line + std::min(x1[k], width - 1), 1);
    }
    // The interior needs spans of its own only when its colour differs from the outline's.
    for (int k = 0; k < rows && ring; ++k) {
      const double dy = top + k + 0.5 - cy;
      const double wi2 = (inner - dy) * (inner + dy);
      const double wi = std::sqrt(wi2 > 0 ? wi2 : 0);
      i0[k] = floorIn(left - wi, w) + 1;  // strictly inside: empty when wi is 0
      i1[k] = ceilIn(left + wi, w) - 1;
    }
    for (int k = 0; k < rows; ++k) {
      std::uint32_t* const row = picture.row(top + k);
      const int a = std::max(x0[k], 0), b = std::min(x1[k], width - 1);
      if (a <= b) fillSpan(row + a, b - a + 1, outline);
      int c = width, d = -1;
      if (ring) {
        c = std::max(i0[k], a), d = std::min(i1[k], b);
        if (c <= d) fillSpan(row + c, d - c + 1, fill);
      }
      if (top + k == centreY && (centreX < c || centreX > d)) row[centreX] = outline;
    }
  }
}

void drawColumn(PixelBuffer& buffer, double x, std::uint32_t pixel, double top, double bottom) {
  if (!(x >= 0 && x < buffer.width())) return;
  const int column = static_cast<int>(x);
  for (int y = 0; y < buffer.height(); ++y)
    if (y + 0.5 >= top && y + 0.5 <= bottom) buffer.row(y)[column] = pixel | 0xff000000u;
}

}  // namespace km
