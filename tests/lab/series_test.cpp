// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "contacts.h"
#include "series.h"

namespace km::lab {
namespace {

// An AR(1) series x_t = φ·x_{t−1} + noise: its mean has the standard error
// σ·√((1 + φ) / (1 − φ) / n), √19 ≈ 4.4 times what independent ticks would give at φ = 0.9.
TEST(BlockEstimate, CorrelatedSeriesGetsItsTrueError) {
  const double phi = 0.9;
  const long n = 200000;
  std::mt19937 gen(11);
  std::normal_distribution<double> noise(0, 1);
  BinnedSeries s;
  double x = 0;
  for (long t = 0; t < n; ++t) {
    x = phi * x + noise(gen);
    s.add(x);
  }
  EXPECT_GT(s.width(), 1);  // 200,000 ticks do not fit in 4096 bins of one
  const double sigma = std::sqrt(1 / (1 - phi * phi));
  const double trueError = sigma * std::sqrt((1 + phi) / (1 - phi) / n);
  const Estimate e = blockEstimate(s);
  EXPECT_NEAR(e.value, 0, 4 * trueError);
  EXPECT_NEAR(e.error, trueError, 0.3 * trueError);
  EXPECT_NEAR(e.correlationTicks, (1 + phi) / (1 - phi), 0.3 * 19);
  EXPECT_GE(e.blocks, 10);
  EXPECT_NEAR(s.variance(), sigma * sigma, 0.05 * sigma * sigma);
}

TEST(BlockEstimate, BinsKeepEveryTickAndShortRunsHaveNoError) {
  BinnedSeries s(8);
  for (int t = 1; t <= 100; ++t)
    s.add(t);
  double sum = s.partialSum();
  for (double b : s.binSums())
    sum += b;
  EXPECT_EQ(sum, 5050);
  EXPECT_EQ(s.mean(), 50.5);
  EXPECT_EQ(static_cast<long>(s.binSums().size()) * s.width() + s.partialTicks(), 100);
  // Eight bins are too few for ten blocks.
  EXPECT_TRUE(std::isnan(blockEstimate(s).error));
}

TEST(BlockEstimate, RatioOfSums) {
  // Numerator twice the denominator plus noise that averages out.
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(0, 1);
  BinnedSeries num, den;
  for (int t = 0; t < 50000; ++t) {
    const double d = 1 + u(gen);
    den.add(d);
    num.add(2 * d + (u(gen) - 0.5));
  }
  const Estimate r = ratioEstimate(num, den);
  EXPECT_NEAR(r.value, 2, 4 * r.error);
  // Independent noise of variance 1/12 on a mean denominator of 1.5.
  const double expected = std::sqrt(1.0 / 12 / 50000) / 1.5;
  EXPECT_NEAR(r.error, expected, 0.35 * expected);
}

TEST(Contacts, NewContactsRepeatsAndRuns) {
  ContactTracker c;
  EXPECT_TRUE(c.exchange(1, 2));
  auto t = c.endTick();
  EXPECT_EQ(t.exchanges, 1);
  EXPECT_EQ(t.newContacts, 1);
  EXPECT_EQ(t.repeats, 0);
  // The same pair again (either order) is bound; 3–4 is new.
  EXPECT_FALSE(c.exchange(2, 1));
  EXPECT_TRUE(c.exchange(3, 4));
  t = c.endTick();
  EXPECT_EQ(t.exchanges, 2);
  EXPECT_EQ(t.newContacts, 1);
  EXPECT_EQ(t.repeats, 1);
  // Twice in one tick: two exchanges, both repeats of a bound pair, no new contact.
  c.exchange(1, 2);
  c.exchange(1, 2);
  t = c.endTick();
  EXPECT_EQ(t.exchanges, 2);
  EXPECT_EQ(t.repeats, 2);
  EXPECT_EQ(c.longestRun(), 3);
  // A tick without it breaks the run.
  c.endTick();
  EXPECT_TRUE(c.exchange(1, 2));
  EXPECT_EQ(c.endTick().newContacts, 1);
  EXPECT_EQ(c.longestRun(), 3);
  c.restartLongest();
  EXPECT_EQ(c.longestRun(), 0);
}

TEST(Thinned, AveragesGroupsOverTheValuesTheyHaveAndLeavesABlankWhereThereAreNone) {
  const double nan = notKnown;
  struct Case {
    std::vector<Point> in;
    std::size_t most;
    std::vector<Point> out;
  };
  const Case cases[] = {
      {{}, 3, {}},
      {{{1, 2}, {2, 4}}, 5, {{1, 2}, {2, 4}}},                      // fewer than asked: as they are
      {{{1, 2}, {2, 4}, {3, 6}, {4, 8}}, 2, {{1.5, 3}, {3.5, 7}}},  // pairs averaged
      {{{1, 2}, {2, 4}, {3, 6}}, 2, {{1.5, 3}, {3, 6}}},            // the last group short
      {{{1, nan}, {2, 4}, {3, nan}, {4, nan}}, 2, {{2, 4}, {3, nan}}},  // blanks left out; a blank
      {{{1, 2}}, 0, {{1, 2}}},                                          // none asked: one a group
  };
  for (const Case& c : cases) {
    const std::vector<Point> got = thinned(c.in, c.most);
    ASSERT_EQ(got.size(), c.out.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
      EXPECT_DOUBLE_EQ(got[k].tick, c.out[k].tick) << k;
      if (std::isnan(c.out[k].value))
        EXPECT_TRUE(std::isnan(got[k].value)) << k;
      else
        EXPECT_DOUBLE_EQ(got[k].value, c.out[k].value) << k;
    }
  }
}

TEST(WeightedLine, ExactLinesAndTheSlopesErrorAgainstTheClosedForm) {
  // Points on y = 2 − 0.5x, any weights: the line itself.
  WeightedLine exact;
  for (double x : {0.0, 1.0, 4.0, 10.0})
    exact.add(x, 2 - 0.5 * x, 1 + x);
  ASSERT_TRUE(exact.known());
  EXPECT_NEAR(exact.slope(), -0.5, 1e-15);
  EXPECT_NEAR(exact.intercept(), 2, 1e-14);
  // Equal weights 1/σ² (σ = 0.5): the slope's error is σ/√Σ(x − x̄)², 0.5/√10 for x = 0..4.
  WeightedLine equal;
  for (double x : {0.0, 1.0, 2.0, 3.0, 4.0})
    equal.add(x, x * x, 4);
  EXPECT_NEAR(equal.slopeError(), 0.5 / std::sqrt(10.0), 1e-15);
  EXPECT_NEAR(equal.slope(), 4, 1e-14);  // least squares of x² over 0..4
  // Fewer than three points, or all at one x, give no line.
  WeightedLine two;
  two.add(0, 0, 1);
  two.add(1, 1, 1);
  EXPECT_FALSE(two.known());
  WeightedLine stacked;
  for (int k = 0; k < 3; ++k)
    stacked.add(5, k, 1);
  EXPECT_FALSE(stacked.known());
}

}  // namespace
}  // namespace km::lab
