// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <vector>

namespace km::lab {

// Counts of samples in equal bins over [low, high), with those outside counted apart.
class Histogram {
 public:
  void reset(double low, double high, int bins);
  void add(double x) {
    const double k = (x - low_) * scale_;
    if (k < 0)
      ++below_;
    else if (k >= static_cast<double>(counts_.size()))
      ++above_;
    else
      ++counts_[static_cast<std::size_t>(k)];
    ++total_;
  }

  double low() const { return low_; }
  double high() const { return high_; }
  int bins() const { return static_cast<int>(counts_.size()); }
  double binWidth() const { return (high_ - low_) / static_cast<double>(counts_.size()); }
  long total() const { return total_; }
  long below() const { return below_; }
  long above() const { return above_; }
  const std::vector<long>& counts() const { return counts_; }

  // Bins merged `per` at a time: each merged bin's count over total · width, a density that
  // integrates to the share of samples inside the range.
  std::vector<double> densities(int per = 1) const;
  // Kolmogorov–Smirnov distance to a law: the largest gap between the share of samples below
  // a bin edge and the law's distribution function there, over every edge.
  double ksDistance(const std::function<double(double)>& cdf) const;

 private:
  double low_ = 0, high_ = 1, scale_ = 1;
  std::vector<long> counts_ = std::vector<long>(1, 0);
  long below_ = 0, above_ = 0, total_ = 0;
};

}  // namespace km::lab
