// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixel_buffer.h"

#include <algorithm>

namespace km {

PixelBuffer::PixelBuffer(int width, int height, std::uint32_t pixel)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  // An empty side makes an empty picture, whatever the other side.
  if (width_ == 0 || height_ == 0) width_ = height_ = 0;
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), pixel);
}

void PixelBuffer::fill(std::uint32_t pixel) {
  std::fill(pixels_.begin(), pixels_.end(), pixel);
}

void PixelBuffer::resize(int width, int height, std::uint32_t back) {
  PixelBuffer next(width, height, back);
  const int w = std::min(width_, next.width_), h = std::min(height_, next.height_);
  for (int y = 0; y < h; ++y)
    std::copy_n(row(y), w, next.row(y));
  *this = std::move(next);
}

}  // namespace km
