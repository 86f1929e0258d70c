// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "pixel_buffer.h"
#include "surface.h"

namespace km {

// The page's drawing surface: a pixel buffer in a canvas's byte order (R, G, B, A), in user
// units of 1000 x 1000 from the top-left corner, with the desktop picture box's colours and
// scale, so that both editions put the same discs on the same pixels.
class RasterSurface : public DrawingSurface {
 public:
  void setBackColor(Color c) override;
  void setFillColor(Color c) override { fill_ = c; }
  void circle(float x, float y, float radius) override { circle(x, y, radius, fore_); }
  void circle(float x, float y, float radius, Color outline) override;
  void wallLine(float x, float top, float bottom, Color c) override;

  // A new size in device pixels keeps what was drawn where it still fits.
  void resize(int width, int height);
  const PixelBuffer& pixels() const { return pixels_; }
  // Grows with every change of the pixels, so a frame with nothing new copies nothing.
  std::uint64_t version() const { return version_; }

  // A colour as a pixel: the bytes R, G, B, 255 in memory.
  static std::uint32_t toPixel(Color c);

 private:
  PixelBuffer pixels_;
  Color back_ = 0;
  Color fill_ = RGB(192, 0, 0);
  Color fore_ = RGB(255, 255, 255);
  std::uint64_t version_ = 0;
};

}  // namespace km
