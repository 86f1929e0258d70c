// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "clock.h"
#include "random_source.h"
#include "simulation.h"
#include "surface.h"

namespace km::test {

// Hands out the given numbers in order and counts the draws.
struct ScriptedRandom : RandomSource {
  std::vector<float> values;
  std::size_t draws = 0;
  float seededWith = -1;
  explicit ScriptedRandom(std::vector<float> v = {0.25f}) : values(std::move(v)) {}
  void seed(float s) override { seededWith = s; }
  float next() override { return values[draws++ % values.size()]; }
};

struct FixedClock : Clock {
  double seconds = 45296.75;  // 12:34:56
  double secondsSinceMidnight() const override { return seconds; }
};

// One drawing call as text, e.g. "fill 255", "circle 1.5 2 3 255", "circle 1 2 3 fore".
struct RecordingSurface : DrawingSurface {
  std::vector<std::string> calls;
  static std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.9g", v);
    return b;
  }
  void setBackColor(Color c) override { calls.push_back("back " + std::to_string(c)); }
  void setFillColor(Color c) override { calls.push_back("fill " + std::to_string(c)); }
  void circle(float x, float y, float r) override {
    calls.push_back("circle " + num(x) + " " + num(y) + " " + num(r) + " fore");
  }
  void circle(float x, float y, float r, Color c) override {
    calls.push_back("circle " + num(x) + " " + num(y) + " " + num(r) + " " + std::to_string(c));
  }
  void wallLine(float x, float top, float bottom, Color c) override {
    calls.push_back("wall " + num(x) + " " + num(top) + ".." + num(bottom) + " " +
                    std::to_string(c));
  }
};

struct RecordingDisplay : TextDisplay {
  std::array<std::string, 4> last{"", "", "", ""};
  std::array<int, 4> writes{};
  void show(Readout which, std::string_view text) override {
    last[static_cast<int>(which)] = std::string(text);
    ++writes[static_cast<int>(which)];
  }
  const std::string& operator[](Readout r) const { return last[static_cast<int>(r)]; }
  int count(Readout r) const { return writes[static_cast<int>(r)]; }
};

inline SpeciesTexts rows(std::array<std::string, 4> counts,
                         std::array<std::string, 4> masses = {"1", "4", "16", "64"}) {
  return SpeciesTexts{counts, masses};
}

// A simulation with scripted randomness and a fixed clock, started up with the defaults.
struct Rig {
  ScriptedRandom rnd;
  FixedClock clock;
  RecordingSurface surface;
  RecordingDisplay display;
  Simulation sim{rnd, clock};
  State& s = sim.state();
  Rig() {
    sim.startUp(surface);
    sim.setDefaultSpeciesColors();
  }
  // Places particles 1..n by hand, as a placement would, without drawing.
  void place(int n) {
    s.speciesCount(0) = static_cast<double>(n);
    s.placedCount = n;
    for (int i = 1; i <= n; ++i) {
      s.partMass(i) = Cell::text("4");
      s.partColor(i) = RGB(0, 0, 255);
      s.partRadius(i) = 12;
      s.velX(i) = 0.0;
      s.velY(i) = 0.0;
    }
  }
  // One disc, as place(1) puts it, at (x, y) moving at vx along x: every value a Double.
  void placeOne(double x, double y, double vx = 0) {
    place(1);
    s.posX(1) = x;
    s.posY(1) = y;
    s.velX(1) = vx;
  }
};

}  // namespace km::test
