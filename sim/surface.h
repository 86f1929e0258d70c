// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace km {

// r + 256 * g + 65536 * b, each channel 0..255; 0 is black.
using Color = std::int32_t;
constexpr Color RGB(int r, int g, int b) {
  return r + 256 * g + 65536 * b;
}

// The line of a wall that moved into the box.
constexpr Color wallColor = RGB(255, 200, 0);

// Where the model draws: user units, 1000 x 1000, origin top-left, y downward.
class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  // Fills the whole surface, erasing everything drawn.
  virtual void setBackColor(Color c) = 0;
  virtual void setFillColor(Color c) = 0;
  // A filled disc outlined in the surface's foreground colour.
  virtual void circle(float x, float y, float radius) = 0;
  // A filled disc outlined in `outline`.
  virtual void circle(float x, float y, float radius, Color outline) = 0;
  // A vertical line at x from y = top to y = bottom, one device pixel wide: a wall that moved,
  // or the divider.
  virtual void wallLine(float x, float top, float bottom, Color c) = 0;
};

enum class Readout { Label1, Label2, Label3, Label7 };

// Where the model writes its readouts: the time of day, the two energy sums, the speed.
class TextDisplay {
 public:
  virtual ~TextDisplay() = default;
  virtual void show(Readout which, std::string_view text) = 0;
};

// Draws nothing and shows nothing: for a gas run without a window.
class NoDrawing : public DrawingSurface {
 public:
  void setBackColor(Color) override {}
  void setFillColor(Color) override {}
  void circle(float, float, float) override {}
  void circle(float, float, float, Color) override {}
  void wallLine(float, float, float, Color) override {}
};
class NoReadouts : public TextDisplay {
 public:
  void show(Readout, std::string_view) override {}
};

}  // namespace km
