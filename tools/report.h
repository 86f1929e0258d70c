// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "measure_options.h"
#include "measure_run.h"
#include "summary.h"

namespace km::measure {

// A run stopped early says after how many ticks: a line of the table, "interrupted_after" in
// the JSON settings (null for a whole run).
void writeTable(std::ostream& out, const Options& o, const Outcome& run,
                const std::vector<lab::Row>& rows);
void writeJson(std::ostream& out, const Options& o, const Outcome& run,
               const std::vector<lab::Row>& rows);
void writeCsv(std::ostream& out, const std::vector<lab::Row>& rows);

}  // namespace km::measure
