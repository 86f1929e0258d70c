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
