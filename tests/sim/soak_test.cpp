#include <gtest/gtest.h>

#include "soak.h"

namespace km {
namespace {

// The short share of the soak; `scripts/bench --soak` runs 10^5 ticks per seed.
TEST(Soak, LongRunsStayFiniteInsideAndConserveMomentumInCollisions) {
  struct Row {
    int particles;
    long ticks;
  } rows[] = {{500, 1500}, {43, 15000}};
  for (const Row& r : rows)
    for (std::uint32_t seed : {1u, 2u}) {
      bench::SoakFigures f = bench::soak(r.particles, r.ticks, seed, 50);
      EXPECT_TRUE(f.finite) << r.particles << " seed " << seed << " tick " << f.ticks;
      EXPECT_EQ(f.ticks, r.ticks);
      EXPECT_LE(f.worstExcursion, 1e-9) << r.particles << " seed " << seed;
      EXPECT_LT(f.worstMomentumError, 1e-12) << r.particles << " seed " << seed;
      EXPECT_GT(f.energyRatio, 0.5);
      EXPECT_LT(f.energyRatio, 2.0);
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
    SeededGenerator rnd(3);
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
