// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <stdexcept>

#include "laboratory.h"
#include "measure_options.h"

namespace km::measure {

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
  lab::Results results;
  long total = 0;        // warm-up and measured ticks asked for
  bool stopped = false;  // ended by Control::stop after results.ticks ticks
};

// Runs the gas the options describe, headless, through its warm-up and measured ticks, or
// until `control.stop` says so, and returns the laboratory's results. A run-time error of the
// model is thrown as RunError; a gas that does not fit under the exact rule as Refused.
Outcome run(const Options& o, const Control& control = {});

}  // namespace km::measure
