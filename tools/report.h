#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "measure_options.h"
#include "summary.h"

namespace km::measure {

// "33.21 ± 0.05": the error to two significant digits and the value to the same place; four
// significant digits when there is no error; "—" when there is no value.
std::string measuredText(double value, double error);
std::string numberText(double value);

void writeTable(std::ostream& out, const Options& o, const lab::Results& r,
                const std::vector<lab::Row>& rows);
void writeJson(std::ostream& out, const Options& o, const lab::Results& r,
               const std::vector<lab::Row>& rows);
void writeCsv(std::ostream& out, const std::vector<lab::Row>& rows);

}  // namespace km::measure
