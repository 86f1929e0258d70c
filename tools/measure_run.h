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

// Runs the gas the options describe, headless, through its warm-up and measured ticks, and
// returns the laboratory's results. `progress(done, total)` is called now and then. A run-time
// error of the model is thrown as RunError; a gas that does not fit under the exact rule as
// Refused.
lab::Results run(const Options& o, const std::function<void(long, long)>& progress = {});

}  // namespace km::measure
