// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace km::measure {

// Paces the progress line of a long run on a clock it is given: a line once `interval`
// seconds have passed since the start or the last line, so a short run shows none.
class ProgressPacer {
 public:
  explicit ProgressPacer(std::function<double()> seconds, double interval = 0.5);
  // After each tick: the line for `done` of `total` ticks when it is time for one, else "".
  std::string update(long done, long total);

 private:
  std::function<double()> seconds_;
  double interval_;
  double start_, last_;
};

// "5,000 of 10,000 ticks (50.0 %), 2,500 ticks/s, 2 s left", from the ticks done in `elapsed`
// seconds; "5,000 ticks, 2,500 ticks/s" for a run of no known length (total 0).
std::string progressText(long done, long total, double elapsed);

}  // namespace km::measure
