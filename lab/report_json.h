// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "input_check.h"
#include "summary.h"

namespace km::lab {

// How a measured run was set up: the texts as typed, the rule, the seed, and the warm-up in
// force and the ticks in the averages (after an experiment, those since it).
struct RunSettings {
  RunInput input{SpeciesTexts{{"32", "8", "2", "1"}, {"1", "4", "16", "64"}}, "12", "20"};
  std::string proximity = "24";
  std::string rule = "specified";  // "specified" or "exact"
  std::uint64_t seed = 1;
  std::uint64_t draws = 0;  // random numbers drawn from the seed before the placement
  long warmup = 1000, ticks = 10000;
};

// The numbers the run reads from the typed texts (NaN for a text that is no number).
struct RunNumbers {
  std::array<double, 4> counts{};  // as the set-up keeps them: 15 significant digits
  std::array<double, 4> masses{};  // amu
  double radius = 0, proximity = 0, velocityRange = 0;
};
RunNumbers runNumbers(const RunInput& input, const std::string& proximity);

// A number as JSON writes it: the shortest text that reads back to it, null when not finite.
std::string jsonNumber(const double& v);
// A string in quotes, with quotes, backslashes and control characters escaped.
std::string jsonString(const std::string& s);

// The measurements as one JSON object: the settings (numbers read and texts typed) and one
// object per row. `interruptedAfter` is the ticks run before a stop, or negative for a whole run.
void writeJson(std::ostream& out, const RunSettings& s, const Results& r, long interruptedAfter,
               const std::vector<Row>& rows);

}  // namespace km::lab
