// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "cell.h"
#include "run_error.h"

namespace km {

// An array of cells with indices 0..Upper; any other index is SubscriptOutOfRange.
template <int Upper>
class CellArray {
 public:
  static constexpr int upper = Upper;

  Cell& operator()(int i) { return cells_[checked(i)]; }
  const Cell& operator()(int i) const { return cells_[checked(i)]; }
  Cell& operator()(const Cell& i) { return (*this)(i.toIndex()); }
  const Cell& operator()(const Cell& i) const { return (*this)(i.toIndex()); }
  // Unchecked, for loops whose range was checked once.
  const Cell* data() const { return cells_.data(); }

 private:
  static std::size_t checked(int i) {
    if (i < 0 || i > Upper) outOfRange(i);
    return static_cast<std::size_t>(i);
  }
  [[noreturn]] static void outOfRange(int i) {
    throw RunError(ErrorKind::SubscriptOutOfRange,
                   "index " + std::to_string(i) + " is outside 0.." + std::to_string(Upper));
  }
  std::array<Cell, Upper + 1> cells_{};
};

}  // namespace km
