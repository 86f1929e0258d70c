// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace km {

// A picture in memory: width x height 32-bit pixels, row after row with no gap. A pixel's top
// byte is its opacity; the order of the other three is the user's: 0xffRRGGBB for the
// desktop's images, the bytes R, G, B, A in memory (0xffBBGGRR on a little-endian machine)
// for a browser's canvas.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  // A negative size counts as 0.
  PixelBuffer(int width, int height, std::uint32_t pixel = 0xff000000u);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return pixels_.empty(); }
  std::uint32_t* data() { return pixels_.data(); }
  const std::uint32_t* data() const { return pixels_.data(); }
  std::size_t byteCount() const { return pixels_.size() * sizeof(std::uint32_t); }
  std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  std::uint32_t pixel(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
  }

  void fill(std::uint32_t pixel);
  // A new size keeps what was drawn where it still fits, `back` elsewhere.
  void resize(int width, int height, std::uint32_t back);

  bool operator==(const PixelBuffer&) const = default;

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace km
