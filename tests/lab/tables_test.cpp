// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <sstream>

#include "report_json.h"
#include "summary.h"
#include "tables.h"
#include "theory.h"

namespace km::lab {
namespace {

// Where the fluid meets the hexatic phase the report gives no fluid value and says why; below
// it the bulk fluid stands beside Z, and the repeats are named for the rule that made them.
TEST(Summary, TheFluidHexaticRegionIsSaidAndRepeatsNamedByRule) {
  Results r;
  r.running = true;
  r.eta = 0.72;
  r.zBulk = theory::bulkZ(r.eta);
  r.Z = {8.6, 0.01, 100, 20};
  r.etaInterior = {0.66, 0.001, 10, 20};
  r.zBulkInterior = theory::bulkZ(r.etaInterior.value);
  r.exactRule = true;
  std::map<std::string, Row> rows;
  for (const Row& row : summarize(r))
    rows[row.key] = row;
  EXPECT_NE(rows["Z"].label.find("no fluid equation applies"), std::string::npos);
  EXPECT_TRUE(std::isnan(rows["Z"].theory2));
  EXPECT_EQ(rows["Z_interior"].label.find("hexatic"), std::string::npos);
  EXPECT_DOUBLE_EQ(rows["Z_interior"].theory, theory::bulkZ(0.66));
  EXPECT_EQ(rows.count("bound_share"), 0u);
  EXPECT_NE(rows["repeat_share"].label.find("not binding"), std::string::npos);
  r.exactRule = false;
  rows.clear();
  for (const Row& row : summarize(r))
    rows[row.key] = row;
  EXPECT_EQ(rows.count("repeat_share"), 0u);
  EXPECT_NE(rows["bound_share"].label.find("bound-pair"), std::string::npos);
}

// Every text a user can type reaches the JSON as a string that reads back to it: quotes,
// backslashes and control characters escaped, everything else (UTF-8 included) as it is.
// The export's summary ends with a group of rows for each process run, numbered as the Gas
// laws tab's rows; a process that did not reach its end leaves its end's values not known.
TEST(Summary, TheExportEndsWithEachGasLawsRows) {
  Results r;
  r.running = true;
  auto summary = [&] {
    for (const auto& [name, text] : exportedFiles(r, History{}))
      if (name == "summary.csv") return text;
    return std::string();
  };
  EXPECT_EQ(summary().find("gas law"), std::string::npos);
  GasLawRow boyle;
  boyle.process = 0;
  boyle.name = "Boyle";
  boyle.invariant = "P·A/(N·Z)";
  boyle.quantity = "P";
  boyle.ending = "the wall arrived";
  boyle.complete = true;
  boyle.start.pressure = {0.02, 0.001, 10, 20};
  boyle.end.pressure = {0.043, 0.002, 10, 20};
  boyle.expected = 30;
  boyle.end.invariant = {30.5, 0.4, 10, 20};
  boyle.measured = 0.043;
  boyle.ideal = 0.04;
  boyle.hardDisc = 0.0428;
  GasLawRow stopped;
  stopped.process = 4;
  stopped.name = "free expansion";
  stopped.quantity = "kT";
  stopped.ending = "ended early: heat species 1 × 2";
  r.gasLaws = {boyle, stopped};
  const std::string csv = summary();
  const std::size_t first = csv.find("\ngas laws,gas_law1.complete,");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(csv.find("\ngas laws,"), first) << "after every other row";
  EXPECT_NE(csv.find("gas laws,gas_law1.end.pressure,\"1: Boyle, end: P, all four walls\","
                     "amu/tick^2,0.043,0.002,"),
            std::string::npos);
  EXPECT_NE(csv.find("gas laws,gas_law1.end.invariant,\"1: Boyle, end: invariant P·A/(N·Z)\","
                     "amu*u^2/tick^2,30.5,0.4,30,law's value,,"),
            std::string::npos);
  EXPECT_NE(csv.find("gas laws,gas_law1.measured,\"1: Boyle, end measured: P\",amu/tick^2,0.043,"
                     "0.002,0.04,ideal,0.0428,hard discs\n"),
            std::string::npos);
  // The free expansion's end value is a single tick's kT: no error, here not known at all.
  EXPECT_NE(csv.find("gas laws,gas_law2.measured,\"2: free expansion, end measured: kT\","
                     "amu*u^2/tick^2,,,,ideal,,hard discs\n"),
            std::string::npos);
  EXPECT_NE(csv.find("gas_law2.complete,\"2: free expansion, both ends measured (1 yes, 0 no); "
                     "ending: ended early: heat species 1 × 2\",,0,"),
            std::string::npos);
}

TEST(JsonString, EscapesWhatJsonMust) {
  const struct {
    std::string text, json;
  } table[] = {
      {"", R"("")"},
      {"plain 12", R"("plain 12")"},
      {R"(C:\gas\run)", R"("C:\\gas\\run")"},
      {R"(\)", R"("\\")"},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(\")", R"("\\\"")"},
      {"tab\there", R"("tab\u0009here")"},
      {"line\nbreak\r", R"("line\u000abreak\u000d")"},
      {std::string("nul\0end", 7), R"("nul\u0000end")"},
      {"\x1f\x7f", "\"\\u001f\x7f\""},
      {"η ≥ 0.70 ± σ", R"("η ≥ 0.70 ± σ")"},
  };
  for (const auto& row : table)
    EXPECT_EQ(jsonString(row.text), row.json) << row.text;
}

TEST(PlainNumber, ShortestTextThatReadsBack) {
  using limits = std::numeric_limits<double>;
  const std::vector<std::pair<double, std::string>> cases = {
      {0, "0"},
      {-0.0, "-0"},
      {2040, "2040"},
      {100000, "100000"},
      {-35, "-35"},
      {4294967295, "4294967295"},
      {1e15, "1000000000000000"},
      {9007199254740992, "9007199254740992"},
      {1e16, "1e+16"},
      {1e21, "1e+21"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {1.0 / 3, "0.3333333333333333"},
      {1.2131064633119797, "1.2131064633119797"},
      {0.0012804, "0.0012804"},
      {1e-5, "1e-05"},
      {1e-300, "1e-300"},
      {limits::denorm_min(), "5e-324"},
      {limits::max(), "1.7976931348623157e+308"},
      {-limits::max(), "-1.7976931348623157e+308"},
      {limits::quiet_NaN(), ""},
      {limits::infinity(), ""},
      {-limits::infinity(), ""},
  };
  for (const auto& [v, text] : cases)
    EXPECT_EQ(plainNumber(v), text) << v;
}

// Whatever the double, strtod of its text gives it back bit for bit.
TEST(PlainNumber, EveryTextReadsBackToItsDouble) {
  std::mt19937_64 gen(20240517);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_int_distribution<long long> whole(-10'000'000'000LL, 10'000'000'000LL);
  auto check = [](double v) {
    const std::string text = plainNumber(v);
    ASSERT_FALSE(text.empty()) << v;
    const double back = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << text;
  };
  for (int k = 0; k < 2000; ++k) {
    std::uint64_t bits = gen();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v);
    check(unit(gen) * std::pow(10.0, exponent(gen)));
    check(static_cast<double>(whole(gen)));
  }
}

// Every unit the reports write, in the rows and in the CSV headers, is plain ASCII of one
// notation ("amu*u^2/tick^2"), and a quantity has the same unit in every table.
TEST(Units, OneAsciiFormInEveryTable) {
  Results r;
  r.species.resize(2);
  r.species[0].species = 1;
  r.species[1].species = 3;
  r.lags = {1, 2};
  auto ascii = [](const std::string& unit) {
    return unit.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789*/^") == std::string::npos;
  };
  std::map<std::string, std::string> unitOf, columnUnit;  // by row key, by column name
  for (const Row& row : summarize(r)) {
    EXPECT_TRUE(ascii(row.unit)) << row.key << " [" << row.unit << "]";
    unitOf[row.key] = row.unit;
  }
  for (int process = 0; process < 5; ++process) {
    GasLawRow g;
    g.process = process;
    g.quantity = process == 1 ? "A" : process == 3 || process == 4 ? "kT" : "P";
    for (const Row& row : gasLawSummary({g}))
      EXPECT_TRUE(ascii(row.unit)) << row.key << " [" << row.unit << "]";
  }
  int columns = 0;
  for (const std::string& csv : {timeSeriesCsv(History{}), histogramsCsv(r), msdCsv(r)}) {
    std::istringstream header(csv.substr(0, csv.find('\n')));
    std::string column;
    while (std::getline(header, column, ',')) {
      const auto open = column.find(" [");
      if (open == std::string::npos) continue;
      ASSERT_EQ(column.back(), ']') << column;
      const std::string unit = column.substr(open + 2, column.size() - open - 3);
      EXPECT_TRUE(ascii(unit)) << column;
      columnUnit[column.substr(0, open)] = unit;
      ++columns;
    }
  }
  EXPECT_GT(columns, 15);
  EXPECT_EQ(unitOf["kT.gas"], columnUnit["kT_gas"]);
  EXPECT_EQ(unitOf["kT.species3"], columnUnit["kT_species3"]);
  EXPECT_EQ(unitOf["energy.now"], columnUnit["energy"]);
  EXPECT_EQ(unitOf["exchanges"], columnUnit["exchanges"]);
  EXPECT_EQ(unitOf["kT.gas"], "amu*u^2/tick^2");
  EXPECT_EQ(unitOf["D.species1"], "u^2/tick");
  EXPECT_EQ(unitOf["pressure"], "amu/tick^2");
  EXPECT_EQ(unitOf["momentum.x"], "amu*u/tick");
}

}  // namespace
}  // namespace km::lab
