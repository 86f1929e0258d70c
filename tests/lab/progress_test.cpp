// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "progress.h"

namespace km::measure {
namespace {

// Ticks of `tickSeconds` each on a fake clock; the times at which the pacer gave a line.
std::vector<double> linesAt(double tickSeconds, long ticks) {
  double now = 100;  // any clock's origin
  ProgressPacer pacer([&] { return now; });
  std::vector<double> at;
  for (long t = 1; t <= ticks; ++t) {
    now += tickSeconds;
    const std::string text = pacer.update(t, ticks);
    if (text.empty()) continue;
    at.push_back(now - 100);
    EXPECT_NE(text.find(" ticks/s, "), std::string::npos) << text;
  }
  return at;
}

// The longest wait for a line: from the start, between lines, and from the last to the end.
double longestWait(const std::vector<double>& at, double end) {
  double longest = 0, before = 0;
  for (double t : at) {
    longest = std::max(longest, t - before);
    before = t;
  }
  return std::max(longest, end - before);
}

TEST(ProgressPacer, ALineAtLeastOnceASecondNotEveryTick) {
  // 200,000 fast ticks in 5 s.
  const std::vector<double> fast = linesAt(25e-6, 200000);
  EXPECT_GE(fast.size(), 5u);
  EXPECT_LE(fast.size(), 20u);
  EXPECT_LE(longestWait(fast, 5), 1.0);
  // Slow ticks of 0.3 s: still at least once a second, yet not at every tick.
  const std::vector<double> slow = linesAt(0.3, 20);
  EXPECT_LE(longestWait(slow, 6), 1.0);
  EXPECT_LT(slow.size(), 20u);
  // A run shorter than the pacing shows no line at all.
  EXPECT_TRUE(linesAt(1e-5, 30000).empty());
}

TEST(ProgressText, TellsTicksPerSecondAndTimeLeft) {
  struct Case {
    long done, total;
    double elapsed;
    const char* text;
  };
  const Case cases[] = {
      {5000, 10000, 2, "5,000 of 10,000 ticks (50.0 %), 2,500 ticks/s, 2 s left"},
      {123456, 1000000, 1.5, "123,456 of 1,000,000 ticks (12.3 %), 82,304 ticks/s, 11 s left"},
      {1000, 61000, 1, "1,000 of 61,000 ticks (1.6 %), 1,000 ticks/s, 1 min 0 s left"},
      {10000, 36010000, 1, "10,000 of 36,010,000 ticks (0.0 %), 10,000 ticks/s, 1 h 0 min left"},
      {1, 1000000000, 0.5, "1 of 1,000,000,000 ticks (0.0 %), 2 ticks/s, 138,888 h 53 min left"},
      {9999, 10000, 1, "9,999 of 10,000 ticks (99.9 %), 9,999 ticks/s, 0 s left"},
      {3, 10, 4, "3 of 10 ticks (30.0 %), 0.75 ticks/s, 9 s left"},
      {10000, 10000, 2, "10,000 of 10,000 ticks (100.0 %), 5,000 ticks/s, 0 s left"},
      {0, 10, 1, "0 of 10 ticks (0.0 %)"},
      // A run of no known length (a gas law's): no share and no time left.
      {7000, 0, 2, "7,000 ticks, 3,500 ticks/s"},
      {0, 0, 1, "0 ticks"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(progressText(c.done, c.total, c.elapsed), c.text);
}

}  // namespace
}  // namespace km::measure
