// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "headless_run.h"
#include "input_check.h"
#include "report_json.h"

namespace km::measure {

enum class Format { Table, Json, Csv };

// What kinetic-measure runs: the window's fields, the ticks, the seed and the output form.
struct Options {
  RunInput input{SpeciesTexts{{"32", "8", "2", "1"}, {"1", "4", "16", "64"}}, "12", "20"};
  std::string proximity = "24";
  std::string rule = "specified";
  long warmup = 1000;  // ticks before the averages begin
  long ticks = 10000;  // ticks averaged
  std::uint32_t seed = 1;
  std::uint64_t draws = 0;  // random numbers drawn from the seed before the placement
  lab::WallSetup walls;     // --wall-temperature, --move-wall, --piston, --gravity, --divider
  std::array<StartSide, 4> sides{};  // --sides
  // --gas-law: the process 0..4 (lab::gasLawNames) started when the warm-up ends; the run then
  // lasts until it leaves its row. -1: none.
  int gasLaw = -1;
  Format format = Format::Table;
  bool help = false;

  // --sweep: the equation of state over packing fractions, one species.
  bool sweep = false;
  int discs = 500;  // with --sweep, the first count when --counts is given
  std::vector<double> etas{0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7};
  std::vector<std::uint32_t> seeds;  // with --sweep; empty: --seed alone
  int jobs = 0;                      // runs at once; 0: one per core
  bool ruleGiven = false, countsGiven = false;
};

// The numbers the run reads from the typed texts (NaN for a text that is no number).
using lab::RunNumbers;
RunNumbers runNumbers(const Options& o);

struct Parsed {
  Options options;
  std::vector<std::string> problems;  // each a sentence for the user; empty when all is well
};

// Reads the command line (without the program's name). Counts, masses, radius and velocity
// range are judged as "Run Simulation" judges them, except with --help; unknown options,
// arguments that are no option and bad option values are problems with --help too.
Parsed parseOptions(const std::vector<std::string>& args);

extern const char* const usage;

}  // namespace km::measure
