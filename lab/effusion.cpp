// SPDX-License-Identifier: GPL-3.0-or-later
#include "effusion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace km::lab {
namespace {

// −Σ_s N_s·ln(N_s/N) of one group of counts (0·ln 0 = 0).
double groupEntropy(const std::array<double, 5>& n) {
  double total = 0;
  for (std::size_t s = 1; s < 5; ++s)
    total += n[s];
  double e = 0;
  for (std::size_t s = 1; s < 5; ++s)
    if (n[s] > 0) e -= n[s] * std::log(n[s] / total);
  return e;
}

}  // namespace

double EffusionMeter::mixingEntropy(const SideCounts& n) {
  return groupEntropy(n[0]) + groupEntropy(n[1]);
}

double EffusionMeter::mixingEntropyMost(const SideCounts& n) {
  std::array<double, 5> all{};
  for (std::size_t s = 1; s < 5; ++s)
    all[s] = n[0][s] + n[1][s];
  return groupEntropy(all);
}

void EffusionMeter::clearAverages() {
  for (auto* series : {&crossings_, &onSide_})
    for (auto& species : *series)
      for (BinnedSeries& s : species)
        s.clear();
}

void EffusionMeter::restartPath(long tick) {
  for (auto& species : onSidePath_)
    for (BinnedSeries& s : species) {
      s = BinnedSeries(512);
      s.clear(tick);
    }
  entropyPath_.clear(tick);
}

void EffusionMeter::afterTick(std::span<const double> x, double radius,
                              std::span<const int> species, int n, bool averaging) {
  const auto count = static_cast<std::size_t>(std::max(n, 0)) + 1;
  // A disc not seen last tick has no crossing to count this one.
  if (side_.size() != count) side_.assign(count, -1);
  std::array<std::array<int, sideCount>, 5> crossed{};
  now_ = {};
  for (std::size_t k = 1; k < count; ++k) {
    const auto sp = static_cast<std::size_t>(std::clamp(species[k], 1, 4));
    const signed char side = x[k] + radius < 500 ? 0 : 1;
    if (side_[k] >= 0 && side_[k] != side) ++crossed[sp][static_cast<std::size_t>(side_[k])];
    side_[k] = side;
    now_[static_cast<std::size_t>(side)][sp] += 1;
  }
  entropyPath_.add(mixingEntropy(now_));
  for (std::size_t sp = 1; sp < 5; ++sp) {
    if (now_[0][sp] + now_[1][sp] == 0) continue;
    for (std::size_t side = 0; side < sideCount; ++side) {
      onSidePath_[sp][side].add(now_[side][sp]);
      if (!averaging) continue;
      crossings_[sp][side].add(crossed[sp][side]);
      onSide_[sp][side].add(now_[side][sp]);
    }
  }
}

EffusionResults EffusionMeter::results(double opening, double radius, double rightX, double kT,
                                       const std::array<int, 5>& counts,
                                       const std::array<double, 5>& masses) const {
  EffusionResults r;
  if (!(opening < 1000)) return r;
  r.active = true;
  r.opening = opening;
  const double width = opening - 2 * radius;
  r.width = width > 0 ? width : notKnown;
  const double height = 1000 - 2 * radius;
  const std::array<double, sideCount> across{500 - 2 * radius, rightX - 500 - 2 * radius};
  for (std::size_t side = 0; side < sideCount; ++side)
    r.area[side] = across[side] > 0 && height > 0 ? across[side] * height : notKnown;
  std::array<double, 5> perDensity{};  // both directions' flux over the summed densities
  std::array<Estimate, 5> bothRate{};
  for (std::size_t sp = 1; sp < 5; ++sp) {
    if (counts[sp] == 0) continue;
    SpeciesEffusion e;
    e.species = static_cast<int>(sp);
    e.count = counts[sp];
    e.mass = masses[sp];
    const double meanSpeed =
        kT > 0 && e.mass > 0 ? std::sqrt(kT / (2 * std::numbers::pi * e.mass)) : notKnown;
    double density = 0, both = 0, bothVariance = 0;
    bool errorKnown = true;
    for (std::size_t side = 0; side < sideCount; ++side) {
      e.crossings[side] = blockEstimate(crossings_[sp][side]);
      e.onSide[side] = blockEstimate(onSide_[sp][side]);
      e.onSidePath[side] = binMeans(onSidePath_[sp][side]);
      const double n = e.onSide[side].value / r.area[side];
      density += n;
      both += e.crossings[side].value;
      bothVariance += e.crossings[side].error * e.crossings[side].error;
      errorKnown = errorKnown && std::isfinite(e.crossings[side].error);
      if (!std::isfinite(r.width)) continue;
      e.flux[side] = {e.crossings[side].value / r.width, e.crossings[side].error / r.width,
                      e.crossings[side].correlationTicks, e.crossings[side].blocks};
      e.fluxTheory[side] = n * meanSpeed;
    }
    // The two directions are taken as independent for the error of their sum.
    bothRate[sp] = {both, errorKnown ? std::sqrt(bothVariance) : notKnown, notKnown, 0};
    perDensity[sp] = density;
    if (std::isfinite(r.width)) {
      e.fluxBoth = {both / r.width, bothRate[sp].error / r.width, notKnown, 0};
      e.fluxBothTheory = density * meanSpeed;
    }
    r.species.push_back(std::move(e));
    if (r.ratioOf[0] == 0)
      r.ratioOf[0] = static_cast<int>(sp);
    else if (r.ratioOf[1] == 0)
      r.ratioOf[1] = static_cast<int>(sp);
  }
  if (r.ratioOf[1] != 0) {
    const auto a = static_cast<std::size_t>(r.ratioOf[0]),
               b = static_cast<std::size_t>(r.ratioOf[1]);
    const Estimate& ra = bothRate[a];
    const Estimate& rb = bothRate[b];
    if (ra.value > 0 && rb.value > 0 && perDensity[a] > 0 && perDensity[b] > 0) {
      r.ratio.value = (ra.value / perDensity[a]) / (rb.value / perDensity[b]);
      r.ratio.error = r.ratio.value * std::hypot(ra.error / ra.value, rb.error / rb.value);
    }
    if (masses[a] > 0 && masses[b] > 0) r.ratioTheory = std::sqrt(masses[b] / masses[a]);
  }
  r.entropy = mixingEntropy(now_);
  r.entropyMost = mixingEntropyMost(now_);
  r.entropyPath = binMeans(entropyPath_);
  return r;
}

}  // namespace km::lab
