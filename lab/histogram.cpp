// SPDX-License-Identifier: GPL-3.0-or-later
#include "histogram.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

void Histogram::reset(double low, double high, int bins) {
  low_ = low;
  high_ = high > low ? high : low + 1;
  counts_.assign(static_cast<std::size_t>(std::max(bins, 1)), 0);
  scale_ = static_cast<double>(counts_.size()) / (high_ - low_);
  below_ = above_ = total_ = 0;
}

std::vector<double> Histogram::densities(int per) const {
  per = std::max(per, 1);
  const std::size_t groups = counts_.size() / static_cast<std::size_t>(per);
  std::vector<double> out(groups, 0.0);
  if (total_ == 0) return out;
  const double norm = static_cast<double>(total_) * binWidth() * per;
  for (std::size_t k = 0; k < groups * static_cast<std::size_t>(per); ++k)
    out[k / static_cast<std::size_t>(per)] += static_cast<double>(counts_[k]) / norm;
  return out;
}

double Histogram::ksDistance(const std::function<double(double)>& cdf) const {
  if (total_ == 0) return 0;
  const double n = static_cast<double>(total_);
  long below = below_;
  double worst = std::fabs(static_cast<double>(below) / n - cdf(low_));
  for (std::size_t k = 0; k < counts_.size(); ++k) {
    below += counts_[k];
    const double edge = low_ + binWidth() * static_cast<double>(k + 1);
    worst = std::max(worst, std::fabs(static_cast<double>(below) / n - cdf(edge)));
  }
  return worst;
}

}  // namespace km::lab
