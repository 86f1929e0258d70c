// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "sweep.h"

namespace km::lab {

// The sweep as a CSV table: a header of column names (units in brackets where there are any),
// one row per packing fraction, numbers as plainNumber writes them, unknown values empty.
std::string sweepCsv(const std::vector<SweepRow>& rows);

// Reads a table that sweepCsv wrote, columns in any order: the rows, or none with `problem` set
// to why not, in words for the user.
std::vector<SweepRow> readSweepCsv(const std::string& text, std::string& problem);

}  // namespace km::lab
