// SPDX-License-Identifier: GPL-3.0-or-later
// The thermal walls' logarithm and cosine, written out so that every build draws the same
// numbers: against the library's values, edge values included.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "portable_math.h"

namespace km {
namespace {

TEST(PortableMath, Log1pAgreesWithTheLibraryToTheLastFewBits) {
  const double cases[] = {0,      -0.0,    1e-300, -1e-300, 1e-17,  -1e-17,  1e-9, -1e-9,
                          0.1,    -0.1,    0.5,    -0.5,    0.9999, -0.9999, 1,    -0.999999999999,
                          0.4142, -0.2929, 2.5e-3, -0.75};
  for (double x : cases) {
    const double want = std::log1p(x);
    EXPECT_NEAR(portableLog1p(x), want, 4 * std::numeric_limits<double>::epsilon() * std::abs(want))
        << x;
  }
  std::mt19937_64 g(1);
  std::uniform_real_distribution<double> u(0, 1);
  for (int k = 0; k < 100000; ++k) {
    const double x = -u(g);
    const double want = std::log1p(x);
    ASSERT_NEAR(portableLog1p(x), want, 4 * std::numeric_limits<double>::epsilon() * std::abs(want))
        << x;
  }
  EXPECT_EQ(portableLog1p(-1), -HUGE_VAL);
  EXPECT_TRUE(std::isnan(portableLog1p(-1.5)));
  EXPECT_TRUE(std::isnan(portableLog1p(std::nan(""))));
}

TEST(PortableMath, CosOfATurnAgreesWithTheLibraryInEveryOctant) {
  // The octants' ends and middles, where a reduction would slip.
  for (int k = 0; k < 64; ++k) {
    const double t = k / 64.0;
    EXPECT_NEAR(portableCosTurn(t), std::cos(2 * std::numbers::pi * t), 1e-15) << t;
  }
  EXPECT_EQ(portableCosTurn(0), 1);
  EXPECT_EQ(portableCosTurn(0.5), -1);
  std::mt19937_64 g(2);
  std::uniform_real_distribution<double> u(0, 1);
  for (int k = 0; k < 100000; ++k) {
    const double t = u(g);
    ASSERT_NEAR(portableCosTurn(t), std::cos(2 * std::numbers::pi * t), 1e-15) << t;
  }
  EXPECT_TRUE(std::isnan(portableCosTurn(1)));
  EXPECT_TRUE(std::isnan(portableCosTurn(-0.1)));
}

}  // namespace
}  // namespace km
