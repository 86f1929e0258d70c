// SPDX-License-Identifier: GPL-3.0-or-later
// The gas laws through the walls, against the identities and laws they must keep: a slow
// compression on the hard-disc adiabat, a free expansion that does no work, a piston held where
// the gas pushes it as hard as the outside does, a steady heat flow through the gas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "disc_gas.h"
#include "headless_run.h"
#include "summary.h"

namespace km::lab {
namespace {

GasSetup discs(int n, double radius) {
  return fixture::discGas(n, radius);
}

using fixture::run;

double kTNow(const HeadlessGas& gas) {
  return gas.laboratory().totalEnergy() / gas.particles();
}

double area(const HeadlessGas& gas, double radius) {
  return gas.simulation().boundaries().area(radius);
}

TEST(GasLaws, ASlowCompressionOfADiluteGasKeepsTheHardDiscAdiabat) {
  // 300 discs of diameter 10: η from 0.024 to 0.048 as the area halves, the wall at 0.1 u/tick
  // against the discs' 15 or so. kT·(A − N·B₂), B₂ = πσ²/2 per disc, stays put.
  const double r = 5, sigma = 10, nB2 = 300 * std::numbers::pi * sigma * sigma / 2;
  GasSetup s = discs(300, r);
  s.walls.target = (1000 - 2 * r) / 2 + 2 * r;
  s.walls.speed = 0.1;
  s.walls.start = 2000;
  HeadlessGas gas(s);
  run(gas, 2000);
  const double a0 = area(gas, r), kT0 = kTNow(gas);
  run(gas, 5000 + 2000);
  const WallResults w = gas.laboratory().results().walls;
  ASSERT_DOUBLE_EQ(w.rightX, *s.walls.target) << "the wall has not arrived";
  const double a1 = area(gas, r), kT1 = kTNow(gas);
  EXPECT_NEAR(a1 / a0, 0.5, 1e-9);
  EXPECT_NEAR(kT1 * (a1 - nB2) / (kT0 * (a0 - nB2)), 1, 0.02) << kT0 << " -> " << kT1;
  // The ideal adiabat misses it by more: the discs' own room matters already here.
  EXPECT_GT(std::fabs(kT1 * a1 / (kT0 * a0) - 1), 0.02);
  // And all the energy gained is the wall's work, to rounding.
  EXPECT_NEAR(w.unaccounted, 0, 1e-12);
  EXPECT_NEAR(w.work, (kT1 - kT0) * gas.particles(), 1e-9 * kT1 * gas.particles());
}

TEST(GasLaws, ARectangleTheWallLeftHasTheHardDiscZOverItsArea) {
  // 200 discs of radius 12 with the right wall brought in to x = 512: η 0.19 over the area
  // reached. Averaged once the wall stands, Z is the bulk fluid's less the walls' first-order
  // term over the rectangle's perimeter; the square box's interior has no meaning here.
  GasSetup s = discs(200, 12);
  s.walls.target = 512;
  s.walls.speed = 1;
  s.warmup = 2000;
  s.ticks = 30000;
  const Results r = runGas(s).results;
  const double a = (512 - 24) * 976.0;
  EXPECT_NEAR(r.eta, 200 * std::numbers::pi * 24 * 24 / (4 * a), 1e-12);
  ASSERT_TRUE(std::isfinite(r.Z.error));
  EXPECT_NEAR(r.Z.value, r.zWalled, 3 * r.Z.error + 0.01 * r.zWalled)
      << "bulk " << r.zBulk << ", Henderson " << r.zHenderson;
  EXPECT_LT(r.zWalled, r.zBulk);
  EXPECT_FALSE(std::isfinite(r.zInterior.value));
  EXPECT_FALSE(std::isfinite(r.etaInterior.value));
}

TEST(GasLaws, AFreeExpansionDoesNoWorkAndLeavesTheTemperature) {
  const double r = 5;
  GasSetup s = discs(200, r);
  s.walls.target = 505;
  s.walls.speed = 0.2;
  HeadlessGas gas(s);
  run(gas, 5000);
  const double kT0 = kTNow(gas), work0 = gas.laboratory().results().walls.work;
  ASSERT_GT(work0, 0) << "the compression did work";
  // Withdrawn faster than any disc: none of them meets it on the way.
  WallSetup away;
  away.target = 1000;
  away.speed = 1000;
  away.start = gas.simulation().boundaries().tick();
  gas.setWalls(away, "right wall withdrawn");
  run(gas, 3000);
  const Results res = gas.laboratory().results();
  EXPECT_DOUBLE_EQ(res.walls.rightX, 1000);
  EXPECT_DOUBLE_EQ(res.walls.work, work0);
  EXPECT_NEAR(kTNow(gas) / kT0, 1, 1e-12);
  // The gas has spread into the whole box: Z over the area it now reaches is a dilute gas's.
  EXPECT_NEAR(res.Z.value, 1, 0.1);
}

TEST(GasLaws, APistonSettlesWhereTheGasPushesAsHardAsTheOutside) {
  // Four walls at kT 100 hold the temperature; the outside pushes twice as hard as the gas did.
  const double r = 6;
  GasSetup s = discs(200, r);
  for (auto& kT : s.walls.kT)
    kT = 100.0;
  const double pressure = 2 * 200 * 100 / ((1000 - 2 * r) * (1000 - 2 * r));
  s.walls.pressure = pressure;
  s.walls.mass = 2000;
  s.warmup = 20000;
  s.ticks = 40000;
  const Outcome out = runGas(s);
  const WallResults& w = out.results.walls;
  ASSERT_TRUE(w.piston);
  const Estimate& right = w.pressure[static_cast<std::size_t>(WallSide::Right)];
  ASSERT_TRUE(std::isfinite(right.error));
  EXPECT_NEAR(right.value, pressure, 3 * right.error + 0.02 * pressure);
  // Half the area or so: P·A/(N·kT) is Z, a little above 1 at this density.
  EXPECT_NEAR(w.area / ((1000 - 2 * r) * (1000 - 2 * r)), 0.5, 0.06);
  EXPECT_NEAR(out.results.kT.value, 100, 3);
}

TEST(GasLaws, ASteadyGradientCarriesEqualAndOppositeHeatThroughTheWalls) {
  GasSetup s = discs(300, 6);
  s.walls.kT[static_cast<std::size_t>(WallSide::Left)] = 40.0;
  s.walls.kT[static_cast<std::size_t>(WallSide::Right)] = 160.0;
  s.warmup = 5000;
  s.ticks = 40000;
  const Outcome out = runGas(s);
  const WallResults& w = out.results.walls;
  const Estimate& cold = w.heatFlow[static_cast<std::size_t>(WallSide::Left)];
  const Estimate& hot = w.heatFlow[static_cast<std::size_t>(WallSide::Right)];
  ASSERT_TRUE(std::isfinite(cold.error) && std::isfinite(hot.error));
  EXPECT_LT(cold.value, -3 * cold.error) << "the cold wall takes heat";
  EXPECT_GT(hot.value, 3 * hot.error) << "the hot wall gives it";
  EXPECT_NEAR(hot.value + cold.value, 0, 3 * std::hypot(hot.error, cold.error));
  // Reflecting walls exchange nothing.
  EXPECT_EQ(w.heat[static_cast<std::size_t>(WallSide::Top)], 0);
  EXPECT_GT(out.results.kT.value, 40);
  EXPECT_LT(out.results.kT.value, 160);
}

TEST(GasLaws, ConductionBetweenTwoWallsMeasuresTheConductivityAndTheFreePath) {
  // 200 discs of diameter 24 (η = 0.095) between a wall at kT 80 and one at 20.
  GasSetup s = discs(200, 12);
  s.walls.kT[static_cast<std::size_t>(WallSide::Left)] = 80.0;
  s.walls.kT[static_cast<std::size_t>(WallSide::Right)] = 20.0;
  s.warmup = 5000;
  s.ticks = 40000;
  const Results r = runGas(s).results;
  const HeatResults& h = r.heat;
  ASSERT_TRUE(h.active);
  ASSERT_EQ(h.kT.size(), 10u);
  // Hot to cold, bin by bin, and inside the walls' range: jumps at both walls toward the bulk.
  for (std::size_t b = 1; b < h.kT.size(); ++b)
    EXPECT_LT(h.kT[b].value, h.kT[b - 1].value) << "bin " << b;
  EXPECT_LT(h.kT.front().value, 80);
  EXPECT_GT(h.kT.back().value, 20);
  EXPECT_LT(h.jumpLeft, 0);
  EXPECT_GT(h.jumpRight, 0);
  ASSERT_TRUE(std::isfinite(h.slopeError));
  EXPECT_LT(h.slope, -10 * h.slopeError);
  EXPECT_GT(h.flux.value, 10 * h.flux.error);
  // κ = −q / (dT/dx) above the dilute discs' Chapman–Enskog value, by Enskog's density factor
  // (1.18 at this density: the collisions carry energy across σ at each contact), and on
  // Enskog's value within a few of its errors.
  EXPECT_GT(h.kappa / h.kappaDilute, 1.1);
  EXPECT_NEAR(h.kappaEnskog / h.kappaDilute, 1.18, 0.01);
  EXPECT_NEAR(h.kappa, h.kappaEnskog, std::max(3 * h.kappaError, 0.04 * h.kappaEnskog));
  EXPECT_LT(h.kappaError, 0.05 * h.kappa);
  // The free path between collisions: the dilute one shortened by the contact value.
  EXPECT_NEAR(h.meanFreePath.value, h.meanFreePathEnskog, 0.03 * h.meanFreePathEnskog);
  EXPECT_GT(h.meanFreePathDilute, 1.1 * h.meanFreePathEnskog);
  // The heat carried is the walls' mean flow over the length the discs meet.
  EXPECT_NEAR(h.flux.value * 2 * (1000 - 24), r.walls.heatFlow[0].value - r.walls.heatFlow[1].value,
              1e-9);
}

TEST(GasLaws, WallsAppearInTheReportOnlyWhenTheyDoMoreThanReflect) {
  GasSetup s = discs(50, 6);
  s.ticks = 200;
  auto keys = [](const Results& r) {
    std::vector<std::string> k;
    for (const Row& row : summarize(r))
      k.push_back(row.key);
    return k;
  };
  const std::vector<std::string> plain = keys(runGas(s).results);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), "area"), 0);
  s.walls.kT[0] = 30.0;
  const std::vector<std::string> walled = keys(runGas(s).results);
  for (const char* key :
       {"area", "pressure.left", "heat.left", "heat_flow.right", "work", "energy.unaccounted"})
    EXPECT_EQ(std::count(walled.begin(), walled.end(), key), 1) << key;
}

// A right wall moved in before the first tick is judged by the discs' size: the centres keep a
// radius from each wall, so a target under a diameter from the left wall leaves them no room.
TEST(GasLaws, ARightWallSetAtThePlacementIsJudgedByTheDiscsSize) {
  GasSetup s = discs(50, 6);
  s.ticks = 10;
  s.walls.speed = 1;
  s.walls.target = 11.5;
  EXPECT_THROW(runGas(s), Refused);
  s.walls.target = 12.5;
  EXPECT_NO_THROW(runGas(s));
}

}  // namespace
}  // namespace km::lab
