// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <span>
#include <vector>

#include "boundaries.h"
#include "series.h"

namespace km::lab {

// One species' heights in the field.
struct SpeciesAtmosphere {
  int species = 0;  // 1..4
  int count = 0;
  double mass = 0;
  std::vector<Estimate> density;  // centres per u² in each bin of height, over the averaged ticks
  // The barometric law at the gas's kT, normalised to the species' count: its mean density over
  // each bin, and n(0) of n(0)·exp(−m·g·h/kT), to draw it as a curve over the heights reached.
  std::vector<double> barometric;
  double n0 = notKnown;
  Estimate meanHeight;                  // of the centres above the lowest they reach, u
  Estimate scaleHeight;                 // the exponential law's, fitted by maximum likelihood, u
  double scaleHeightTheory = notKnown;  // kT/(m·g)
};

// A gas in a uniform field toward the floor (y = 1000), seen against height h = 1000 − y.
struct AtmosphereResults {
  bool active = false;
  static constexpr int bins = 10;
  double g = notKnown;                     // u/tick²
  double lowest = notKnown;                // the heights the centres reach: radius ..
  double highest = notKnown;               // .. 1000 − radius
  std::vector<double> height;              // each bin's middle, h
  std::vector<SpeciesAtmosphere> species;  // those with discs, in order
  // The discs' mean ½·m·v² in each bin of height, all species: flat at equilibrium.
  std::vector<Estimate> kT;
  double kTSlope = notKnown, kTSlopeError = notKnown;  // d kT / dh, a weighted line over the bins
  // Floor impulse − ceiling impulse + the y impulse on the divider's ends, per tick: the force
  // holding the gas up, on average its weight Σ m·g.
  Estimate support;
  double weight = notKnown;
};

// Reads the discs' heights, energies and the walls' tally after every tick while a field is on.
class AtmosphereMeter {
 public:
  void clearAverages();
  // The next tick's impulses are read against this tally.
  void markTally(const WallTally& t) { last_ = t; }
  // `y` each centre less the radius, `span` the height the centres reach (1000 − 2·radius),
  // species 1..4 per disc; only `averaging` ticks enter the averages.
  void afterTick(std::span<const double> y, std::span<const double> vx, std::span<const double> vy,
                 std::span<const double> mass, std::span<const int> species, int n, double span,
                 const WallTally& tally, bool averaging);
  // For a field g, the gas's kT, each species' count and mass, the radius and the width the
  // centres reach.
  AtmosphereResults results(double g, double kT, const std::array<int, 5>& counts,
                            const std::array<double, 5>& masses, double radius, double width) const;

  // The mean of the exponential law of scale H cut to heights 0..span: H − span/(e^(span/H) − 1).
  static double truncatedMean(double scale, double span);
  // Its inverse: the maximum-likelihood scale height of heights in 0..span with this mean. Not
  // known where the mean is span/2 or more (no fall with height) or not above 0.
  static double scaleHeightFor(double mean, double span);

 private:
  std::array<std::array<BinnedSeries, AtmosphereResults::bins>, 5> counts_;  // species 1..4
  std::array<BinnedSeries, 5> meanHeight_;
  // Per bin and tick: the discs' ½·m·v² summed, and the discs.
  std::array<BinnedSeries, AtmosphereResults::bins> energy_, discs_;
  BinnedSeries support_;
  WallTally last_;
  double span_ = 0;
};

}  // namespace km::lab
