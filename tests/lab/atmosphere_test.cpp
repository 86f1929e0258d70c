// SPDX-License-Identifier: GPL-3.0-or-later
// A gas in a field toward the floor: the scale height's fit and the profiles on heights drawn
// from a known law, then a dilute gas of hard discs against the barometric law, a temperature
// that does not change with height and the floor holding up the gas's weight.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atmosphere.h"
#include "disc_gas.h"
#include "headless_run.h"
#include "summary.h"

namespace km::lab {
namespace {

// ∫₀^span u·e^(−u/H) du / ∫₀^span e^(−u/H) du by Simpson's rule on 20,000 intervals.
double meanByQuadrature(double scale, double span) {
  const int n = 20000;
  double top = 0, bottom = 0;
  for (int k = 0; k <= n; ++k) {
    const double u = span * k / n, w = (k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2);
    top += w * u * std::exp(-u / scale);
    bottom += w * std::exp(-u / scale);
  }
  return top / bottom;
}

TEST(ScaleHeight, TheTruncatedMeanAndItsInverse) {
  for (double span : {976.0, 100.0})
    for (double scale : {0.5, 10.0, 97.6, 400.0, 5000.0, 1e6}) {
      const double mean = AtmosphereMeter::truncatedMean(scale, span);
      EXPECT_NEAR(mean, meanByQuadrature(scale, span), 1e-7 * span) << scale << " " << span;
      EXPECT_NEAR(AtmosphereMeter::scaleHeightFor(mean, span), scale, 1e-6 * scale)
          << scale << " " << span;
    }
  // A tall box: the law cut far above its scale has the scale for its mean.
  EXPECT_NEAR(AtmosphereMeter::truncatedMean(3, 976), 3, 1e-12);
  // No fall with height, or heights that are no heights: no scale.
  for (double mean : {488.0, 600.0, 0.0, -1.0, std::nan("")})
    EXPECT_FALSE(std::isfinite(AtmosphereMeter::scaleHeightFor(mean, 976))) << mean;
}

// The height below which a share p of the exponential law of scale H cut at span lies.
double quantile(double p, double scale, double span) {
  return -scale * std::log1p(p * std::expm1(-span / scale));
}

TEST(ScaleHeight, HeightsDrawnFromTheLawGiveItsScaleDensityAndWeight) {
  // Two species of 1000 discs each, at the law's quantiles shifted a little every tick, in the
  // span 976 that discs of radius 12 reach; kT 30, g 0.1: scales 300 and 75.
  const double span = 976, radius = 12, width = 976, g = 0.1, kT = 30;
  const int per = 1000, n = 2 * per;
  std::vector<double> y(n + 1), vx(n + 1), vy(n + 1, 0), mass(n + 1);
  std::vector<int> species(n + 1);
  AtmosphereMeter meter;
  WallTally tally;
  meter.markTally(tally);
  const int ticks = 400;
  for (int t = 0; t < ticks; ++t) {
    const double shift = std::fmod(0.618034 * t, 1.0);
    for (int i = 1; i <= n; ++i) {
      const int sp = i <= per ? 1 : 2, k = (i - 1) % per;
      species[i] = sp;
      mass[i] = sp == 1 ? 1 : 4;
      y[i] = span - quantile((k + shift) / per, kT / (mass[i] * g), span);
      // ½·m·v² about kT at every height, varying from disc to disc and tick to tick.
      vx[i] = std::sqrt(2 * kT / mass[i] * (1 + 0.3 * std::sin(i + 7.0 * t)));
    }
    // The floor takes the weight, 500 a tick, with a swing the ceiling and divider ends cancel.
    const double swing = 40 * std::sin(t);
    tally.impulse[static_cast<std::size_t>(WallSide::Bottom)] += 500 + swing + 3;
    tally.impulse[static_cast<std::size_t>(WallSide::Top)] += 5;
    tally.dividerImpulseY += 2 - swing;
    meter.afterTick(y, vx, vy, mass, species, n, span, tally, true);
  }
  const AtmosphereResults r =
      meter.results(g, kT, {n, per, per, 0, 0}, {0, 1, 4, 0, 0}, radius, width);
  ASSERT_TRUE(r.active);
  ASSERT_EQ(r.species.size(), 2u);
  EXPECT_DOUBLE_EQ(r.lowest, 12);
  EXPECT_DOUBLE_EQ(r.highest, 988);
  EXPECT_DOUBLE_EQ(r.height.front(), 12 + 48.8);
  for (const SpeciesAtmosphere& a : r.species) {
    const double scale = kT / (a.mass * g);
    EXPECT_DOUBLE_EQ(a.scaleHeightTheory, scale);
    EXPECT_NEAR(a.scaleHeight.value, scale, 0.002 * scale) << "species " << a.species;
    ASSERT_EQ(a.density.size(), 10u);
    ASSERT_EQ(a.barometric.size(), 10u);
    double total = 0;
    for (std::size_t b = 0; b < 10; ++b) {
      // A bin holds its share of the quantiles to within one disc.
      EXPECT_NEAR(a.density[b].value, a.barometric[b], 1.0 / (width * 97.6) + 1e-12)
          << "species " << a.species << " bin " << b;
      total += a.barometric[b] * width * 97.6;
    }
    EXPECT_NEAR(total, per, 1e-9 * per);
    // The curve n(0)·exp(−m·g·h/kT) over a bin has the bin's mean density.
    const double h0 = r.height[3] - 48.8, h1 = r.height[3] + 48.8;
    EXPECT_NEAR(a.n0 * scale * (std::exp(-h0 / scale) - std::exp(-h1 / scale)) / 97.6,
                a.barometric[3], 1e-12 * a.barometric[3]);
  }
  for (const Estimate& e : r.kT)
    EXPECT_NEAR(e.value, kT, 0.01 * kT);
  ASSERT_TRUE(std::isfinite(r.kTSlopeError));
  EXPECT_LT(std::fabs(r.kTSlope), 3 * r.kTSlopeError);
  EXPECT_DOUBLE_EQ(r.weight, (1000 * 1 + 1000 * 4) * 0.1);
  EXPECT_NEAR(r.support.value, 500, 1e-9);
}

// --- A gas of hard discs under the exact rule, once the field moves them ---

// 100 discs each of masses 1 and 2, radius 1.5: η below 0.002 even at the floor, so that the
// gas is ideal to well within the tests' bounds.
GasSetup twoSpecies(double g) {
  GasSetup s = fixture::discGas(200, 1.5);
  s.rows = {{"100", "100", "0", "0"}, {"1", "2", "1", "1"}};
  s.walls.gravity = g;
  s.warmup = 3000;
  return s;
}

TEST(Atmosphere, ADiluteGasFallsAsTheBarometricLawAtOneTemperature) {
  // g 0.12 at kT 68: scale heights 570 and 280, both well inside the box, where the mean height
  // tells the scale apart from a flat profile.
  GasSetup s = twoSpecies(0.12);
  s.ticks = 25000;
  const Results r = runGas(s).results;
  const AtmosphereResults& a = r.atmosphere;
  ASSERT_TRUE(a.active);
  ASSERT_EQ(a.species.size(), 2u);
  for (const SpeciesAtmosphere& x : a.species) {
    ASSERT_TRUE(std::isfinite(x.scaleHeight.error)) << "species " << x.species;
    EXPECT_NEAR(x.scaleHeight.value / x.scaleHeightTheory, 1, 0.05)
        << "species " << x.species << ": " << x.scaleHeight.value << " ± " << x.scaleHeight.error
        << " against " << x.scaleHeightTheory;
  }
  ASSERT_TRUE(std::isfinite(a.kTSlopeError));
  EXPECT_LT(std::fabs(a.kTSlope), 3 * a.kTSlopeError) << a.kTSlope << " ± " << a.kTSlopeError;
  EXPECT_NEAR(a.kT.front().value, a.kT.back().value,
              3 * std::hypot(a.kT.front().error, a.kT.back().error));
  // Kinetic and potential energy together are kept.
  EXPECT_LT(std::fabs(r.driftPer10k), 1e-9);
}

TEST(Atmosphere, TheFloorAndCeilingHoldUpTheWeightToTheLastTickOfMomentum) {
  // Over T ticks the impulses taken up by the walls and the divider's ends are the weight's
  // T·Σm·g less what the gas's own momentum in y gained: exact, tick by tick.
  GasSetup s = twoSpecies(0.12);
  s.walls.divider = 200;
  s.warmup = 500;
  s.ticks = 0;
  HeadlessGas gas(s);
  fixture::run(gas, 500);
  const double p0 = gas.laboratory().results().momentumY;
  fixture::run(gas, 8000);
  const Results r = gas.laboratory().results();
  const AtmosphereResults& a = r.atmosphere;
  ASSERT_EQ(r.measuredTicks, 8000);
  const double weight = (100 * 1 + 100 * 2) * 0.12;
  EXPECT_DOUBLE_EQ(a.weight, weight);
  EXPECT_NEAR(a.support.value * 8000, weight * 8000 - (r.momentumY - p0), 1e-8 * weight * 8000);
  EXPECT_NEAR(a.support.value, weight, 3 * a.support.error);
}

TEST(Atmosphere, RowsAppearOnlyWithAField) {
  GasSetup s = twoSpecies(0.12);
  s.warmup = 100;
  s.ticks = 400;
  std::vector<Row> rows = summarize(runGas(s).results);
  auto has = [&](const std::string& key) {
    for (const Row& row : rows)
      if (row.key == key) return true;
    return false;
  };
  for (const char* key : {"scale_height.species1", "scale_height.species2", "kT_height.bottom",
                          "kT_height.top", "kT_height_slope", "hydrostatic"})
    EXPECT_TRUE(has(key)) << key;
  EXPECT_FALSE(has("scale_height.species3"));
  EXPECT_FALSE(has("mixing_entropy")) << "no divider";
  s.walls.gravity.reset();
  rows = summarize(runGas(s).results);
  EXPECT_FALSE(has("scale_height.species1"));
  EXPECT_FALSE(has("hydrostatic"));
}

}  // namespace
}  // namespace km::lab
