// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <vector>

namespace km::lab {

constexpr double notKnown = std::numeric_limits<double>::quiet_NaN();

// A per-tick quantity kept as bins of equal width: when the bins are full, neighbours merge and
// the width doubles, so a run of any length takes bounded memory. Mean and variance are kept
// exactly, tick by tick. A tick may be blank (a species that did not move): it takes its place
// in the bins but no value, and a bin of blanks alone has no mean.
class BinnedSeries {
 public:
  explicit BinnedSeries(std::size_t capacity = 4096);

  // Empties the series; its first tick will be `firstTick`.
  void clear(long firstTick = 0);
  void add(double x);
  void addBlank();

  long firstTick() const { return first_; }
  long ticks() const { return n_; }  // with a value
  double mean() const { return n_ ? mean_ : notKnown; }
  // Per tick, over all ticks.
  double variance() const { return n_ > 1 ? m2_ / static_cast<double>(n_) : 0; }
  long width() const { return width_; }
  // Sums of the complete bins, oldest first; each holds width() ticks.
  std::span<const double> binSums() const { return sums_; }
  // The ticks with a value in each complete bin: width() unless some were blank.
  std::span<const double> binValues() const { return values_; }
  // The ticks added since the last complete bin, their sum and those with a value.
  long partialTicks() const { return partialCount_; }
  double partialSum() const { return partialSum_; }
  long partialValues() const { return partialValues_; }

 private:
  std::size_t capacity_;
  void endTick();

  std::vector<double> sums_, values_;
  long width_ = 1;
  long partialCount_ = 0, partialValues_ = 0;
  double partialSum_ = 0;
  long first_ = 0;
  long n_ = 0;
  double mean_ = 0, m2_ = 0;
};

struct Point {
  double tick, value;
};
// The mean of each bin, the last one even if incomplete, at the bin's middle tick; not known
// for a bin of blanks.
std::vector<Point> binMeans(const BinnedSeries& s);
// At most `most` points of a time series for a chart: neighbours averaged in equal groups,
// over the values they have. A group with none (a species that did not move) is a blank: its
// first tick, value not known.
std::vector<Point> thinned(const std::vector<Point>& points, std::size_t most);
// The ratio of the sums in each bin of two series fed on the same ticks; bins where the
// denominator's sum is 0 are left out.
std::vector<Point> binRatios(const BinnedSeries& numerator, const BinnedSeries& denominator);

// A mean over ticks with its standard error from block averages: at least 10 blocks, each at
// least four correlation times long where the data allow, and never shorter than one.
struct Estimate {
  double value = notKnown;
  double error = notKnown;             // not known when the run is too short for 10 such blocks
  double correlationTicks = notKnown;  // ticks per independent sample, 2·τ_int
  int blocks = 0;
};

// The standard error of the mean of independent samples (at least two).
double standardError(const std::vector<double>& samples);

// Ticks per independent sample of the series, from the autocorrelation of its bins with
// Sokal's self-consistent window; not known below 20 complete bins.
double correlationTicks(const BinnedSeries& s);
Estimate blockEstimate(const BinnedSeries& s);
// The ratio of two series' sums (both fed on the same ticks), with its error from the ratios
// of their block sums.
Estimate ratioEstimate(const BinnedSeries& numerator, const BinnedSeries& denominator);

// A straight line y = intercept + slope·x through points of weight w (1/error²), by weighted
// least squares; known from three points on.
class WeightedLine {
 public:
  void add(double x, double y, double w) {
    sw_ += w;
    sx_ += w * x;
    sy_ += w * y;
    sxx_ += w * x * x;
    sxy_ += w * x * y;
    ++points_;
  }
  bool known() const { return points_ >= 3 && determinant() > 0; }
  double slope() const { return (sw_ * sxy_ - sx_ * sy_) / determinant(); }
  double intercept() const { return (sy_ - slope() * sx_) / sw_; }
  double slopeError() const { return std::sqrt(sw_ / determinant()); }

 private:
  double determinant() const { return sw_ * sxx_ - sx_ * sx_; }
  double sw_ = 0, sx_ = 0, sy_ = 0, sxx_ = 0, sxy_ = 0;
  int points_ = 0;
};

}  // namespace km::lab
