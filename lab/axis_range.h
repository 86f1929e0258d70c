// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>

namespace km::lab {

// The low and high of the finite values added (low above high while there are none).
struct ValueSpan {
  double low = INFINITY, high = -INFINITY;
  void add(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
};

struct AxisRange {
  double min = 0, max = 1;
};

// The range a chart's value axis shows for values from low to high: 5 % to spare at each end
// (a flat line gets room of its own), a floor of 0 kept as 0, and 0..1 when there is nothing
// to show (NaN, infinite, or low above high).
AxisRange valueAxisRange(double low, double high);

// A time axis from 0 over a run of `ticks`: four to eight steps of 1, 2 or 5 times a power of
// ten, the last just past the run (at least 10 ticks).
struct TickAxis {
  double end = 10, step = 1;
};
TickAxis tickAxis(long ticks);

}  // namespace km::lab
