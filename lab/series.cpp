// SPDX-License-Identifier: GPL-3.0-or-later
#include "series.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

BinnedSeries::BinnedSeries(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 2)) {
  sums_.reserve(capacity_);
  values_.reserve(capacity_);
}

void BinnedSeries::clear(long firstTick) {
  sums_.clear();
  values_.clear();
  width_ = 1;
  partialCount_ = partialValues_ = 0;
  partialSum_ = 0;
  first_ = firstTick;
  n_ = 0;
  mean_ = m2_ = 0;
}

void BinnedSeries::add(double x) {
  ++n_;
  const double d = x - mean_;
  mean_ += d / static_cast<double>(n_);
  m2_ += d * (x - mean_);
  partialSum_ += x;
  ++partialValues_;
  endTick();
}

void BinnedSeries::addBlank() {
  endTick();
}

void BinnedSeries::endTick() {
  if (++partialCount_ < width_) return;
  if (sums_.size() == capacity_) {
    for (std::size_t k = 0; k < capacity_ / 2; ++k) {
      sums_[k] = sums_[2 * k] + sums_[2 * k + 1];
      values_[k] = values_[2 * k] + values_[2 * k + 1];
    }
    sums_.resize(capacity_ / 2);
    values_.resize(capacity_ / 2);
    width_ *= 2;
    // The ticks just added make half of a bin of the new width.
    if (partialCount_ < width_) return;
  }
  sums_.push_back(partialSum_);
  values_.push_back(static_cast<double>(partialValues_));
  partialSum_ = 0;
  partialCount_ = partialValues_ = 0;
}

namespace {

// Each bin's sum, the incomplete last one included, with its middle tick and the ticks in it
// that have a value.
template <class Visit>
void forEachBin(const BinnedSeries& s, Visit visit) {
  const auto sums = s.binSums();
  const auto values = s.binValues();
  const double w = static_cast<double>(s.width());
  const double first = static_cast<double>(s.firstTick());
  for (std::size_t k = 0; k < sums.size(); ++k)
    visit(first + w * (static_cast<double>(k) + 0.5), sums[k], values[k]);
  if (s.partialTicks() > 0) {
    const double part = static_cast<double>(s.partialTicks());
    visit(first + w * static_cast<double>(sums.size()) + part / 2, s.partialSum(),
          static_cast<double>(s.partialValues()));
  }
}

}  // namespace

std::vector<Point> thinned(const std::vector<Point>& points, std::size_t most) {
  const std::size_t per =
      std::max<std::size_t>((points.size() + most - 1) / std::max<std::size_t>(most, 1), 1);
  std::vector<Point> out;
  for (std::size_t k = 0; k < points.size(); k += per) {
    double tick = 0, value = 0;
    int n = 0;
    for (std::size_t j = k; j < points.size() && j < k + per; ++j)
      if (std::isfinite(points[j].value)) {
        tick += points[j].tick;
        value += points[j].value;
        ++n;
      }
    out.push_back(n > 0 ? Point{tick / n, value / n} : Point{points[k].tick, notKnown});
  }
  return out;
}

std::vector<Point> binMeans(const BinnedSeries& s) {
  std::vector<Point> out;
  forEachBin(s, [&](double tick, double sum, double values) {
    out.push_back({tick, values > 0 ? sum / values : notKnown});
  });
  return out;
}

std::vector<Point> binRatios(const BinnedSeries& numerator, const BinnedSeries& denominator) {
  std::vector<double> den;
  forEachBin(denominator, [&](double, double sum, double) { den.push_back(sum); });
  std::vector<Point> out;
  std::size_t k = 0;
  forEachBin(numerator, [&](double tick, double sum, double) {
    if (k < den.size() && den[k] != 0) out.push_back({tick, sum / den[k]});
    ++k;
  });
  return out;
}

namespace {

// Means of consecutive groups of `per` bins; a last incomplete group is left out.
std::vector<double> groupSums(std::span<const double> sums, std::size_t per) {
  std::vector<double> out(sums.size() / per, 0.0);
  for (std::size_t k = 0; k < out.size() * per; ++k)
    out[k / per] += sums[k];
  return out;
}

// How many bins make a block: blocks four correlation times long where that leaves 10 of
// them, else 10 blocks if each is still longer than one correlation time; 0 when neither.
std::size_t binsPerBlock(std::size_t bins, long width, double corr) {
  if (bins < 10 || !std::isfinite(corr)) return 0;
  std::size_t per = 1;
  while (static_cast<double>(per * static_cast<std::size_t>(width)) < 4 * corr)
    per *= 2;
  if (bins / per >= 10) return per;
  per = bins / 10;
  return static_cast<double>(per * static_cast<std::size_t>(width)) > corr ? per : 0;
}

}  // namespace

