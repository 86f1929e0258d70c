// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run_error.h"

namespace km {

// What the window says when "Run Simulation" refuses: one bullet per reason.
std::string cannotStartMessage(const std::vector<std::string>& reasons);

// What the window says when a run-time error stops the clock while `doing` something
// ("running the simulation").
std::string stoppedMessage(std::string_view doing, const RunError& error);

}  // namespace km
