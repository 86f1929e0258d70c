// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench_gas.h"
#include "fakes.h"

namespace km {
namespace {

double energyOf(const State& s, int n) {
  double e = 0;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    e += 0.5 * s.partMass(i).toDouble() * (vx * vx + vy * vy);
  }
  return e;
}

double gainOf(const WallTally& t) {
  double g = t.work;
  for (double h : t.heat)
    g += h;
  return g;
}

// One disc of mass 4 flying at v = 3 toward the right wall, which moves at u = −0.5 from the
// first tick: it leaves at 2u − v = −4, and the wall's work is exactly its energy gain.
void oneDiscAgainstMovingWall(CollisionRule rule) {
  test::Rig rig;
  rig.placeOne(900, 500, 3);
  rig.sim.setCollisionRule(rule);
  ASSERT_EQ(rig.sim.moveRightWall(600, 0.5, 0), "");
  const double before = energyOf(rig.s, 1);
  for (int t = 0; t < 60; ++t)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_DOUBLE_EQ(rig.s.velX(1).toDouble(), 2 * -0.5 - 3);
  EXPECT_EQ(rig.s.velY(1).toDouble(), 0);
  const WallTally& tally = rig.sim.boundaries().tally();
  EXPECT_NEAR(tally.work, energyOf(rig.s, 1) - before, 1e-12);
  EXPECT_GT(tally.work, 0);
  EXPECT_DOUBLE_EQ(rig.sim.boundaries().rightX(), 1000 - 60 * 0.5);
  // No draws: a moving reflecting wall needs no random numbers.
  EXPECT_EQ(rig.rnd.draws, 0u);
}

TEST(MovingWall, OneDiscLeavesAtTwiceTheWallSpeedLessItsOwnAndTheWorkIsItsGain) {
  oneDiscAgainstMovingWall(CollisionRule::Exact);
  oneDiscAgainstMovingWall(CollisionRule::Specified);
}

TEST(MovingWall, ExactContactIsOnTheWallWhereverItHasMoved) {
  test::Rig rig;
  rig.placeOne(900, 500, 3);
  rig.sim.setCollisionRule(CollisionRule::Exact);
  ASSERT_EQ(rig.sim.moveRightWall(600, 0.5, 0), "");
  struct At : GasObserver {
    double at = 0;
    void wallTurn(int, Axis, double a, double, double) override { at = a; }
    void pairExchange(int, int) override {}
  } seen;
  rig.sim.setObserver(&seen);
  for (int t = 0; t < 60; ++t)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  // Gap 1000 − 12 − 900 = 88 closing at 3.5 per tick: contact at t = 88/3.5, x = 900 + 3t.
  EXPECT_NEAR(seen.at, 900 + 3 * 88 / 3.5, 1e-9);
}

TEST(MovingWall, ATargetTheGasCannotFillIsRefusedInWords) {
  test::Rig rig;
  rig.place(400);
  const std::string why = rig.sim.moveRightWall(100, 1, 0);
  EXPECT_NE(why.find("cannot fit"), std::string::npos) << why;
  EXPECT_FALSE(rig.sim.boundaries().active());
  EXPECT_NE(rig.sim.moveRightWall(1200, 1, 0), "");
  EXPECT_NE(rig.sim.moveRightWall(600, 0, 0), "");
  EXPECT_EQ(rig.sim.moveRightWall(600, 1, 0), "");
  EXPECT_NE(rig.sim.boundaries().setHeat(WallSide::Left, {true, -1}), "");
  EXPECT_NE(rig.sim.boundaries().setPiston(1, 0), "");
}

TEST(MovingWall, AProximityTypedAsTextStillSizesTheDiscs) {
  // The field's text is what a run takes: 400 discs of contact distance 40 need x ≥ 610 or so,
  // whether the proximity is held as a number or as the text typed.
  for (const Cell& proximity : {Cell(40.0), Cell::text("40")}) {
    test::Rig rig;
    rig.place(400);
    rig.s.collProx = proximity;
    EXPECT_NE(rig.sim.moveRightWall(400, 1, 0).find("cannot fit"), std::string::npos);
    EXPECT_EQ(rig.sim.moveRightWall(800, 1, 0), "");
  }
}

// Kolmogorov–Smirnov distance of the samples from a distribution function.
template <class Cdf>
double ksDistance(std::vector<double> x, Cdf cdf) {
  std::sort(x.begin(), x.end());
  double worst = 0;
  const double n = static_cast<double>(x.size());
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double f = cdf(x[k]);
    worst = std::max({worst, std::fabs(f - k / n), std::fabs((k + 1) / n - f)});
  }
  return worst;
}