namespace {

// Integrated autocorrelation time, in bins, of a sequence of bin values, with Sokal's
// self-consistent window; at least ½ (uncorrelated). `c0` receives the variance of the values.
double integratedBins(const std::vector<double>& y, double& c0) {
  const std::size_t m = y.size();
  double mean = 0;
  for (double v : y)
    mean += v;
  mean /= static_cast<double>(m);
  c0 = 0;
  for (double v : y)
    c0 += (v - mean) * (v - mean);
  c0 /= static_cast<double>(m);
  if (c0 <= 0) return 0.5;
  double tau = 0.5;
  for (std::size_t lag = 1; lag < m / 4; ++lag) {
    double c = 0;
    for (std::size_t k = 0; k + lag < m; ++k)
      c += (y[k] - mean) * (y[k + lag] - mean);
    tau += c / static_cast<double>(m - lag) / c0;
    if (static_cast<double>(lag) >= 5 * tau) break;
  }
  return std::max(tau, 0.5);
}

// At most 512 bins, so that the sums over lags stay cheap enough to redo on every refresh.
std::size_t coarsening(std::size_t bins) {
  std::size_t per = 1;
  while (bins / per > 1024)
    per *= 2;
  return per;
}

}  // namespace

double standardError(const std::vector<double>& samples) {
  double mean = 0;
  for (double v : samples)
    mean += v;
  const double n = static_cast<double>(samples.size());
  mean /= n;
  double ss = 0;
  for (double v : samples)
    ss += (v - mean) * (v - mean);
  return std::sqrt(ss / (n - 1) / n);
}

double correlationTicks(const BinnedSeries& s) {
  const std::size_t per = coarsening(s.binSums().size());
  std::vector<double> y = groupSums(s.binSums(), per);
  if (y.size() < 20) return notKnown;
  const double w = static_cast<double>(s.width()) * static_cast<double>(per);
  for (double& v : y)
    v /= w;
  double c0 = 0;
  const double tau = integratedBins(y, c0);
  const double perTick = s.variance();
  // A series that stays put to rounding (an energy that is conserved) is its own best sample.
  if (c0 <= 0 || perTick <= 1e-24 * s.mean() * s.mean()) return 1;
  // Bins of w ticks whose means vary by c0 carry the per-tick variance through 2τ·c0·w/σ²
  // ticks per independent sample.
  return std::max(1.0, 2 * tau * w * c0 / perTick);
}

Estimate blockEstimate(const BinnedSeries& s) {
  Estimate e;
  e.value = s.mean();
  e.correlationTicks = correlationTicks(s);
  const std::size_t per = binsPerBlock(s.binSums().size(), s.width(), e.correlationTicks);
  if (per == 0) return e;
  std::vector<double> blocks = groupSums(s.binSums(), per);
  const double ticksPerBlock = static_cast<double>(per) * static_cast<double>(s.width());
  for (double& b : blocks)
    b /= ticksPerBlock;
  e.blocks = static_cast<int>(blocks.size());
  e.error = standardError(blocks);
  return e;
}

Estimate ratioEstimate(const BinnedSeries& numerator, const BinnedSeries& denominator) {
  Estimate e;
  const double num = numerator.mean() * static_cast<double>(numerator.ticks());
  const double den = denominator.mean() * static_cast<double>(denominator.ticks());
  if (numerator.ticks() == 0 || den == 0) return e;
  e.value = num / den;
  // The ratio moves as numerator − ratio · denominator does; bins of that carry its
  // correlation (taken as at least one bin, since the per-tick variance is not kept).
  const std::size_t per = coarsening(numerator.binSums().size());
  const std::vector<double> n = groupSums(numerator.binSums(), per);
  const std::vector<double> d = groupSums(denominator.binSums(), per);
  if (n.size() < 20 || d.size() != n.size()) return e;
  std::vector<double> z(n.size());
  for (std::size_t k = 0; k < z.size(); ++k)
    z[k] = n[k] - e.value * d[k];
  double c0 = 0;
  const double w = static_cast<double>(numerator.width()) * static_cast<double>(per);
  e.correlationTicks = 2 * integratedBins(z, c0) * w;
  const std::size_t blockBins =
      binsPerBlock(numerator.binSums().size(), numerator.width(), e.correlationTicks);
  if (blockBins == 0) return e;
  const std::vector<double> nb = groupSums(numerator.binSums(), blockBins);
  const std::vector<double> db = groupSums(denominator.binSums(), blockBins);
  std::vector<double> ratios;
  for (std::size_t k = 0; k < nb.size(); ++k)
    if (db[k] != 0) ratios.push_back(nb[k] / db[k]);
  if (ratios.size() < 10) return e;
  e.blocks = static_cast<int>(ratios.size());
  e.error = standardError(ratios);
  return e;
}

}  // namespace km::lab
