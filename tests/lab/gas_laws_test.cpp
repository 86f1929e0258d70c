// SPDX-License-Identifier: GPL-3.0-or-later
// The five processes of the gas laws, run on seeded gases against the hard-disc and ideal laws
// and the identities of the energy, and refused without a trace where they cannot run.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "disc_gas.h"
#include "fakes.h"
#include "gas_laws.h"
#include "headless_run.h"
#include "theory.h"

namespace km::lab {
namespace {

enum { Boyle, Charles, GayLussac, Adiabat, FreeExpansion };

GasSetup discs(int n, double radius, CollisionRule rule = CollisionRule::Exact) {
  return fixture::discGas(n, radius, rule, 500);
}

using fixture::run;

// Starts the process and runs it to its end; its row.
GasLawRow runProcess(HeadlessGas& gas, int process) {
  Laboratory& lab = gas.laboratory();
  const std::string why = lab.startGasLaw(process);
  EXPECT_EQ(why, "");
  for (long t = 0; t < 200000 && lab.gasLaws().running(); ++t)
    gas.step();
  EXPECT_FALSE(lab.gasLaws().running());
  const std::vector<GasLawRow> rows = lab.results().gasLaws;
  return rows.empty() ? GasLawRow{} : rows.back();
}

TEST(GasLawTheory, HendersonsAdiabatAndTheHardDiscAreaAgreeWithTheirDefinitions) {
  // d ln kT = −Z d ln A, integrated by the trapezoid rule in ln A from η = 0.1 to 0.4.
  const double eta0 = 0.1, eta1 = 0.4;
  const int steps = 20000;
  double lnKT = 0;
  const double lnA0 = -std::log(eta0), lnA1 = -std::log(eta1), h = (lnA1 - lnA0) / steps;
  for (int k = 0; k < steps; ++k) {
    const double za = theory::hendersonZ(std::exp(-(lnA0 + k * h)));
    const double zb = theory::hendersonZ(std::exp(-(lnA0 + (k + 1) * h)));
    lnKT -= (za + zb) / 2 * h;
  }
  EXPECT_NEAR(hendersonAdiabatKT(2, eta0, eta1), 2 * std::exp(lnKT), 1e-7);
  // Dilute, it is kT·(A − N·B₂) = const to first order in η: 2η = N·B₂ / A.
  const double a0 = 1, a1 = 0.5, b = 0.002;  // N·B₂ over the start's area
  EXPECT_NEAR(hendersonAdiabatKT(1, b / 2, b / 2 / a1), (a0 - b) / (a1 - b), 1e-5);
  EXPECT_TRUE(std::isnan(hendersonAdiabatKT(1, 0, 0.2)));
  EXPECT_TRUE(std::isnan(hendersonAdiabatKT(1, 0.2, 0.95)));
  EXPECT_DOUBLE_EQ(hendersonAdiabatKT(3, 0.2, 0.2), 3);

  // The area where A / Z(η(A)) is c, at several densities, and the ideal gas's without discs.
  for (const double c : {1e5, 4e5, 9e5}) {
    const double a = hardDiscAreaFor(c, 200, 24);
    const double eta = 200 * std::numbers::pi * 24 * 24 / (4 * a);
    EXPECT_NEAR(a / theory::hendersonZ(eta), c, 1e-9 * c) << c;
  }
  EXPECT_DOUBLE_EQ(hardDiscAreaFor(5e5, 0, 24), 5e5);
  EXPECT_TRUE(std::isnan(hardDiscAreaFor(0, 200, 24)));
}

TEST(GasLawProcesses, BoyleKeepsPAOverNZAtTheWallsKTAtHalfTheArea) {
  HeadlessGas gas(discs(200, 12));
  run(gas, 1000);
  const GasLawRow r = runProcess(gas, Boyle);
  ASSERT_TRUE(r.complete) << r.ending;
  EXPECT_EQ(r.ending, "the wall arrived");
  EXPECT_NEAR(r.end.area.value / r.start.area.value, 0.5, 1e-12);
  EXPECT_NEAR(r.start.invariant.value, r.expected, 0.03 * r.expected);
  EXPECT_NEAR(r.end.invariant.value, r.expected, 0.03 * r.expected);
  // Henderson's Z predicts the pressure at half the area; the ideal gas's falls far short.
  EXPECT_NEAR(r.measured, r.hardDisc, 0.05 * r.hardDisc);
  EXPECT_LT(r.ideal, 0.9 * r.measured);
}

TEST(GasLawProcesses, GayLussacKeepsPOverKTAtTheFixedArea) {
  HeadlessGas gas(discs(200, 12));
  run(gas, 1000);
  const GasLawRow r = runProcess(gas, GayLussac);
  ASSERT_TRUE(r.complete) << r.ending;
  EXPECT_EQ(r.ending, "the walls' kT reached");
  EXPECT_EQ(r.end.area.value, r.start.area.value);
  EXPECT_NEAR(r.end.kT.value / r.start.kT.value, 1.5, 0.05);
  ASSERT_TRUE(std::isfinite(r.start.invariant.error) && std::isfinite(r.end.invariant.error));
  EXPECT_NEAR(r.end.invariant.value, r.start.invariant.value,
              3 * std::hypot(r.start.invariant.error, r.end.invariant.error));
  EXPECT_NEAR(r.measured, r.hardDisc, 0.03 * r.hardDisc);
  EXPECT_GT(r.heat, 0) << "the walls heated the gas";
  EXPECT_EQ(r.work, 0);
}

TEST(GasLawProcesses, CharlesKeepsAOverKTZUnderTheHeldPressure) {
  GasSetup s = discs(200, 12);
  s.walls.target = 550;
  s.walls.speed = 1;
  HeadlessGas gas(s);
  run(gas, 1500);
  const GasLawRow r = runProcess(gas, Charles);
  ASSERT_TRUE(r.complete) << r.ending;
  EXPECT_TRUE(gas.simulation().boundaries().piston());
  EXPECT_NEAR(r.end.kT.value / r.start.kT.value, 1.5, 0.05);
  EXPECT_NEAR(r.end.invariant.value / r.start.invariant.value, 1, 0.03);
  // The hard-disc law puts the piston where it stands; the ideal gas's overshoots.
  EXPECT_NEAR(r.measured, r.hardDisc, 0.03 * r.hardDisc);
  EXPECT_GT(r.ideal, 1.05 * r.measured);
}

TEST(GasLawProcesses, ASlowCompressionOfADiluteGasKeepsKTTimesAMinusNB2) {
  HeadlessGas gas(discs(300, 5));
  run(gas, 1000);
  const GasLawRow r = runProcess(gas, Adiabat);
  ASSERT_TRUE(r.complete) << r.ending;
  ASSERT_LE(r.end.eta, 0.05);
  EXPECT_NEAR(r.end.invariant.value / r.start.invariant.value, 1, 0.02);
  EXPECT_NEAR(r.measured, r.hardDisc, 0.02 * r.hardDisc);
  // Reflecting walls: the energy gained, N·ΔkT, is the moving wall's work, and no heat.
  EXPECT_EQ(r.heat, 0);
  EXPECT_NEAR(r.work, 300 * (r.end.kTNow - r.start.kTNow), 1e-9 * r.work);
  EXPECT_GT(r.measured, 1.9 * r.start.kT.value) << "kT·A is kept to first order";
}

TEST(GasLawProcesses, AFreeExpansionLeavesTheTemperatureAndDoesNoWork) {
  HeadlessGas gas(discs(200, 12));
  run(gas, 1000);
  const GasLawRow r = runProcess(gas, FreeExpansion);
  ASSERT_TRUE(r.complete) << r.ending;
  EXPECT_EQ(gas.simulation().boundaries().rightX(), 1000);
  EXPECT_NEAR(r.start.area.value, (500 - 24) * 976.0, 1e-6);
  EXPECT_NEAR(r.end.area.value, 976.0 * 976.0, 1e-6);
  EXPECT_NEAR(r.end.kTNow / r.start.kTNow, 1, 1e-12);
  EXPECT_EQ(r.work, 0);
  EXPECT_EQ(r.heat, 0);
  // The pressure falls by more than the area's factor: Z falls with the density.
  EXPECT_LT(r.end.pressure.value, r.start.pressure.value * r.start.area.value / r.end.area.value);
}

TEST(GasLawProcesses, RefusalsChangeNothingAndAnotherChangeEndsAProcess) {
  // Not running.
  {
    SeededGenerator rnd(1);
    test::FixedClock clock;
    Simulation sim(rnd, clock);
    Laboratory lab(sim);
    EXPECT_EQ(lab.startGasLaw(Boyle), "No gas is running.");
  }
  HeadlessGas gas(discs(200, 12, CollisionRule::Specified));
  run(gas, 200);
  Laboratory& lab = gas.laboratory();
  const Boundaries& b = gas.simulation().boundaries();
  // Refused: a sentence, and no event.
  const auto refused = [&](int process) {
    const std::size_t events = lab.history().events.size();
    const std::string said = lab.startGasLaw(process);
    EXPECT_NE(said, "") << process;
    EXPECT_EQ(lab.history().events.size(), events) << process;
    return said;
  };
  EXPECT_EQ(lab.startGasLaw(5), "There is no such process.");
  EXPECT_EQ(lab.startGasLaw(-1), "There is no such process.");
  // Charles in the full box: the piston would leave it.
  EXPECT_EQ(refused(Charles).rfind("At 1.5 times its kT the gas would push the piston beyond", 0),
            0u);
  EXPECT_FALSE(b.active());
  // Half the area would not hold the discs even at close packing.
  WallSetup in;
  in.target = 150;
  in.speed = 5;
  gas.setWalls(in, "right wall in");
  run(gas, 200);
  ASSERT_EQ(b.rightX(), 150);
  EXPECT_EQ(refused(Boyle).rfind("The gas cannot fit with the right wall at x = 87", 0), 0u);
  EXPECT_EQ(b.motion().target, 150);
  EXPECT_FALSE(b.heat(WallSide::Left).thermal);
  EXPECT_TRUE(lab.results().gasLaws.empty());

  // One at a time; another change to the walls ends it with its row.
  ASSERT_EQ(lab.startGasLaw(GayLussac), "");
  run(gas, 10);
  const std::size_t events = lab.history().events.size();
  EXPECT_EQ(lab.startGasLaw(Boyle).rfind("The Gay-Lussac process is still running", 0), 0u);
  EXPECT_EQ(lab.history().events.size(), events);
  lab.setWallHeat({});
  EXPECT_FALSE(lab.gasLaws().running());
  ASSERT_EQ(lab.results().gasLaws.size(), 1u);
  EXPECT_FALSE(lab.results().gasLaws[0].complete);
  EXPECT_EQ(lab.results().gasLaws[0].ending,
            "stopped early: walls: left reflecting, right reflecting, bottom reflecting, top "
            "reflecting");
  // A new run forgets the rows.
  lab.runStarted({3, 0});
  EXPECT_TRUE(lab.results().gasLaws.empty());
}

}  // namespace
}  // namespace km::lab
