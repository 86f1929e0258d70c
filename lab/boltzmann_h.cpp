// SPDX-License-Identifier: GPL-3.0-or-later
#include "boltzmann_h.h"

#include <algorithm>
#include <limits>

#include "theory.h"

namespace km::lab {
namespace {
constexpr std::uint8_t outside = 255;
}

HTracker::HTracker() {
  for (int k = 0; k <= rings; ++k)
    edges_[static_cast<std::size_t>(k)] = k * ringWidth;
  maxwellian_ = theory::maxwellianH(edges_);
}

void HTracker::reset(int particles) {
  particles_ = std::max(particles, 0);
  span_ = std::clamp(16000 / std::max(particles_, 1), 32, 512);
  past_.assign(static_cast<std::size_t>(particles_) * static_cast<std::size_t>(span_), outside);
  counts_.fill(0);
  averaged_.fill(0);
  inside_ = 0;
  ticks_ = 0;
}

void HTracker::addAveraged(const std::vector<double>& u) {
  for (int i = 1; i <= particles_ && static_cast<std::size_t>(i) < u.size(); ++i) {
    const double k = u[static_cast<std::size_t>(i)] / ringWidth;
    if (k >= 0 && k < rings) ++averaged_[static_cast<std::size_t>(k)];
  }
}

void HTracker::add(const std::vector<double>& u) {
  const std::size_t row =
      static_cast<std::size_t>(ticks_ % span_) * static_cast<std::size_t>(particles_);
  for (int i = 1; i <= particles_; ++i) {
    std::uint8_t& ring = past_[row + static_cast<std::size_t>(i - 1)];
    if (ring != outside) {
      --counts_[ring];
      --inside_;
    }
    const double k =
        static_cast<std::size_t>(i) < u.size() ? u[static_cast<std::size_t>(i)] / ringWidth : -1;
    ring = k >= 0 && k < rings ? static_cast<std::uint8_t>(k) : outside;
    if (ring != outside) {
      ++counts_[ring];
      ++inside_;
    }
  }
  ++ticks_;
}

namespace {

template <class Counts>
double hOf(const Counts& counts, const std::array<double, HTracker::rings + 1>& edges) {
  double all = 0;
  for (long c : counts)
    all += static_cast<double>(c);
  if (all == 0) return std::numeric_limits<double>::quiet_NaN();
  std::array<double, HTracker::rings> p{};
  for (std::size_t k = 0; k < p.size(); ++k)
    p[k] = static_cast<double>(counts[k]) / all;
  return theory::hFromRings(edges, p);
}

}  // namespace

double HTracker::h() const {
  return hOf(counts_, edges_);
}

double HTracker::averagedH() const {
  return hOf(averaged_, edges_);
}

}  // namespace km::lab
