// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <string>

#include "random_source.h"
#include "simulation.h"

namespace km::bench {

// The start-up species (counts 32 : 8 : 2 : 1, masses 1, 4, 16, 64) scaled to n particles.
inline SpeciesTexts scaledDefaults(int n) {
  SpeciesTexts rows;
  const double share[4] = {32, 8, 2, 1};
  int rest = 0;
  for (int k = 3; k >= 1; --k) {
    int c = static_cast<int>(std::lround(n * share[k] / 43));
    rest += c;
    rows.counts[k] = std::to_string(c);
  }
  rows.counts[0] = std::to_string(n - rest);
  for (int k = 0; k < 4; ++k)
    rows.masses[k] = std::to_string(1 << (2 * k));
  return rows;
}

// A clock stopped at one time of day; start-up seeds the generator from it, so a gas is
// chosen by its time (12:34:56.25 by default).
struct FixedClock : Clock {
  double seconds = 45296.25;
  double secondsSinceMidnight() const override { return seconds; }
};

using NullSurface = NoDrawing;
using NullDisplay = NoReadouts;

// A gas of n particles with the default settings, placed on `surface` and run for
// `warmup` ticks so that positions are in their steady kinds.
inline void startGas(Simulation& sim, int n, DrawingSurface& surface, int warmup = 20) {
  NullDisplay display;
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(scaledDefaults(n));
  sim.PlaceParticles(surface);
  for (int t = 0; t < warmup; ++t)
    sim.Timer1_Timer(surface, display);
}

}  // namespace km::bench
