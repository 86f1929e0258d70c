// SPDX-License-Identifier: GPL-3.0-or-later
#include "golden_run.h"

#include "bits.h"
#include "simulation.h"

namespace km {
namespace {

struct TwelveThirtyFour : Clock {
  double secondsSinceMidnight() const override { return 45296.75; }  // 12:34:56.75
};

struct Checksum {
  std::uint64_t h = 1469598103934665603ull;
  void add(std::uint64_t v) {
    for (int b = 0; b < 8; ++b)
      h = (h ^ ((v >> (8 * b)) & 0xff)) * 1099511628211ull;
  }
  void add(const Cell& c) {
    add(static_cast<std::uint64_t>(c.kind()));
    add(bitsAs<std::uint64_t>(c.toDouble()));
  }
};

}  // namespace

std::uint64_t goldenChecksum() {
  SeededGenerator rnd;
  TwelveThirtyFour clock;
  NoDrawing surface;
  NoReadouts display;
  Simulation sim(rnd, clock);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(SpeciesTexts{{"32", "8", "2", "1"}, {"1", "4", "16", "64"}});
  sim.PlaceParticles(surface);
  for (int t = 0; t < 1000; ++t)
    sim.Timer1_Timer(surface, display);
  Checksum sum;
  for (int i = 1; i <= 43; ++i) {
    const State& s = sim.state();
    sum.add(s.posX(i));
    sum.add(s.posY(i));
    sum.add(s.velX(i));
    sum.add(s.velY(i));
  }
  return sum.h;
}

}  // namespace km
