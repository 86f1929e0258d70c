// SPDX-License-Identifier: GPL-3.0-or-later
#include "atmosphere.h"

#include <algorithm>
#include <cmath>

namespace km::lab {
namespace {

constexpr auto bottom = static_cast<std::size_t>(WallSide::Bottom);
constexpr auto top = static_cast<std::size_t>(WallSide::Top);
constexpr int bins = AtmosphereResults::bins;

// The bin of a height u in 0..span, or −1 outside.
int binOf(double u, double span) {
  const double f = u / span;
  if (!(f >= 0 && f <= 1)) return -1;
  return static_cast<int>(std::min(bins - 1.0, f * bins));
}

// The mean over 0..1 of the law e^(−x·u) cut there, 1/x − 1/(e^x − 1), for x > 0.
double unitMean(double x) {
  // Near 0 the two terms cancel: the series 1/2 − x/12 + x³/720 is exact there to rounding.
  if (x < 1e-4) return 0.5 - x / 12 + x * x * x / 720;
  return 1 / x - 1 / std::expm1(x);
}

}  // namespace

double AtmosphereMeter::truncatedMean(double scale, double span) {
  if (!(scale > 0) || !(span > 0)) return notKnown;
  return span * unitMean(span / scale);
}

double AtmosphereMeter::scaleHeightFor(double mean, double span) {
  if (!(span > 0) || !(mean > 0) || !(mean < span / 2)) return notKnown;
  // unitMean falls from 1/2 toward 0 as x = span/H grows and stays below 1/x: the root lies
  // in (0, span/mean). Bisection halves it to the last bit.
  const double target = mean / span;
  double lo = 0, hi = span / mean;
  for (int k = 0; k < 200 && hi - lo > 1e-15 * hi; ++k) {
    const double mid = (lo + hi) / 2;
    (unitMean(mid) > target ? lo : hi) = mid;
  }
  return span / ((lo + hi) / 2);
}

void AtmosphereMeter::clearAverages() {
  for (auto& species : counts_)
    for (BinnedSeries& s : species)
      s.clear();
  for (BinnedSeries& s : meanHeight_)
    s.clear();
  for (BinnedSeries& s : energy_)
    s.clear();
  for (BinnedSeries& s : discs_)
    s.clear();
  support_.clear();
}

void AtmosphereMeter::afterTick(std::span<const double> y, std::span<const double> vx,
                                std::span<const double> vy, std::span<const double> mass,
                                std::span<const int> species, int n, double span,
                                const WallTally& tally, bool averaging) {
  const double support = (tally.impulse[bottom] - last_.impulse[bottom]) -
                         (tally.impulse[top] - last_.impulse[top]) +
                         (tally.dividerImpulseY - last_.dividerImpulseY);
  last_ = tally;
  if (!averaging || !(span > 0)) return;
  span_ = span;
  support_.add(support);
  std::array<std::array<int, bins>, 5> count{};
  std::array<double, 5> heights{};
  std::array<int, 5> members{};
  std::array<double, bins> energy{};
  std::array<int, bins> inBin{};
  for (int i = 1; i <= n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const auto sp = static_cast<std::size_t>(std::clamp(species[k], 1, 4));
    const double u = span - y[k];
    ++members[sp];
    heights[sp] += u;
    const int b = binOf(u, span);
    if (b < 0) continue;
    const auto kb = static_cast<std::size_t>(b);
    ++count[sp][kb];
    energy[kb] += 0.5 * mass[k] * (vx[k] * vx[k] + vy[k] * vy[k]);
    ++inBin[kb];
  }
  for (std::size_t sp = 1; sp < 5; ++sp) {
    if (members[sp] == 0) continue;
    meanHeight_[sp].add(heights[sp] / members[sp]);
    for (std::size_t b = 0; b < bins; ++b)
      counts_[sp][b].add(count[sp][b]);
  }
  // Summed, not averaged, per tick: a bin's kT is then the mean over every disc found in it,
  // and a tick that finds none there weighs nothing.
  for (std::size_t b = 0; b < bins; ++b) {
    energy_[b].add(energy[b]);
    discs_[b].add(inBin[b]);
  }
}

AtmosphereResults AtmosphereMeter::results(double g, double kT, const std::array<int, 5>& counts,
                                           const std::array<double, 5>& masses, double radius,
                                           double width) const {
  AtmosphereResults r;
  if (!(g > 0) || !(span_ > 0) || support_.ticks() == 0) return r;
  r.active = true;
  r.g = g;
  r.lowest = radius;
  r.highest = radius + span_;
  const double binHeight = span_ / bins;
  for (int b = 0; b < bins; ++b)
    r.height.push_back(radius + (b + 0.5) * binHeight);
  r.weight = 0;
  for (std::size_t sp = 1; sp < 5; ++sp) {
    if (counts[sp] == 0) continue;
    SpeciesAtmosphere a;
    a.species = static_cast<int>(sp);
    a.count = counts[sp];
    a.mass = masses[sp];
    r.weight += a.count * a.mass * g;
    const double area = binHeight * width;
    for (std::size_t b = 0; b < bins; ++b) {
      Estimate e = blockEstimate(counts_[sp][b]);
      if (area > 0) {
        e.value /= area;
        e.error /= area;
      } else {
        e = Estimate{};
      }
      a.density.push_back(e);
    }
    a.meanHeight = blockEstimate(meanHeight_[sp]);
    const double m = a.meanHeight.value, dm = a.meanHeight.error;
    a.scaleHeight.value = scaleHeightFor(m, span_);
    a.scaleHeight.correlationTicks = a.meanHeight.correlationTicks;
    a.scaleHeight.blocks = a.meanHeight.blocks;
    // The mean's error carried through the inverse, by its slope across one error either side.
    if (std::isfinite(dm) && dm > 0) {
      const double up = scaleHeightFor(m + dm, span_), down = scaleHeightFor(m - dm, span_);
      if (std::isfinite(up) && std::isfinite(down)) a.scaleHeight.error = (up - down) / 2;
    }
    if (kT > 0 && a.mass > 0) {
      const double lambda = a.mass * g / kT;
      a.scaleHeightTheory = 1 / lambda;
      // N discs spread as λ·e^(−λ·u)/(1 − e^(−λ·span)) over heights u above the lowest.
      const double total = -std::expm1(-lambda * span_);
      if (width > 0 && total > 0) {
        a.n0 = a.count * lambda / (width * total) * std::exp(lambda * radius);
        for (int b = 0; b < bins; ++b) {
          const double u0 = b * binHeight, u1 = u0 + binHeight;
          a.barometric.push_back(a.count * (std::exp(-lambda * u0) - std::exp(-lambda * u1)) /
                                 (total * width * binHeight));
        }
      }
    }
    r.species.push_back(std::move(a));
  }
  // A weighted straight line of kT against height over every bin that holds discs.
  WeightedLine line;
  for (std::size_t b = 0; b < bins; ++b) {
    const Estimate e = ratioEstimate(energy_[b], discs_[b]);
    r.kT.push_back(e);
    if (!std::isfinite(e.value) || !std::isfinite(e.error) || !(e.error > 0)) continue;
    line.add(r.height[b], e.value, 1 / (e.error * e.error));
  }
  if (line.known()) {
    r.kTSlope = line.slope();
    r.kTSlopeError = line.slopeError();
  }
  r.support = blockEstimate(support_);
  return r;
}

}  // namespace km::lab
