// SPDX-License-Identifier: GPL-3.0-or-later
#include "heat_profile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "theory.h"

namespace km::lab {

void HeatProfile::clear() {
  for (BinnedSeries& s : kT_)
    s.clear();
  speedSum_.clear();
  collisions_.clear();
}

void HeatProfile::afterTick(std::span<const double> x, std::span<const double> vx,
                            std::span<const double> vy, std::span<const double> mass, int n,
                            double width, long collisions) {
  if (!(width > 0) || n < 1) return;
  width_ = width;
  std::array<double, HeatResults::bins> energy{};
  std::array<int, HeatResults::bins> count{};
  double speeds = 0;
  for (int i = 1; i <= n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double v2 = vx[k] * vx[k] + vy[k] * vy[k];
    speeds += std::sqrt(v2);
    const double f = x[k] / width;
    if (!(f >= 0 && f <= 1)) continue;
    const auto b =
        static_cast<std::size_t>(std::min(HeatResults::bins - 1.0, f * HeatResults::bins));
    energy[b] += 0.5 * mass[k] * v2;
    ++count[b];
  }
  for (std::size_t b = 0; b < kT_.size(); ++b)
    if (count[b])
      kT_[b].add(energy[b] / count[b]);
    else
      kT_[b].addBlank();
  speedSum_.add(speeds / n);
  collisions_.add(2.0 * static_cast<double>(collisions) / n);
}

HeatResults HeatProfile::results(const Estimate& heatLeft, const Estimate& heatRight, double kTLeft,
                                 double kTRight, double length, double sigma, double area, int n,
                                 double kT, double mass) const {
  HeatResults r;
  if (kT_[0].ticks() + kT_[HeatResults::bins - 1].ticks() == 0 || !(width_ > 0)) return r;
  r.active = true;
  r.width = width_;
  for (std::size_t b = 0; b < kT_.size(); ++b) {
    r.x.push_back((static_cast<double>(b) + 0.5) * width_ / HeatResults::bins);
    r.kT.push_back(blockEstimate(kT_[b]));
  }
  // A straight line through the bulk, the two bins at each wall left out, weighted by the
  // bins' errors where they are known.
  WeightedLine line;
  for (int b = 2; b < HeatResults::bins - 2; ++b) {
    const Estimate& e = r.kT[static_cast<std::size_t>(b)];
    if (!std::isfinite(e.value)) continue;
    const double w = std::isfinite(e.error) && e.error > 0 ? 1 / (e.error * e.error) : 1;
    line.add(r.x[static_cast<std::size_t>(b)], e.value, w);
  }
  if (line.known()) {
    r.slope = line.slope();
    r.intercept = line.intercept();
    r.slopeError = line.slopeError();
    r.jumpLeft = std::isfinite(kTLeft) ? r.intercept - kTLeft : notKnown;
    r.jumpRight = std::isfinite(kTRight) ? r.intercept + r.slope * width_ - kTRight : notKnown;
  }
  // Heat carried in +x: what the left wall gives and the right wall takes, their mean.
  if (length > 0 && std::isfinite(heatLeft.value) && std::isfinite(heatRight.value)) {
    r.flux.value = (heatLeft.value - heatRight.value) / (2 * length);
    if (std::isfinite(heatLeft.error) && std::isfinite(heatRight.error))
      r.flux.error = std::hypot(heatLeft.error, heatRight.error) / (2 * length);
  }
  if (std::isfinite(r.flux.value) && std::isfinite(r.slope) && r.slope != 0) {
    r.kappa = -r.flux.value / r.slope;
    if (std::isfinite(r.flux.error))
      r.kappaError =
          std::abs(r.kappa) * std::hypot(r.flux.error / r.flux.value, r.slopeError / r.slope);
  }
  if (sigma > 0 && kT > 0 && mass > 0)
    r.kappaDilute = theory::chapmanEnskogConductivity(sigma, kT, mass);
  r.meanFreePath = ratioEstimate(speedSum_, collisions_);
  if (area > 0 && n > 0 && sigma > 0) {
    const double density = n / area;
    r.meanFreePathDilute = 1 / (2 * std::numbers::sqrt2 * density * sigma);
    const double eta = theory::packingFraction(n, sigma, std::sqrt(area));
    r.meanFreePathEnskog = r.meanFreePathDilute / theory::contactValue(eta);
    if (kT > 0 && mass > 0)
      r.kappaEnskog = theory::enskogConductivity(eta, theory::contactValue(eta), sigma, kT, mass);
  }
  return r;
}

}  // namespace km::lab
