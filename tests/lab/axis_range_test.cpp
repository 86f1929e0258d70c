// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "axis_range.h"

namespace km::lab {
namespace {

// Every chart's value axis, on the desktop and in the page: values in, shown range out.
TEST(AxisRange, ValueAxesKeepTheirValuesWithAMarginAndAFloorOfZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double low, high, min, max;
  };
  const Case cases[] = {
      {0, 10, 0, 10.5},                       // a density or a count keeps 0 as its floor
      {1, 3, 0.9, 3.1},                       // 5 % of the span at each end
      {-2, -1, -2.05, -0.95},  {5, 5, 4, 6},  // a flat line: room of 1 ...
      {100, 100, 90, 110},                    // ... or of a tenth of its value, the larger
      {-100, -100, -110, -90}, {0, 0, 0, 1}, {nan, 1, 0, 1},  // nothing to show
      {0, inf, 0, 1},          {2, 1, 0, 1},
  };
  for (const Case& c : cases) {
    const AxisRange r = valueAxisRange(c.low, c.high);
    EXPECT_NEAR(r.min, c.min, 1e-12) << c.low << ".." << c.high;
    EXPECT_NEAR(r.max, c.max, 1e-12) << c.low << ".." << c.high;
  }
}

TEST(AxisRange, TimeAxesEndJustPastTheRunInFourToEightRoundSteps) {
  struct Case {
    long ticks;
    double end, step;
  };
  const Case cases[] = {
      {0, 10, 2},         {1, 10, 2},
      {10, 10, 2},        {11, 12, 2},
      {40, 40, 10},       {41, 50, 10},
      {999, 1000, 200},   {1000, 1000, 200},
      {4001, 5000, 1000}, {123456, 140000, 20000},
  };
  for (const Case& c : cases) {
    const TickAxis t = tickAxis(c.ticks);
    EXPECT_DOUBLE_EQ(t.end, c.end) << c.ticks;
    EXPECT_DOUBLE_EQ(t.step, c.step) << c.ticks;
  }
  for (long ticks = 1; ticks < 3'000'000; ticks = ticks * 3 + 1) {
    const TickAxis t = tickAxis(ticks);
    const double steps = t.end / t.step;
    EXPECT_GE(t.end, static_cast<double>(ticks));
    EXPECT_LT(t.end - t.step, std::max(10.0, static_cast<double>(ticks))) << ticks;
    EXPECT_GE(steps, 4) << ticks;
    EXPECT_LE(steps, 8) << ticks;
  }
}

}  // namespace
}  // namespace km::lab