TEST(ThermalWall, LeavingDiscsHaveFluxWeightedNormalAndGaussianTangentialSpeeds) {
  SeededGenerator rnd(7);
  Boundaries walls;
  ASSERT_EQ(walls.setHeat(WallSide::Left, {true, 50}), "");
  const double mass = 4, kT = 50;
  std::vector<double> normal, tangential;
  for (int k = 0; k < 20000; ++k) {
    double vn = -5, vt = 1;
    ASSERT_TRUE(walls.meet(WallSide::Left, mass, 0, vn, vt, rnd));
    normal.push_back(vn);
    tangential.push_back(vt);
  }
  // 1.63/√n is the 1 % critical distance.
  const double critical = 1.63 / std::sqrt(20000.0);
  EXPECT_LT(ksDistance(normal, [&](double v) { return 1 - std::exp(-mass * v * v / (2 * kT)); }),
            critical);
  EXPECT_LT(ksDistance(tangential,
                       [&](double v) { return 0.5 * std::erfc(-v / std::sqrt(2 * kT / mass)); }),
            critical);
  // And the wrong law is told apart: a half-Gaussian normal speed.
  EXPECT_GT(ksDistance(normal, [&](double v) { return std::erf(v / std::sqrt(2 * kT / mass)); }),
            5 * critical);
  EXPECT_EQ(walls.tally().thermalContacts, 20000);
  // The heat counted is the energy the discs gained.
  double gained = 0;
  for (std::size_t k = 0; k < normal.size(); ++k)
    gained += 0.5 * mass * (normal[k] * normal[k] + tangential[k] * tangential[k] - 26);
  EXPECT_NEAR(walls.tally().heat[0], gained, 1e-9 * std::fabs(gained));
}

// 500 discs of the default species under the exact rule.
struct ExactGas {
  SeededGenerator rnd{11};
  bench::FixedClock clock;
  NoDrawing surface;
  NoReadouts display;
  Simulation sim{rnd, clock};
  ExactGas(int n) {
    bench::startGas(sim, n, surface, 0);
    sim.setCollisionRule(CollisionRule::Exact);
    EXPECT_EQ(sim.separateOverlaps(), "");
  }
  double kT(int n) const { return energyOf(sim.state(), n) / n; }
  void run(int ticks) {
    for (int t = 0; t < ticks; ++t)
      sim.Timer1_Timer(surface, display);
  }
};

TEST(Boundaries, ExactRuleEnergyIsStartPlusWorkAndHeatOverTenThousandTicks) {
  ExactGas gas(500);
  const double kT = gas.kT(500);
  ASSERT_EQ(gas.sim.boundaries().setHeat(WallSide::Left, {true, 2 * kT}), "");
  ASSERT_EQ(gas.sim.boundaries().setHeat(WallSide::Top, {true, 0.5 * kT}), "");
  ASSERT_EQ(gas.sim.moveRightWall(700, 0.05, 100), "");
  const double start = energyOf(gas.sim.state(), 500);
  double worst = 0;
  for (int t = 0; t < 10000; ++t) {
    gas.run(1);
    if (t % 500 == 499) {
      const double now = energyOf(gas.sim.state(), 500);
      const double gain = gainOf(gas.sim.boundaries().tally());
      worst = std::max(worst, std::fabs(now - (start + gain)) / now);
    }
  }
  EXPECT_LT(worst, 1e-10);
  const WallTally& t = gas.sim.boundaries().tally();
  EXPECT_GT(t.heat[0], 0);  // the hot wall heats
  EXPECT_LT(t.heat[3], 0);  // the cold one cools
  EXPECT_GT(t.work, 0);     // the wall compressed the gas
  EXPECT_DOUBLE_EQ(gas.sim.boundaries().rightX(), 700);
  const State& s = gas.sim.state();
  for (int i = 1; i <= 500; ++i)
    ASSERT_LE(s.posX(i).toDouble(), 700 - 12 + 1e-9) << i;
}

TEST(Boundaries, FourThermalWallsBringTheGasToTheirTemperature) {
  for (CollisionRule rule : {CollisionRule::Exact, CollisionRule::Specified}) {
    ExactGas gas(200);
    gas.sim.setCollisionRule(rule);
    const double kTw = 2.5 * gas.kT(200);
    for (WallSide w : {WallSide::Left, WallSide::Right, WallSide::Bottom, WallSide::Top})
      ASSERT_EQ(gas.sim.boundaries().setHeat(w, {true, kTw}), "");
    gas.run(10000);
    double sum = 0;
    const int samples = 200;
    for (int k = 0; k < samples; ++k) {
      gas.run(10);
      sum += gas.kT(200);
    }
    // The heavy species meet the walls rarely, so the warm-up is long. Over 200 discs the kT of one
    // tick scatters by about kT/√200 = 7 %; the mean of 200 samples, correlated over some tens of
    // ticks, to well under 3 %.
    EXPECT_NEAR(sum / samples / kTw, 1, 0.03) << (rule == CollisionRule::Exact);
  }
}

}  // namespace
}  // namespace km
