// SPDX-License-Identifier: GPL-3.0-or-later
#include "golden_run.h"

#include "simulation.h"
#include "state_checksum.h"

namespace km {
namespace {

struct TwelveThirtyFour : Clock {
  double secondsSinceMidnight() const override { return 45296.75; }  // 12:34:56.75
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
  return stateChecksum(sim.state(), 43);
}

}  // namespace km
