// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "headless_run.h"
#include "run_limits.h"

namespace km::python {

// A value as Python gives it: a text taken as typed into the window's field, or a number.
using Given = std::variant<std::string, double>;

// The text the engine reads back as the same number: the shortest that round-trips, and
// "nan", "inf" or "-inf" for the values that are no number (which the checks then refuse).
std::string textOf(const Given& value);

// The ranges of the whole-number arguments.
constexpr long long seedLimit = 4294967295LL, drawsLimit = 1000000000LL,
                    warmupLimit = lab::maxWarmupTicks;

// A gas's arguments under their Python names.
struct GasArguments {
  std::vector<Given> counts, masses;  // four each, species 1..4
  Given radius, proximity, velRange;
  long long seed = 1;
  long long draws = 0;  // random numbers drawn from the seed before placing
  std::string rule;
  long long warmup = 1000;
  // The field toward the floor and the divider's opening, none when not given; each
  // species' side of the divider at placement: "left", "right" or "both".
  std::optional<double> gravity, divider;
  std::vector<std::string> sides{"both", "both", "both", "both"};
};

// The setup the arguments describe (0 ticks: averages over every tick after the warm-up).
// Throws std::invalid_argument naming every bad argument at once, each with the reason "Run
// Simulation" gives, e.g. 'counts[1]: The count of species 2 is "-1"; it must be a number of
// 0 or more.'
lab::GasSetup gasSetup(const GasArguments& a);

CollisionRule ruleOf(const std::string& rule);  // std::invalid_argument unless specified|exact
const char* ruleName(CollisionRule rule);

// Throws std::invalid_argument with the problems one a line, when there are any.
void refuseIfAny(const std::vector<std::string>& problems);

// A whole number within bounds, else std::invalid_argument naming the argument.
long long wholeIn(const char* name, long long value, long long low, long long high);

}  // namespace km::python
