// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "fakes.h"
#include "state_checksum.h"

namespace km {
namespace {

// Counts what it hears, and nothing more.
struct CountingObserver : GasObserver {
  long turns = 0, exchanges = 0;
  void wallTurn(int, Axis, double, double before, double after) override {
    EXPECT_NE(before, after);
    ++turns;
  }
  void pairExchange(int i, int j) override {
    EXPECT_LT(i, j);
    ++exchanges;
  }
};

// A fixed seed, the start-up species and 1,000 ticks, with and without an observer. If this
// checksum changes, the physics or the number rules changed: find out why before updating it.
void goldenRun(GasObserver* observer) {
  SeededGenerator rnd;
  test::FixedClock clock;
  NoDrawing surface;
  test::RecordingDisplay display;
  Simulation sim(rnd, clock);
  sim.setObserver(observer);
  sim.startUp(surface);
  sim.setDefaultSpeciesColors();
  sim.SetUpSpecies(test::rows({"32", "8", "2", "1"}));
  sim.PlaceParticles(surface);
  for (int t = 0; t < 1000; ++t)
    sim.Timer1_Timer(surface, display);

  const State& s = sim.state();
  const std::uint64_t sum = stateChecksum(s, 43);
  for (int i = 1; i <= 43; ++i) {
    EXPECT_TRUE(std::isfinite(s.posX(i).toDouble()));
    // Never farther out than one tick's move past the wall.
    double v = std::hypot(s.velX(i).toDouble(), s.velY(i).toDouble());
    EXPECT_GT(s.posX(i).toDouble(), -v);
    EXPECT_LT(s.posY(i).toDouble(), 1000 + v);
  }
  EXPECT_EQ(sum, 0x639525eaa9a84ac0ull)
      << std::hex << "checksum 0x" << sum << " KE_x " << display[Readout::Label2];
}

TEST(GoldenRun, ThousandTicksOfTheDefaultGas) {
  goldenRun(nullptr);
}

TEST(GoldenRun, AnObserverChangesNothing) {
  CountingObserver observer;
  goldenRun(&observer);
  // 43 discs for 1,000 ticks meet the walls and each other hundreds of times.
  EXPECT_GT(observer.turns, 100);
  EXPECT_GT(observer.exchanges, 100);
}

}  // namespace
}  // namespace km
