// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "headless_run.h"
#include "measure_options.h"

namespace km::measure {

using lab::Control;
using lab::Outcome;
using lab::Refused;

// The gas the options describe, as a headless run takes it.
lab::GasSetup setupOf(const Options& o);
// Runs it: see lab::runGas. With a gas law, the process starts when the warm-up ends and the
// run lasts until it leaves its row; Outcome::total is then the ticks run, or 0 when stopped
// before (there is no knowing how many it would have taken).
Outcome run(const Options& o, const Control& control = {});

}  // namespace km::measure
