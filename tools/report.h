// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "measure_options.h"
#include "measure_run.h"
#include "summary.h"
#include "sweep.h"

namespace km::measure {

// The rows a run reports: the laboratory's summary, then, with --gas-law, the process's row.
std::vector<lab::Row> reportRows(const Options& o, const Outcome& run);

// A run stopped early says after how many ticks: a line of the table, "interrupted_after" in
// the JSON settings (null for a whole run).
void writeTable(std::ostream& out, const Options& o, const Outcome& run,
                const std::vector<lab::Row>& rows);
void writeJson(std::ostream& out, const Options& o, const Outcome& run,
               const std::vector<lab::Row>& rows);
void writeCsv(std::ostream& out, const std::vector<lab::Row>& rows);

// The equation-of-state sweep: a table of one row per packing fraction, as JSON, or as the
// CSV that the laboratory window loads. `stopped` marks a sweep ended early.
void writeSweepTable(std::ostream& out, const Options& o, const std::vector<lab::SweepRow>& rows,
                     bool stopped);
void writeSweepJson(std::ostream& out, const Options& o, const std::vector<lab::SweepRow>& rows,
                    bool stopped);

}  // namespace km::measure
