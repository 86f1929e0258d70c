// SPDX-License-Identifier: GPL-3.0-or-later
// The page's drawing surface: the desktop picture box's colours and user scale, pixels in a
// canvas's byte order.
#include <gtest/gtest.h>

#include <cstring>

#include "raster_surface.h"

namespace km {
namespace {

// The bounding box of the pixels that are not `back`: left, top, width, height.
struct Box {
  int left = -1, top = -1, width = 0, height = 0;
  bool operator==(const Box&) const = default;
};
Box paintedBox(const PixelBuffer& p, std::uint32_t back) {
  int x0 = p.width(), y0 = p.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x)
      if (p.pixel(x, y) != back)
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  if (x1 < 0) return {};
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

TEST(RasterSurface, PixelsAreRedGreenBlueOpacityInMemory) {
  RasterSurface s;
  s.resize(4, 3);
  s.setBackColor(RGB(10, 20, 30));
  unsigned char bytes[4];
  std::memcpy(bytes, s.pixels().data() + 5, 4);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[1], 20);
  EXPECT_EQ(bytes[2], 30);
  EXPECT_EQ(bytes[3], 255);
}

// The same discs on the same pixels as the desktop's picture box of 567 x 500 (its own test
// finds these boxes), in the picture box's default colours.
TEST(RasterSurface, TheDesktopsScaleAndColours) {
  RasterSurface s;
  s.resize(567, 500);
  const std::uint32_t black = RasterSurface::toPixel(0);
  EXPECT_EQ(paintedBox(s.pixels(), black), Box{});

  s.circle(0, 0, 0);
  EXPECT_EQ(paintedBox(s.pixels(), black), (Box{0, 0, 1, 1}));
  EXPECT_EQ(s.pixels().pixel(0, 0), RasterSurface::toPixel(RGB(255, 255, 255)));

  s.setBackColor(0);
  s.circle(500, 500, 12);
  EXPECT_EQ(paintedBox(s.pixels(), black), (Box{276, 243, 15, 14}));
  EXPECT_EQ(s.pixels().pixel(283, 250), RasterSurface::toPixel(RGB(192, 0, 0)));
  EXPECT_EQ(s.pixels().pixel(276, 250), RasterSurface::toPixel(RGB(255, 255, 255)));

  // The tick's erase: the same disc in black leaves nothing.
  s.setFillColor(0);
  s.circle(500, 500, 12, 0);
  EXPECT_EQ(paintedBox(s.pixels(), black), Box{});
}

TEST(RasterSurface, ResizeKeepsTheDrawingAndEveryChangeCounts) {
  RasterSurface s;
  s.resize(100, 80);
  s.setBackColor(RGB(0, 0, 80));
  s.setFillColor(RGB(0, 255, 0));
  const auto v0 = s.version();
  s.circle(200, 200, 50, RGB(0, 255, 0));
  EXPECT_GT(s.version(), v0);
  const PixelBuffer before = s.pixels();
  s.resize(150, 90);
  EXPECT_GT(s.version(), v0 + 1);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(s.pixels().pixel(x, y), before.pixel(x, y));
  EXPECT_EQ(s.pixels().pixel(149, 89), RasterSurface::toPixel(RGB(0, 0, 80)));
  const auto v1 = s.version();
  s.resize(150, 90);
  EXPECT_EQ(s.version(), v1);
}

}  // namespace
}  // namespace km
