// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "laboratory.h"
#include "summary.h"

namespace km::lab {

// The laboratory's data as CSV tables, each with a header row of column names with their
// units in brackets, one row per line, numbers as plainNumber writes them, unknown values empty.

// The shortest text that reads back to the same double ("0.1", "1e-300"), whole numbers below
// 2^53 in plain digits ("2040"); empty when the number is not finite.
std::string plainNumber(double v);

// tick, kT of the gas and of each species, Z, exchanges, new contacts, bound share, energy, H:
// one row per bin of the history (the bin's middle tick; each value the bin's mean).
std::string timeSeriesCsv(const History& h);
// tick, event.
std::string eventsCsv(const History& h);
// species, quantity (speed, vx or vy), bin centre, measured and theory density, KS distance.
std::string histogramsCsv(const Results& r);
// Every measurement beside its theory: section, key, quantity, unit, value, error, theory and
// its name, a second theory and its name.
std::string summaryCsv(const std::vector<Row>& rows);
// lag, then the mean-squared displacement of particle 1 and of each species.
std::string msdCsv(const Results& r);

// The five files the laboratory exports, each (file name, text), in the order it writes them.
std::vector<std::pair<std::string, std::string>> exportedFiles(const Results& r, const History& h);
// Writes them into the folder, each whole or not at all: one line per file not written, its
// name and the system's reason; "" when all five were written.
std::string exportInto(const std::string& folder, const Results& r, const History& h);

}  // namespace km::lab
