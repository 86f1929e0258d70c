// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace km {

// Particles ordered by x at the start of a tick, so that the pair test of particle i can visit
// only the later particles whose x lies within reach instead of all of them. Fixed storage:
// nothing is allocated per tick.
class SweepIndex {
 public:
  static constexpr int capacity = 501;

  // Orders particles first..last by key(j). Starting from the previous order, which is nearly
  // right after one tick, an insertion sort costs little more than a pass.
  template <class Key>
  void sort(int first, int last, Key key) {
    if (first != first_ || last != last_) {
      first_ = first;
      last_ = last;
      count_ = std::max(0, last - first + 1);
      for (int k = 0; k < count_; ++k)
        index_[k] = first + k;
    }
    for (int k = 0; k < count_; ++k)
      key_[k] = key(index_[k]);
    for (int k = 1; k < count_; ++k) {
      const double x = key_[k];
      const int j = index_[k];
      int m = k;
      for (; m > 0 && key_[m - 1] > x; --m) {
        key_[m] = key_[m - 1];
        index_[m] = index_[m - 1];
      }
      key_[m] = x;
      index_[m] = j;
    }
  }

  // Calls visit(j) in increasing j for every j > i whose key lies within reach of x. When more
  // than `most` keys lie in reach it visits nothing and returns false, for a plain scan to do.
  template <class Visit>
  bool visitNear(int i, double x, double reach, int most, Visit visit) const {
    const double* begin = key_.data();
    const double* end = begin + count_;
    const double* lo = std::lower_bound(begin, end, x - reach);
    const double* hi = std::upper_bound(lo, end, x + reach);
    if (hi - lo > most) return false;
    // A bit per particle, read back word by word, gives the increasing order without a sort.
    std::array<std::uint64_t, (capacity + 63) / 64> near{};
    for (const double* k = lo; k < hi; ++k) {
      const int j = index_[static_cast<std::size_t>(k - begin)];
      if (j > i) near[static_cast<std::size_t>(j >> 6)] |= std::uint64_t{1} << (j & 63);
    }
    for (std::size_t w = 0; w < near.size(); ++w)
      for (std::uint64_t bits = near[w]; bits != 0; bits &= bits - 1)
        visit(static_cast<int>(w * 64) + std::countr_zero(bits));
    return true;
  }

  // A reach that holds every key whose difference from x, as rounded, is below `distance`.
  static double reachFor(double x, double distance) {
    return distance * (1 + 1e-9) + (std::fabs(x) + std::fabs(distance)) * 1e-15 + 1e-300;
  }

 private:
  std::array<double, capacity> key_{};
  std::array<int, capacity> index_{};
  int first_ = 0;
  int last_ = -1;
  int count_ = 0;
};

}  // namespace km
