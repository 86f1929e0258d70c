// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace km {

// Paints a disc in pixel space, where pixel (px, py) has its centre at (px + 0.5, py + 0.5):
// `fill` on pixels whose centre lies strictly within r - 0.5 of (cx, cy), `outline` on the
// other pixels whose centre lies within r + 0.5, and always the pixel holding (cx, cy) (in
// `outline` unless it is interior), so a disc of radius 0 is one dot. No antialiasing, and
// the same (cx, cy, r) always covers the same pixels. Clipped to the image; a negative radius
// counts as its absolute value, and non-finite input or an image that is not 32 bits per
// pixel draws nothing.
void drawDisc(QImage& image, double cx, double cy, double r, QRgb fill, QRgb outline);

}  // namespace km
