// SPDX-License-Identifier: GPL-3.0-or-later
#include "wall_profile.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

void WallProfile::reset(double side, double unit) {
  side_ = side > 0 ? side : 0;
  const double half = side_ / 2;
  width_ = std::max(unit > 0 ? unit / binsPerUnit : half / 100, half / mostBins);
  bins_ = width_ > 0 ? std::max(1, static_cast<int>(std::ceil(half / width_))) : 0;
  scale_ = width_ > 0 ? 1 / width_ : 0;
  interiorFrom_ = std::max(0.0, interiorUnits * unit);
  for (std::vector<long>& c : counts_)
    c.assign(static_cast<std::size_t>(bins_), 0);
  ticks_ = 0;
}

double WallProfile::interiorArea() const {
  const double inner = side_ - 2 * interiorFrom_;
  return inner > 0 ? inner * inner : 0;
}

int WallProfile::add(const std::vector<double>& x, const std::vector<double>& y,
                     const std::vector<int>& species, int n) {
  int interior = 0;
  if (bins_ == 0) return 0;
  const double last = bins_ - 1;
  for (int i = 1; i <= n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double d = std::min(std::min(x[k], side_ - x[k]), std::min(y[k], side_ - y[k]));
    interior += d >= interiorFrom_;
    // A centre past a wall (the specified rule lets one overshoot) counts at the wall.
    const double bin = std::clamp(d * scale_, 0.0, last);
    ++counts_[static_cast<std::size_t>(species[k])][static_cast<std::size_t>(bin)];
  }
  ++ticks_;
  return interior;
}

std::vector<double> WallProfile::density(int species, double perArea) const {
  std::vector<double> out;
  if (ticks_ == 0 || !(perArea > 0) || species < 1 || species > 4) return out;
  const std::vector<long>& c = counts_[static_cast<std::size_t>(species)];
  for (int b = 0; b < bins_; ++b) {
    // The band of points between b and b + 1 bin widths from the nearest wall.
    const double outer = side_ - 2 * b * width_;
    const double inner = std::max(0.0, side_ - 2 * (b + 1) * width_);
    const double band = outer * outer - inner * inner;
    out.push_back(band > 0 ? static_cast<double>(c[static_cast<std::size_t>(b)]) /
                                 (static_cast<double>(ticks_) * band * perArea)
                           : 0);
  }
  return out;
}

}  // namespace km::lab
