// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "histogram.h"
#include "theory.h"

namespace km::lab {
namespace {

using namespace theory;

TEST(Theory, FormulasAgainstValuesWorkedByHand) {
  // m v / kT · exp(−m v²/2kT) at m = 1, kT = 2, v = 2 is e^−1.
  EXPECT_NEAR(speedDensity(2, 1, 2), std::exp(-1.0), 1e-15);
  EXPECT_NEAR(speedCdf(2, 1, 2), 1 - std::exp(-1.0), 1e-15);
  EXPECT_EQ(speedDensity(-1, 1, 2), 0);
  EXPECT_EQ(speedCdf(0, 1, 2), 0);
  // A component of mass 4 at kT 1 has variance 1/4: peak 1/√(π/2), one σ = 0.5 up at 84.13 %.
  EXPECT_NEAR(componentDensity(0, 4, 1), 1 / std::sqrt(std::numbers::pi / 2), 1e-15);
  EXPECT_NEAR(componentCdf(0, 4, 1), 0.5, 1e-15);
  EXPECT_NEAR(componentCdf(0.5, 4, 1), 0.8413447460685429, 1e-12);
  // 200 discs of diameter 24 in the 976-wide square the centres of radius-12 discs reach.
  EXPECT_NEAR(packingFraction(200, 24, 976), 0.09498230946757638, 1e-15);
  EXPECT_NEAR(hendersonZ(0.5), 4.125, 1e-15);
  EXPECT_EQ(hendersonZ(0), 1);
  EXPECT_NEAR(contactValue(0.5), 3.125, 1e-15);
  // Equal masses 1: μ = ½, so √(π·kT/2μ) = √(2π) at kT 2.
  EXPECT_NEAR(enskogCollisionRate(0.001, 20, 1, 2, 1, 1), 0.10026513098524001, 1e-15);
  // √(kT/πm) = 1 at kT = π: D = 1 / (2·n·σ·g).
  EXPECT_NEAR(enskogDiffusion(0.001, 20, 1, std::numbers::pi, 1), 25, 1e-12);
  // Dilute discs conduct heat as (2/σ)·√(kT/πm): 0.1 at σ = 20, kT = π, and 4·n·D of the
  // same first approximation at any density.
  EXPECT_NEAR(chapmanEnskogConductivity(20, std::numbers::pi, 1), 0.1, 1e-15);
  EXPECT_NEAR(chapmanEnskogConductivity(24, 50, 4),
              4 * 0.002 * enskogDiffusion(0.002, 24, 1, 50, 4), 1e-15);
  // Enskog's dense discs: the dilute value in the dilute limit; at finite η the collisions'
  // own transfer is n²σ³g·√(π·kT/m)/2 beside the flights' (1 + 3ηg/2)²/g, and the whole rises
  // with density once past the minimum the falling 1/g makes near η = 0.
  EXPECT_NEAR(enskogConductivity(1e-9, 1, 24, 50, 4) / chapmanEnskogConductivity(24, 50, 4), 1,
              1e-8);
  for (double eta : {0.05, 0.2, 0.4}) {
    const double g = contactValue(eta), sigma = 24, kT = 50, m = 4;
    const double n = 4 * eta / (std::numbers::pi * sigma * sigma);
    const double flights =
        chapmanEnskogConductivity(sigma, kT, m) * (1 + 1.5 * eta * g) * (1 + 1.5 * eta * g) / g;
    EXPECT_NEAR(enskogConductivity(eta, g, sigma, kT, m) - flights,
                0.5 * n * n * sigma * sigma * sigma * g * std::sqrt(std::numbers::pi * kT / m),
                1e-14)
        << eta;
  }
  EXPECT_GT(enskogConductivity(0.4, contactValue(0.4), 24, 50, 4),
            2 * enskogConductivity(0.1, contactValue(0.1), 24, 50, 4));
  EXPECT_NEAR(maxwellianHExact(), -std::log(2 * std::numbers::pi) - 1, 1e-15);
}

TEST(Theory, HFromRings) {
  // Everything in one ring: H = ln(1 / ring area).
  const std::vector<double> edges{0, 1, 2};
  EXPECT_NEAR(hFromRings(edges, std::vector<double>{0, 1}), -std::log(3 * std::numbers::pi), 1e-15);
  // Fine rings reach the Maxwellian's own ∫ f ln f; coarse rings lie a little below it (a
  // coarse-grained distribution has more entropy).
  std::vector<double> fine, coarse;
  for (int k = 0; k <= 1000; ++k)
    fine.push_back(k * 0.01);
  for (int k = 0; k <= 24; ++k)
    coarse.push_back(k * 0.25);
  EXPECT_NEAR(maxwellianH(fine), maxwellianHExact(), 1e-4);
  EXPECT_LT(maxwellianH(coarse), maxwellianHExact());
  EXPECT_GT(maxwellianH(coarse), maxwellianHExact() - 0.01);
}

// The bulk reference is the virial series resummed: at low density it is the series (they
// agree through (2η)^9, so they part only at the tenth power), and it meets the values of the
// periodic fluid: the series' own digits up to 0.3, 4.107 at 0.5 and Monte Carlo's 8.40 at 0.65
// to 1 %. Henderson's formula lies within 0.1 % of it to 0.3 and 1 % above it by 0.6. From
// η = 0.70, the fluid–hexatic region, there is no fluid value.
TEST(Theory, BulkEquationOfStateFromTheVirialSeries) {
  EXPECT_NEAR(virialZ(0.05), 1.1084, 5e-5);
  EXPECT_NEAR(virialZ(0.1), 1.2361, 5e-5);
  for (double eta : {0.001, 0.01, 0.05, 0.1, 0.2}) {
    const double x = 2 * eta;
    EXPECT_LT(std::fabs(bulkZ(eta) - virialZ(eta)), 0.1 * std::pow(x, 10) + 1e-15) << eta;
  }
  // The [5/4] approximant parts from the series only at the tenth power: (bulk − series)/x¹⁰
  // stays put as x halves; one order short ([4/4]) it parts at the ninth and the ratio grows.
  {
    const double at = (bulkZ(0.05) - virialZ(0.05)) / std::pow(0.1, 10);
    const double half = (bulkZ(0.025) - virialZ(0.025)) / std::pow(0.05, 10);
    EXPECT_NEAR(half / at, 1, 0.05) << at << " " << half;
  }
  // At high density its own digits, which everything taken from it (Z's references, the
  // contact value, Enskog's rates) carries.
  EXPECT_NEAR(bulkZ(0.65), 8.4510600, 1e-6);
  EXPECT_NEAR(bulkZ(0.69), 10.780711, 1e-6);
  const struct {
    double eta, z, tolerance;
  } periodic[] = {{0.05, 1.1084, 1e-4},
                  {0.1, 1.2361, 1e-4},
                  {0.3, 2.0633, 1e-4},
                  {0.5, 4.107, 1e-3},
                  {0.65, 8.40, 1e-2}};
  for (const auto& row : periodic)
    EXPECT_NEAR(bulkZ(row.eta) / row.z, 1, row.tolerance) << row.eta;
  for (double eta : {0.05, 0.1, 0.2, 0.3})
    EXPECT_NEAR(hendersonZ(eta) / bulkZ(eta), 1, 1e-3) << eta;
  EXPECT_GT(hendersonZ(0.6) / bulkZ(0.6), 1.01);
  EXPECT_TRUE(std::isnan(bulkZ(fluidEnds)));
  EXPECT_TRUE(std::isnan(bulkZ(0.8)));
  EXPECT_TRUE(std::isnan(bulkZ(-0.1)));
  EXPECT_FALSE(std::isnan(bulkZ(0.6999)));
  // Its contact value: 1 in the dilute limit, and Z = 1 + 2η·g throughout.
  EXPECT_EQ(bulkContactValue(0), 1);
  EXPECT_NEAR(bulkContactValue(1e-8), bulkContactValue(1.0001e-8), 1e-7);
  EXPECT_NEAR(1 + 2 * 0.4 * bulkContactValue(0.4), bulkZ(0.4), 1e-12);
  // Henderson's formula has no value beyond close packing, nor its contact value.
  EXPECT_TRUE(std::isnan(hendersonZ(0.95)));
  EXPECT_TRUE(std::isnan(contactValue(1.2)));
}

// With walls, to first order: 500 discs at η = 0.05 in the 1000-wide box (σ = 11.158, the
// centres' square 988.84 wide) have Z = 1.108388 − (32/3π)·0.05·σ/L = 1.106472.
TEST(Theory, WalledBoxLosesPressureInProportionToItsPerimeter) {
  const double a = std::sqrt(4 * 0.05 / (500 * std::numbers::pi));
  const double sigma = 1000 * a / (1 + a), side = 1000 - sigma;
  EXPECT_NEAR(packingFraction(500, sigma, side), 0.05, 1e-15);
  EXPECT_NEAR(walledZ(0.05, sigma, side), 1.106472, 1e-6);
  EXPECT_EQ(walledZ(0.3, 24, 1e300), bulkZ(0.3));
}

// Speeds drawn from the two-dimensional Maxwell–Boltzmann law pass the Kolmogorov–Smirnov test
// at 5 %; uniform speeds of the same mean do not.
TEST(Theory, KolmogorovSmirnovTellsMaxwellianFromUniform) {
  const int n = 4000;
  const double kT = 2, m = 1;
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(0, 1);
  Histogram maxwellian, uniform;
  maxwellian.reset(0, 10, 256);
  uniform.reset(0, 10, 256);
  const double meanSpeed = std::sqrt(std::numbers::pi * kT / (2 * m));
  for (int k = 0; k < n; ++k) {
    maxwellian.add(std::sqrt(-2 * kT / m * std::log(1 - u(gen))));
    uniform.add(2 * meanSpeed * u(gen));
  }
  auto law = [&](double v) { return speedCdf(v, m, kT); };
  const double critical = 1.358 / std::sqrt(n);
  EXPECT_LT(maxwellian.ksDistance(law), critical);
  EXPECT_GT(uniform.ksDistance(law), 2 * critical);
  // The densities integrate to one over the range.
  double total = 0;
  for (double d : maxwellian.densities(8))
    total += d * maxwellian.binWidth() * 8;
  EXPECT_NEAR(total, 1, 1e-12);
}

// The distance is read at every bin edge against the law there: samples spread evenly over
// [0, 1) match the uniform law at every edge, while reading each edge one bin early would be a
// whole bin's share (a quarter) off.
TEST(Theory, KolmogorovSmirnovReadsEachEdgeWhereItIs) {
  Histogram even;
  even.reset(0, 1, 4);
  for (int k = 0; k < 1000; ++k)
    even.add((k + 0.5) / 1000);
  auto uniform = [](double v) { return std::clamp(v, 0.0, 1.0); };
  EXPECT_LT(even.ksDistance(uniform), 1e-12);
  auto shifted = [](double v) { return std::clamp(v + 0.25, 0.0, 1.0); };
  EXPECT_NEAR(even.ksDistance(shifted), 0.25, 1e-12);
  // Samples below the range count from the first edge on.
  Histogram low;
  low.reset(0, 1, 4);
  low.add(-1);
  low.add(0.9);
  EXPECT_NEAR(low.ksDistance(uniform), 0.5, 1e-12);
}

}  // namespace
}  // namespace km::lab
