// SPDX-License-Identifier: GPL-3.0-or-later
// The divider's opening: crossings counted from each disc's side tick to tick, the entropy of
// mixing against exact values, then a dilute gas of hard discs against the effusion rate
// n·√(kT/(2π·m)) and Graham's √(m₂/m₁).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "disc_gas.h"
#include "effusion.h"
#include "headless_run.h"
#include "summary.h"

namespace km::lab {
namespace {

TEST(MixingEntropy, ExactValues) {
  // Each species alone on its side: nothing mixed.
  SideCounts apart{};
  apart[0][1] = 10;
  apart[1][2] = 30;
  EXPECT_EQ(EffusionMeter::mixingEntropy(apart), 0);
  EXPECT_NEAR(EffusionMeter::mixingEntropyMost(apart), -(10 * std::log(0.25) + 30 * std::log(0.75)),
              1e-12);
  // Each side with the whole gas's shares: the most there is.
  SideCounts even{};
  even[0][1] = even[1][1] = 5;
  even[0][3] = even[1][3] = 5;
  EXPECT_NEAR(EffusionMeter::mixingEntropy(even), 20 * std::numbers::ln2, 1e-12);
  EXPECT_NEAR(EffusionMeter::mixingEntropyMost(even), 20 * std::numbers::ln2, 1e-12);
  // Three of species 1 and one of species 2 on the left, four of species 2 on the right.
  SideCounts some{};
  some[0][1] = 3;
  some[0][2] = 1;
  some[1][2] = 4;
  EXPECT_NEAR(EffusionMeter::mixingEntropy(some), 3 * std::log(4.0 / 3) + std::log(4.0), 1e-12);
  EXPECT_NEAR(EffusionMeter::mixingEntropyMost(some),
              -(3 * std::log(3.0 / 8) + 5 * std::log(5.0 / 8)), 1e-12);
  EXPECT_LT(EffusionMeter::mixingEntropy(some), EffusionMeter::mixingEntropyMost(some));
  EXPECT_EQ(EffusionMeter::mixingEntropy(SideCounts{}), 0);
}

TEST(Effusion, CrossingsAreCountedFromTheSideEachDiscLeft) {
  // Radius 2: a centre at 499.9 is left of the line, at 500 right of it. Over six ticks disc 1
  // goes right at the second and back at the last; disc 2 (species 2) goes right at the fourth
  // and stays; disc 3 stays on the right.
  const double r = 2;
  const std::vector<std::vector<double>> centres = {{499.9, 500, 520, 530, 501, 480},
                                                    {100, 200, 499.99, 500, 900, 700},
                                                    {800, 800, 800, 800, 800, 800}};
  const std::vector<int> species = {0, 1, 2, 2};
  EffusionMeter meter;
  meter.restartPath(0);
  std::vector<double> x(4);
  for (std::size_t t = 0; t < 6; ++t) {
    for (std::size_t k = 0; k < 3; ++k)
      x[k + 1] = centres[k][t] - r;
    meter.afterTick(x, r, species, 3, true);
  }
  const EffusionResults e = meter.results(104, r, 1000, 30, {3, 1, 2, 0, 0}, {0, 1, 4, 0, 0});
  ASSERT_TRUE(e.active);
  EXPECT_DOUBLE_EQ(e.width, 100);
  EXPECT_DOUBLE_EQ(e.area[0], 496.0 * 996);
  EXPECT_DOUBLE_EQ(e.area[1], 496.0 * 996);
  ASSERT_EQ(e.species.size(), 2u);
  const SpeciesEffusion& a = e.species[0];
  const SpeciesEffusion& b = e.species[1];
  EXPECT_DOUBLE_EQ(a.crossings[0].value, 1.0 / 6);
  EXPECT_DOUBLE_EQ(a.crossings[1].value, 1.0 / 6);
  EXPECT_DOUBLE_EQ(b.crossings[0].value, 1.0 / 6);
  EXPECT_DOUBLE_EQ(b.crossings[1].value, 0);
  EXPECT_DOUBLE_EQ(a.onSide[0].value, 2.0 / 6);  // disc 1 left in ticks 0 and 5
  EXPECT_DOUBLE_EQ(b.onSide[0].value, 3.0 / 6);  // disc 2 left in ticks 0-2
  EXPECT_DOUBLE_EQ(b.onSide[1].value, 9.0 / 6);
  EXPECT_DOUBLE_EQ(a.flux[0].value, 1.0 / 6 / 100);
  EXPECT_DOUBLE_EQ(a.fluxBoth.value, 2.0 / 6 / 100);
  // The theory takes the density on the side left: species 1 spent 2 of 6 ticks on the left.
  const double v = std::sqrt(30 / (2 * std::numbers::pi));
  EXPECT_NEAR(a.fluxTheory[0], 2.0 / 6 / e.area[0] * v, 1e-15);
  EXPECT_NEAR(a.fluxTheory[1], 4.0 / 6 / e.area[1] * v, 1e-15);
  // At the end: disc 1 left, discs 2 and 3 right.
  SideCounts end{};
  end[0][1] = 1;
  end[1][2] = 2;
  EXPECT_DOUBLE_EQ(e.entropy, EffusionMeter::mixingEntropy(end));
  EXPECT_DOUBLE_EQ(e.entropy, 0);
  EXPECT_NEAR(e.entropyMost, -(std::log(1.0 / 3) + 2 * std::log(2.0 / 3)), 1e-12);
  EXPECT_EQ(e.ratioOf[0], 1);
  EXPECT_EQ(e.ratioOf[1], 2);
  EXPECT_DOUBLE_EQ(e.ratioTheory, 2);
  // An opening no wider than a disc lets no centre by: no width, no flux per width.
  const EffusionResults shut = meter.results(4, r, 1000, 30, {3, 1, 2, 0, 0}, {0, 1, 4, 0, 0});
  EXPECT_FALSE(std::isfinite(shut.width));
  EXPECT_FALSE(std::isfinite(shut.species[0].flux[0].value));
  // No divider: nothing to report.
  EXPECT_FALSE(meter.results(1000, r, 1000, 30, {3, 1, 2, 0, 0}, {0, 1, 4, 0, 0}).active);
}

// --- A gas of hard discs under the exact rule, once the divider stops them ---

// 200 discs each of masses 1 and 4, radius 2: a free path near 200 u.
GasSetup divided(double opening) {
  GasSetup s = fixture::discGas(400, 2);
  s.rows = {{"200", "200", "0", "0"}, {"1", "4", "1", "1"}};
  s.velocityRange = "30";
  s.walls.divider = opening;
  s.warmup = 1500;
  return s;
}

TEST(Effusion, ADiluteGasCrossesAnOpeningAtTheKineticRateAndTheRatioIsGrahams) {
  // In equilibrium the crossings of any opening are n·√(kT/(2π·m)) per unit width: the width
  // here buys crossings at no cost in ticks.
  GasSetup s = divided(250);
  s.ticks = 12000;
  const Results r = runGas(s).results;
  const EffusionResults& e = r.effusion;
  ASSERT_TRUE(e.active);
  ASSERT_EQ(e.species.size(), 2u);
  for (const SpeciesEffusion& x : e.species) {
    ASSERT_TRUE(std::isfinite(x.fluxBoth.error)) << "species " << x.species;
    EXPECT_NEAR(x.fluxBoth.value / x.fluxBothTheory, 1, 0.10)
        << "species " << x.species << ": " << x.fluxBoth.value << " ± " << x.fluxBoth.error
        << " against " << x.fluxBothTheory;
  }
  ASSERT_TRUE(std::isfinite(e.ratio.value));
  EXPECT_NEAR(e.ratio.value / e.ratioTheory, 1, 0.10) << e.ratio.value << " ± " << e.ratio.error;
  EXPECT_DOUBLE_EQ(e.ratioTheory, 2);
  // Mixed from the start, the gas stays mixed: near the most its counts allow.
  EXPECT_GT(e.entropy, 0.95 * e.entropyMost);
  EXPECT_LE(e.entropy, e.entropyMost);
}

TEST(Effusion, AClosedDividerKeepsEachSideToItself) {
  GasSetup s = divided(0);
  s.rows = {{"40", "40", "0", "0"}, {"1", "16", "1", "1"}};
  s.sides = {StartSide::Left, StartSide::Right, StartSide::Both, StartSide::Both};
  s.warmup = 0;
  s.ticks = 3000;
  const Results r = runGas(s).results;
  const EffusionResults& e = r.effusion;
  ASSERT_TRUE(e.active);
  for (const SpeciesEffusion& x : e.species) {
    EXPECT_EQ(x.crossings[0].value, 0) << "species " << x.species;
    EXPECT_EQ(x.crossings[1].value, 0) << "species " << x.species;
  }
  EXPECT_EQ(e.species[0].onSide[0].value, 40);
  EXPECT_EQ(e.species[1].onSide[1].value, 40);
  EXPECT_EQ(e.entropy, 0);
  EXPECT_FALSE(std::isfinite(e.width));
  std::vector<Row> rows = summarize(r);
  bool ratio = false, entropy = false;
  for (const Row& row : rows) {
    ratio = ratio || row.key == "effusion_ratio";
    entropy = entropy || row.key == "mixing_entropy";
  }
  EXPECT_TRUE(ratio && entropy);
}

}  // namespace
}  // namespace km::lab
