// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <span>
#include <vector>

#include "series.h"

namespace km::lab {

// The temperature across the box and the heat it conducts between the side walls.
struct HeatResults {
  bool active = false;
  static constexpr int bins = 10;
  double width = notKnown;   // the width the centres reach, u
  std::vector<double> x;     // each bin's middle, u from where the left wall turns a centre
  std::vector<Estimate> kT;  // the discs' mean ½·m·v² in each bin, over the averaged ticks
  double slope = notKnown;   // dT/dx of the straight line through the bulk (the middle bins)
  double slopeError = notKnown;
  double intercept = notKnown;  // that line at x = 0
  // The line at each side wall's face less the wall's kT: the jumps that a gas of long free
  // paths shows at a wall; not known for a wall that reflects.
  double jumpLeft = notKnown, jumpRight = notKnown;
  Estimate flux;  // heat per tick per unit length carried in +x: the side walls' mean
  double kappa = notKnown, kappaError = notKnown;  // −flux / slope
  double kappaEnskog = notKnown;         // Enskog's, at the gas's η with Henderson's contact value
  double kappaDilute = notKnown;         // Chapman–Enskog's first approximation for dilute discs
  Estimate meanFreePath;                 // mean speed over collisions per disc per tick, u
  double meanFreePathDilute = notKnown;  // 1/(2·√2·n·σ)
  double meanFreePathEnskog = notKnown;  // the same over the contact value χ(η)
};

// Reads the discs across x after each averaged tick.
class HeatProfile {
 public:
  void clear();
  // `x`: each disc's centre less the radius (0 at the left wall's reach), `width` the width
  // its centres reach; `collisions` the pairs that met this tick.
  void afterTick(std::span<const double> x, std::span<const double> vx, std::span<const double> vy,
                 std::span<const double> mass, int n, double width, long collisions);
  // With the side walls' heat flows (per tick), their kT where thermal (else NaN), the length
  // the discs meet on them, σ, the area reached and the gas's kT and mean mass.
  HeatResults results(const Estimate& heatLeft, const Estimate& heatRight, double kTLeft,
                      double kTRight, double length, double sigma, double area, int n, double kT,
                      double mass) const;

 private:
  std::array<BinnedSeries, HeatResults::bins> kT_;
  BinnedSeries speedSum_, collisions_;
  double width_ = 0;
};

}  // namespace km::lab
