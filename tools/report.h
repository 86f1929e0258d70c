// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "measure_options.h"
#include "summary.h"

namespace km::measure {

void writeTable(std::ostream& out, const Options& o, const lab::Results& r,
                const std::vector<lab::Row>& rows);
void writeJson(std::ostream& out, const Options& o, const lab::Results& r,
               const std::vector<lab::Row>& rows);
void writeCsv(std::ostream& out, const std::vector<lab::Row>& rows);

}  // namespace km::measure
