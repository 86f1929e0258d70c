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

}  // namespace
}  // namespace km::lab
