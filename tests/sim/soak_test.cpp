// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "soak.h"

namespace km {
namespace {

// The short share of the soak; `scripts/bench --soak` runs 10^5 ticks per seed. Each seed is
// a different gas.
TEST(Soak, LongRunsKeepTheWallRulesStayFiniteAndConserveMomentumInCollisions) {
  struct Row {
    int particles;
    long ticks;
  } rows[] = {{500, 1500}, {43, 15000}};
  for (const Row& r : rows) {
    std::set<std::pair<float, float>> places;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
      bench::SoakFigures f = bench::soak(r.particles, r.ticks, seed, 50);
      EXPECT_TRUE(f.holds()) << r.particles << " seed " << seed << ": finite " << f.finite
                             << ", turned outward " << f.turnedOutward << ", lost " << f.lostTrack
                             << ", ticks outside " << f.longestOutside << ", momentum "
                             << f.worstMomentumError << ", energy " << f.energyRatio;
      EXPECT_EQ(f.ticks, r.ticks);
      EXPECT_GT(f.wallTurns, 0);
      places.insert({f.placedX, f.placedY});
    }
    EXPECT_EQ(places.size(), 4u) << r.particles;
  }
}

// Inputs at the edges of what "Run Simulation" accepts keep the gas finite.
TEST(Soak, ExtremeAcceptedInputsStayFinite) {
  struct Row {
    const char* mass;
    const char* velocity;
    const char* radius;
  } rows[] = {{"0.1", "1000", "0"}, {"1e6", "1000", "1000"}, {"0.1", "0", "600"}};
  for (const Row& r : rows) {
    bench::FixedClock clock;
    bench::NullSurface surface;
    bench::NullDisplay display;
    SeededGenerator rnd;
    Simulation sim(rnd, clock);
    sim.startUp(surface);
    sim.takeVelocityScale(r.velocity);
    sim.takeParticleRadius(r.radius);
    SpeciesTexts rows = bench::scaledDefaults(500);
    rows.masses = {r.mass, r.mass, r.mass, r.mass};
    sim.SetUpSpecies(rows);
    sim.PlaceParticles(surface);
    for (int t = 0; t < 1000; ++t)
      ASSERT_NO_THROW(sim.Timer1_Timer(surface, display)) << r.mass << " " << r.velocity;
    EXPECT_TRUE(std::isfinite(bench::totalEnergy(sim.state(), 500)));
  }
}

}  // namespace
}  // namespace km
