// SPDX-License-Identifier: GPL-3.0-or-later
#include "axis_range.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

AxisRange valueAxisRange(double low, double high) {
  if (!std::isfinite(low) || !std::isfinite(high) || low > high) return {};
  const double span = high - low;
  const double margin = span > 0 ? 0.05 * span : std::max(1.0, std::fabs(high) * 0.1);
  // A range that starts at 0 (a density, a count) keeps 0 as its floor.
  return {low == 0 ? 0 : low - margin, high + margin};
}

TickAxis tickAxis(long ticks) {
  const double t = std::max<double>(10, static_cast<double>(ticks));
  const double decade = std::pow(10, std::floor(std::log10(t / 4)));
  double step = 10 * decade;
  for (double m : {1.0, 2.0, 5.0})
    if (m * decade >= t / 8) {
      step = m * decade;
      break;
    }
  return {std::ceil(t / step) * step, step};
}

}  // namespace km::lab
