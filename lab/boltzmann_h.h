// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace km::lab {

// Boltzmann's H of the gas's velocities, tick by tick, from the reduced speeds
// u = |v|·√(m / kT) of the last span() ticks counted in rings of the reduced-velocity plane.
// Reduced velocities put every species on one Maxwellian, so H needs no species. The span
// holds about 16,000 speeds (32 to 512 ticks): fewer, and the count itself would lift H
// noticeably above the Maxwellian's.
class HTracker {
 public:
  static constexpr int rings = 24;
  static constexpr double ringWidth = 0.25;

  HTracker();
  void reset(int particles);
  // One tick's reduced speeds of particles 1..n (u[0] unused).
  void add(const std::vector<double>& u);
  // The same speeds of a tick of the averages, which enter averagedH() too.
  void addAveraged(const std::vector<double>& u);
  // Empties the speeds of the averages (they start afresh), the window kept.
  void restartAveraged() { averaged_.fill(0); }
  // H over the last `span` ticks (not known without a speed to count), and the same sum for a
  // Maxwellian in the same rings.
  double h() const;
  double maxwellian() const { return maxwellian_; }
  int span() const { return span_; }
  // The ticks behind h() (fewer than span() just after a reset) and the speeds counted.
  int held() const { return static_cast<int>(std::min<long>(ticks_, span_)); }
  long speeds() const { return inside_; }
  // H of every speed of the averages: a window of a few slow-changing discs' speeds is a small
  // sample, whose H lies above its distribution's; every speed averaged gives the distribution's.
  double averagedH() const;

 private:
  std::array<double, rings + 1> edges_{};
  std::array<long, rings> counts_{};
  std::array<long, rings> averaged_{};  // every speed of the averages
  long inside_ = 0;
  std::vector<std::uint8_t> past_;  // ring of each particle at each of the last `span` ticks
  int particles_ = 0;
  int span_ = 32;
  long ticks_ = 0;
  double maxwellian_ = 0;
};

}  // namespace km::lab
