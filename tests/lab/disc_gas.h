// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "headless_run.h"

namespace km::lab::fixture {

// n discs of mass 1 and the given radius, the proximity their diameter, seed 3, every tick
// after the warm-up averaged.
inline GasSetup discGas(int n, double radius, CollisionRule rule = CollisionRule::Exact,
                        long warmup = 0) {
  GasSetup s;
  s.rows = {{std::to_string(n), "0", "0", "0"}, {"1", "1", "1", "1"}};
  s.radius = std::to_string(radius);
  s.proximity = std::to_string(2 * radius);
  s.rule = rule;
  s.seed = 3;
  s.warmup = warmup;
  s.ticks = 0;
  return s;
}

inline void run(HeadlessGas& gas, long ticks) {
  for (long t = 0; t < ticks; ++t)
    gas.step();
}

}  // namespace km::lab::fixture
