// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <vector>

namespace km::lab {

// Where the centres are against the walls: the number density of each species' centres
// against their distance from the nearest wall, and the number of centres in the interior,
// far enough from every wall that the layers the walls impose have died away.
class WallProfile {
 public:
  // Bins per length unit, and the interior's distance from every wall in length units: in a
  // hard-disc fluid the layers at a wall fade within three or four diameters even near
  // freezing.
  static constexpr int binsPerUnit = 10;
  static constexpr double interiorUnits = 4;
  static constexpr int mostBins = 2000;
  // The laboratory counts the centres every this many ticks: they move little in one.
  static constexpr int everyTicks = 4;

  // side: of the square the centres reach; unit: the length that sets the bins and the
  // interior, the collision proximity σ (or another length where σ is 0).
  void reset(double side, double unit);
  // One tick's centres, measured from the corner of the centres' square (0..side); species
  // 1..4 of each. Returns how many lie in the interior.
  int add(const std::vector<double>& x, const std::vector<double>& y,
          const std::vector<int>& species, int n);

  long ticks() const { return ticks_; }
  double binWidth() const { return width_; }
  int bins() const { return bins_; }
  double interiorFrom() const { return interiorFrom_; }
  // Area of the interior, (side − 2·interiorFrom)²; 0 when the box has none.
  double interiorArea() const;
  // The mean number density of a species' centres at each distance, over `perArea`: with
  // perArea its count over side², 1 where the walls make no difference.
  std::vector<double> density(int species, double perArea) const;

 private:
  double side_ = 0, width_ = 1, interiorFrom_ = 0, scale_ = 1;
  int bins_ = 0;
  long ticks_ = 0;
  std::array<std::vector<long>, 5> counts_;  // species 1..4
};

}  // namespace km::lab
