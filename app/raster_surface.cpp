// SPDX-License-Identifier: GPL-3.0-or-later
#include "raster_surface.h"

#include <bit>

#include "disc_raster.h"

namespace km {

std::uint32_t RasterSurface::toPixel(Color c) {
  // r + 256 g + 65536 b holds R, G, B in its low three bytes: on a little-endian machine (and
  // WebAssembly is one) those are the first three bytes in memory, opacity the fourth.
  static_assert(std::endian::native == std::endian::little);
  return 0xff000000u | (static_cast<std::uint32_t>(c) & 0xffffffu);
}

void RasterSurface::setBackColor(Color c) {
  back_ = c;
  pixels_.fill(toPixel(c));
  ++version_;
}

void RasterSurface::circle(float x, float y, float radius, Color outline) {
  const double scaleX = pixels_.width() / 1000.0, scaleY = pixels_.height() / 1000.0;
  drawDisc(pixels_, x * scaleX, y * scaleY, radius * scaleX, toPixel(fill_), toPixel(outline));
  ++version_;
}

void RasterSurface::wallLine(float x, float top, float bottom, Color c) {
  const double scaleY = pixels_.height() / 1000.0;
  drawColumn(pixels_, x * pixels_.width() / 1000.0, toPixel(c), top * scaleY, bottom * scaleY);
  ++version_;
}

void RasterSurface::resize(int width, int height) {
  if (width == pixels_.width() && height == pixels_.height()) return;
  pixels_.resize(width, height, toPixel(back_));
  ++version_;
}

}  // namespace km
