// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "laboratory.h"
#include "simulation.h"

namespace km::lab {

// A gas to run without a window: the texts of the window's fields, the rule, the seed of the
// placement, and the ticks of warm-up and of averaging.
struct GasSetup {
  SpeciesTexts rows{{"32", "8", "2", "1"}, {"1", "4", "16", "64"}};
  std::string radius = "12", proximity = "24", velocityRange = "20";
  CollisionRule rule = CollisionRule::Specified;
  std::uint32_t seed = 1;
  long warmup = 1000, ticks = 10000;
};

// A gas the engine will not run as asked (too dense to separate under the exact rule): refused
// input, with the engine's reason.
class Refused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a caller may do while a run goes.
struct Control {
  std::function<bool()> stop;                // asked before every tick; true ends the run there
  std::function<void(long, long)> progress;  // after every tick: ticks done, ticks in all
};

struct Outcome {
  Results results;
  long total = 0;        // warm-up and measured ticks asked for
  bool stopped = false;  // ended by Control::stop after results.ticks ticks
};

// Places the gas as "Run Simulation" would, with the seed given whatever the time of day, runs
// it through its warm-up and measured ticks, or until `control.stop` says so, and returns the
// laboratory's results. A run-time error of the model is thrown as RunError; a gas that does not
// fit under the exact rule as Refused. The same setup gives the same results, bit for bit.
Outcome runGas(const GasSetup& setup, const Control& control = {});

}  // namespace km::lab
