// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "sweep.h"

namespace km::lab {

// The sweep as a CSV table: a header of column names (units in brackets where there are any),
// one row per packing fraction, numbers as plainNumber writes them, unknown values empty. With
// the settings that made it, each row also holds the discs, rule, warm-up and ticks.
std::string sweepCsv(const std::vector<SweepRow>& rows, const SweepSettings* settings = nullptr);

// What a sweep table tells of the settings that made it, each only where it does.
struct SweepTableSettings {
  int discs = 0;  // 0: not known; else from its column, or from a row's radius and η
  std::vector<double> etas;
  std::vector<std::uint32_t> seeds;  // every seed, held or refused, in increasing order
  long warmup = -1, ticks = -1;      // -1: not known
  std::string rule;                  // "exact" or "specified"; "" not known
};

// Reads a table that sweepCsv wrote, columns in any order: the rows, or none with `problem` set
// to why not, in words for the user. `settings`, if given, receives what the table tells of its
// settings.
std::vector<SweepRow> readSweepCsv(const std::string& text, std::string& problem,
                                   SweepTableSettings* settings = nullptr);

// A row as the Equation of state tab's table shows it: η, Z, the walls' first-order Z, the
// bulk's, η and Z of the interior, the bulk's there, and the runs with the seeds refused.
// Theory values keep four significant digits, trailing zeros too.
std::vector<std::string> sweepTableCells(const SweepRow& row);

}  // namespace km::lab
