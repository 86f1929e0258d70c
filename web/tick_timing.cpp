// SPDX-License-Identifier: GPL-3.0-or-later
#include "tick_timing.h"

#include <algorithm>
#include <vector>

#include "bench_gas.h"
#include "raster_surface.h"

namespace km {

double medianTickMicroseconds(int particles, CollisionRule rule, int ticks, int repeats,
                              double (*nowMs)()) {
  SeededGenerator rnd;
  bench::FixedClock clock;
  NoReadouts display;
  RasterSurface surface;
  surface.resize(567, 500);
  Simulation sim(rnd, clock);
  sim.setCollisionRule(rule);
  bench::startGas(sim, particles, surface);
  std::vector<double> perTick;
  for (int r = 0; r < std::max(repeats, 1); ++r) {
    const double start = nowMs();
    for (int t = 0; t < ticks; ++t)
      sim.Timer1_Timer(surface, display);
    perTick.push_back((nowMs() - start) * 1000 / std::max(ticks, 1));
  }
  std::sort(perTick.begin(), perTick.end());
  return perTick[perTick.size() / 2];
}

}  // namespace km
