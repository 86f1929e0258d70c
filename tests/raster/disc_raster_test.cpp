// SPDX-License-Identifier: GPL-3.0-or-later
// The span disc rasteriser on a plain pixel buffer: exact coverage by pixel centres, erasing,
// hostile input, and the buffer's own resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "disc_raster.h"
#include "pixel_buffer.h"

namespace km {
namespace {

constexpr std::uint32_t kBlack = 0xff000000;
constexpr std::uint32_t kFill = 0xff102030;
constexpr std::uint32_t kOutline = 0xffa0b0c0;

int countOf(const PixelBuffer& img, std::uint32_t c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      n += img.pixel(x, y) == c;
  return n;
}

double centreDistance(int px, int py, double cx, double cy) {
  return std::hypot(px + 0.5 - cx, py + 0.5 - cy);
}

// Each pixel checked on its own against the distance of its centre, including discs cut by
// the picture's edges; only exact ties on a boundary may go either way.
TEST(DiscRaster, CoverageFollowsPixelCentres) {
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> pos(-15, 75), rad(0, 20);
  for (int t = 0; t < 400; ++t) {
    double cx = pos(gen), cy = pos(gen), r = rad(gen);
    if (t % 4 == 0) cx = std::round(cx * 2) / 2, cy = std::round(cy * 2) / 2, r = std::round(r);
    if (t % 10 == 1) r = 0;
    PixelBuffer img(64, 48), plain(64, 48);
    drawDisc(img, cx, cy, r, kFill, kOutline);
    drawDisc(plain, cx, cy, r, kOutline, kOutline);
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) {
        double d = centreDistance(x, y, cx, cy);
        bool tie = std::abs(d - (r - 0.5)) < 1e-9 || std::abs(d - (r + 0.5)) < 1e-9;
        std::uint32_t want = d < r - 0.5 ? kFill : d <= r + 0.5 ? kOutline : kBlack;
        if (x == std::floor(cx) && y == std::floor(cy) && want == kBlack) want = kOutline;
        ASSERT_EQ(img.pixel(x, y) == kBlack, plain.pixel(x, y) == kBlack)
            << "one colour covers (" << x << ", " << y << ") differently";
        if (!tie) {
          ASSERT_EQ(img.pixel(x, y), want) << "disc (" << cx << ", " << cy << ", r " << r
                                           << "): pixel (" << x << ", " << y << ")";
        }
      }
    }
  }

  PixelBuffer dot(8, 8);
  drawDisc(dot, 3.9, 5.1, 0, kFill, kOutline);
  EXPECT_EQ(countOf(dot, kOutline), 1);
  EXPECT_EQ(dot.pixel(3, 5), kOutline);
}

// Drawn again in the back colour, a disc leaves no trace, wherever it lies.
TEST(DiscRaster, RedrawingInTheBackColourErasesExactly) {
  const PixelBuffer black(120, 90);
  PixelBuffer img(120, 90);
  std::mt19937 gen(2);
  std::uniform_real_distribution<double> pos(-20, 140), rad(0, 50);
  for (int t = 0; t < 500; ++t) {
    const double x = pos(gen), y = pos(gen), r = t % 7 == 0 ? 0 : rad(gen);
    drawDisc(img, x, y, r, 0xff000000u | gen(), 0xff000000u | gen());
    drawDisc(img, x, y, r, kBlack, kBlack);
    ASSERT_EQ(img, black) << "(" << x << ", " << y << ", " << r << ") left a trace";
  }
}

// Colours are written as given, only made opaque: the channel order is the caller's.
TEST(DiscRaster, ColoursAreWrittenOpaqueAsGiven) {
  PixelBuffer img(21, 21, 0);
  drawDisc(img, 10.5, 10.5, 6, 0x00332211u, 0x7f665544u);
  EXPECT_EQ(img.pixel(10, 10), 0xff332211u);
  EXPECT_EQ(img.pixel(4, 10), 0xff665544u);
  EXPECT_EQ(img.pixel(0, 0), 0u);
}

