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
// Runs it: see lab::runGas.
Outcome run(const Options& o, const Control& control = {});

}  // namespace km::measure
