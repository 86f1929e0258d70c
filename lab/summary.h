// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "laboratory.h"

namespace km::lab {

// The seed and draws that place a run's gas again, in words with kinetic-measure's options.
std::string runSeedText(RunSeed seed);
// The Integrity tab's words on discs beyond the walls: over the run, then now.
std::string escapeText(const Results& r);

// One measured quantity beside its theory, as a report prints it.
struct Row {
  std::string section;  // "temperature", "distributions", "pressure", ...
  std::string key;      // machine name, e.g. "kT_ratio.species2"
  std::string label;    // words for a reader
  std::string unit;
  double value = notKnown;
  double error = notKnown;
  bool hasError = false;  // an estimate with an error bar, rather than a plain figure
  double theory = notKnown;
  std::string theoryName;
  double theory2 = notKnown;
  std::string theory2Name;
};

// "33.21 ± 0.05": the error to two significant digits and the value to the same place; four
// significant digits when there is no error; "—" when there is no value.
std::string measuredText(double value, double error);
std::string numberText(double value);

// Why the averages hold nothing yet, in words for the user ("" when they hold data): no run,
// no discs, the warm-up, or a gas with no motion.
std::string waitingText(const Results& r);
// Why there is no pressure, Z or density profile when the radius leaves the centres no room
// between the walls; "" when it leaves some.
std::string noRoomText(const Results& r);
// The same in brief, for a chart that shows nothing for it.
std::string noRoomNotice(const Results& r);

// What H now is taken over, and its value: "H over the last 372 ticks, 15996 speeds: −2.80".
std::string hWindowText(const Results& r);

// Every measurement of the results, in the order of a report.
std::vector<Row> summarize(const Results& r);

// The gas laws' processes, one group of rows each in section "gas laws", keyed
// "gas_law<k>." with k the process's row of the Gas laws tab (from 1), then the names of
// Python's gas_laws(): start.pressure … start.invariant, end.…, measured, work, heat, complete.
// The invariant rows have the law's value beside them, the end measured the ideal gas's and
// the hard discs' predictions. Not part of summarize(): a run's flat row has fixed columns.
std::vector<Row> gasLawSummary(const std::vector<GasLawRow>& rows);

// The columns of any run's flat row, in order: KEY, KEY:error where the quantity has an error
// bar, KEY:NAME for each theory beside it; for four species and both rules, so that rows of
// different gases line up.
std::vector<std::string> rowColumns();

}  // namespace km::lab