TEST(DiscRaster, HostileInputIsClippedOrIgnored) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const PixelBuffer black(50, 40);
  PixelBuffer img(50, 40);
  for (double bad : {nan, inf, -inf}) {
    drawDisc(img, bad, 20, 5, kFill, kOutline);
    drawDisc(img, 25, bad, 5, kFill, kOutline);
    drawDisc(img, 25, 20, bad, kFill, kOutline);
  }
  EXPECT_EQ(img, black);

  const double big = std::numeric_limits<double>::max();
  for (double v : {big, -big, 1e300, -1e300})
    for (double w : {big, -big, 1e300, 0.0, 25.0})
      drawDisc(img, v, w, big, kFill, kOutline), drawDisc(img, w, v, v, kFill, kOutline);
  drawDisc(img, 25, 20, big, kFill, kOutline);
  EXPECT_EQ(countOf(img, kFill), 50 * 40);

  // A negative radius counts as its absolute value.
  PixelBuffer negative(80, 80), positive(80, 80);
  drawDisc(negative, 32.1, 47.3, -17.5, kFill, kOutline);
  drawDisc(positive, 32.1, 47.3, 17.5, kFill, kOutline);
  EXPECT_EQ(negative, positive);

  // A picture with no pixels takes any disc.
  PixelBuffer none(0, 10);
  drawDisc(none, 0, 0, 5, kFill, kOutline);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.width(), 0);
  EXPECT_EQ(none.height(), 0);
}

TEST(PixelBuffer, ResizeKeepsWhatFitsAndFillsTheRest) {
  PixelBuffer img(4, 3, 1);
  img.row(2)[3] = 7;
  img.row(0)[0] = 5;
  img.resize(6, 2, 9);
  ASSERT_EQ(img.width(), 6);
  ASSERT_EQ(img.height(), 2);
  EXPECT_EQ(img.pixel(0, 0), 5u);
  EXPECT_EQ(img.pixel(3, 1), 1u);
  EXPECT_EQ(img.pixel(4, 0), 9u);
  EXPECT_EQ(img.pixel(5, 1), 9u);
  EXPECT_EQ(img.byteCount(), 6u * 2u * 4u);
  img.resize(-3, 5, 0);
  EXPECT_TRUE(img.empty());
}

}  // namespace
}  // namespace km

namespace km {
namespace {

TEST(DrawColumn, FillsTheColumnXFallsInOpaqueAndNothingOutside) {
  const std::pair<double, int> cases[] = {{0, 0}, {2.7, 2}, {3.0, 3}, {9.99, 9}};
  for (const auto& [x, column] : cases) {
    PixelBuffer b;
    b.resize(10, 4, 0);
    drawColumn(b, x, 0x00123456u);
    for (int y = 0; y < 4; ++y)
      for (int c = 0; c < 10; ++c)
        EXPECT_EQ(b.pixel(c, y), c == column ? 0xff123456u : 0u) << x << " at " << c << "," << y;
  }
  // Only the rows whose centres lie from top to bottom: a piece of the divider.
  const std::tuple<double, double, std::vector<int>> pieces[] = {
      {0, 2, {0, 1}}, {1.5, 4, {1, 2, 3}}, {0.6, 1.4, {}}, {3.5, 1e9, {3}}};
  for (const auto& [top, bottom, rows] : pieces) {
    PixelBuffer b;
    b.resize(3, 4, 0);
    drawColumn(b, 1, 0x00abcdefu, top, bottom);
    for (int y = 0; y < 4; ++y)
      for (int c = 0; c < 3; ++c) {
        const bool on = c == 1 && std::find(rows.begin(), rows.end(), y) != rows.end();
        EXPECT_EQ(b.pixel(c, y), on ? 0xffabcdefu : 0u) << top << ".." << bottom << " at " << y;
      }
  }
  for (double outside : {-0.5, 10.0, 1e9, std::nan("")}) {
    PixelBuffer b;
    b.resize(10, 4, 0);
    drawColumn(b, outside, 0xffffffffu);
    EXPECT_EQ(b, [] {
      PixelBuffer e;
      e.resize(10, 4, 0);
      return e;
    }()) << outside;
  }
}

}  // namespace
}  // namespace km
