// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "pixel_buffer.h"

namespace km {

// The column of pixels at x (device pixels, the one x falls in) in `pixel`, over the rows whose
// centres lie between `top` and `bottom` (device pixels; the whole height by default); nothing
// where x is outside the buffer. Written opaque, as a disc.
void drawColumn(PixelBuffer& buffer, double x, std::uint32_t pixel, double top = 0,
                double bottom = 1e300);

// Paints a disc in pixel space, where pixel (px, py) has its centre at (px + 0.5, py + 0.5):
// `fill` on pixels whose centre lies strictly within r - 0.5 of (cx, cy), `outline` on the
// other pixels whose centre lies within r + 0.5, and always the pixel holding (cx, cy) (in
// `outline` unless it is interior), so a disc of radius 0 is one dot. No antialiasing, and
// the same (cx, cy, r) always covers the same pixels. Clipped to the picture; a negative
// radius counts as its absolute value, and non-finite input draws nothing. Both colours are
// written as given, made opaque (top byte 0xff).
void drawDisc(PixelBuffer& picture, double cx, double cy, double r, std::uint32_t fill,
              std::uint32_t outline);

}  // namespace km
