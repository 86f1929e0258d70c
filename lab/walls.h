// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <vector>

#include "boundaries.h"
#include "series.h"

namespace km::lab {

// What the walls did, when they do more than reflect from fixed places: the area the centres
// reach, the pressure on each wall, and the energy that crossed them.
struct WallResults {
  bool active = false;
  double area = notKnown;           // (X − 2r)·(1000 − 2r) now, u²
  double rightX = notKnown;         // the right wall's face now
  double rightVelocity = notKnown;  // u/tick
  bool piston = false;
  double outsidePressure = notKnown;         // the piston's P_ext
  std::array<Estimate, wallCount> pressure;  // per wall, force per unit of the length met
  Estimate pressureAll;                      // all four walls' impulse over their lengths met
  Estimate z;                                // P·A/(N·kT), over the averaged ticks
  std::array<Estimate, wallCount> heatFlow;  // energy each thermal wall gives the gas per tick
  // Since the start of the run or the last experiment: the energy the walls gave the gas.
  double work = 0, externalWork = 0;
  std::array<double, wallCount> heat{};
  // The gas's energy now less its energy at the start and what the walls gave it, over the
  // energy at the start: rounding under the exact rule.
  double unaccounted = notKnown;
  // Tick by tick since then (warm-up included), in bins: the area, the pressure on all four
  // walls, the gas's kT, and each wall's heat flow.
  std::vector<Point> areaPath, pressurePath, kTPath;
  std::array<std::vector<Point>, wallCount> heatFlowPath;
};

// Reads the walls' tally after every tick, as the laboratory reads the gas.
class WallMeter {
 public:
  // From now on (after `tick` ticks of the run) the energy the walls give is counted afresh,
  // and their path drawn afresh (the run's start, an experiment).
  void markEnergy(const Boundaries& b, long tick = 0);
  void clearAverages();
  // The path is drawn afresh from now on, after `tick` ticks (an experiment with the walls).
  void restartPath(long tick);
  // After a tick of `n` discs at the gas's kT; `averaging` for the ticks the averages take.
  void afterTick(const Boundaries& b, double radius, int n, double kT, bool averaging);
  WallResults results(const Boundaries& b, double radius, double energy,
                      double energyAtStart) const;
  // P·A/(N·kT) of the last tick.
  double zNow() const { return zNow_; }

 private:
  double zNow_ = notKnown;
  WallTally last_, marked_;
  std::array<BinnedSeries, wallCount> pressure_, heatFlow_;
  BinnedSeries pressureAll_, pa_, nkT_;
  BinnedSeries areaPath_{512}, pressurePath_{512}, kTPath_{512};
  std::array<BinnedSeries, wallCount> heatFlowPath_{BinnedSeries(512), BinnedSeries(512),
                                                    BinnedSeries(512), BinnedSeries(512)};
};

}  // namespace km::lab
