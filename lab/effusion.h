// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <span>
#include <vector>

#include "series.h"

namespace km::lab {

// Sides of the line x = 500: 0 left (x < 500), 1 right.
constexpr int sideCount = 2;

// One species' passage through the divider's opening.
struct SpeciesEffusion {
  int species = 0;  // 1..4
  int count = 0;
  double mass = 0;
  // Per averaged tick: centres crossing x = 500 from each side (0: rightward, from the left),
  // and the centres on each side.
  std::array<Estimate, sideCount> crossings, onSide;
  // Crossings from each side per tick per unit width of the opening the centres pass, beside
  // n·√(kT/(2π·m)), n the centres per area on that side; and both directions together.
  std::array<Estimate, sideCount> flux;
  std::array<double, sideCount> fluxTheory{notKnown, notKnown};
  Estimate fluxBoth;
  double fluxBothTheory = notKnown;
  // The centres on each side since the path began, in bins of ticks.
  std::array<std::vector<Point>, sideCount> onSidePath;
};

struct EffusionResults {
  bool active = false;
  double opening = notKnown;  // u
  double width = notKnown;  // opening − 2·radius: what the centres pass; not known at 0 or less
  std::array<double, sideCount> area{notKnown, notKnown};  // the area the centres reach per side
  std::vector<SpeciesEffusion> species;                    // those with discs, in order
  // The first two species present: their rates per unit density, the first's over the
  // second's, beside Graham's √(m₂/m₁).
  int ratioOf[2] = {0, 0};
  Estimate ratio;
  double ratioTheory = notKnown;
  // −Σ_sides N_side·Σ_s x_s·ln x_s now (k = 1), beside its most, −N·Σ_s X_s·ln X_s for the
  // whole gas's shares X_s; and its path since the path began.
  double entropy = notKnown, entropyMost = notKnown;
  std::vector<Point> entropyPath;
};

// Counts of each species (1..4) on each side.
using SideCounts = std::array<std::array<double, 5>, sideCount>;

// Watches each disc's side of x = 500 from tick to tick while a divider stands there.
class EffusionMeter {
 public:
  // Every disc's side is read afresh at the next tick (a new run, a count changed).
  void forgetSides() { side_.clear(); }
  void clearAverages();
  // The paths begin afresh after `tick` ticks.
  void restartPath(long tick);
  // `x` each centre less `radius`, species 1..4 per disc; only `averaging` ticks enter the
  // averages.
  void afterTick(std::span<const double> x, double radius, std::span<const int> species, int n,
                 bool averaging);
  // For the opening, the radius, the right wall's face, the gas's kT, each species' count and
  // mass.
  EffusionResults results(double opening, double radius, double rightX, double kT,
                          const std::array<int, 5>& counts,
                          const std::array<double, 5>& masses) const;

  static double mixingEntropy(const SideCounts& n);
  // The most mixingEntropy gives for these counts of each species in all: each side with the
  // whole gas's shares.
  static double mixingEntropyMost(const SideCounts& n);

 private:
  std::vector<signed char> side_;  // per disc, the last tick's; −1 before the first
  std::array<std::array<BinnedSeries, sideCount>, 5> crossings_, onSide_;
  std::array<std::array<BinnedSeries, sideCount>, 5> onSidePath_;
  BinnedSeries entropyPath_{512};
  SideCounts now_{};
};

}  // namespace km::lab
