// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <sstream>

#include "bits.h"
#include "fakes.h"
#include "measure_options.h"
#include "measure_run.h"
#include "report.h"

namespace km::measure {
namespace {

Parsed parse(std::vector<std::string> args) {
  return parseOptions(args);
}

TEST(MeasureOptions, ReadsEveryOption) {
  const Parsed p = parse({"--counts",   "200,0,0,0",   "--masses=1,1,1,1",
                          "--radius",   "10",          "--proximity",
                          "20",         "--vel-range", "30",
                          "--rule",     "exact",       "--warmup",
                          "0",          "--ticks",     "5",
                          "--seed",     "4294967295",  "--draws",
                          "1000000000", "--format",    "csv"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  const Options& o = p.options;
  EXPECT_EQ(o.input.rows.counts[0], "200");
  EXPECT_EQ(o.input.rows.masses[3], "1");
  EXPECT_EQ(o.input.radius, "10");
  EXPECT_EQ(o.proximity, "20");
  EXPECT_EQ(o.input.velocityRange, "30");
  EXPECT_EQ(o.rule, "exact");
  EXPECT_EQ(o.warmup, 0);
  EXPECT_EQ(o.ticks, 5);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_EQ(o.draws, 1000000000u);
  EXPECT_EQ(o.format, Format::Csv);
  EXPECT_TRUE(parse({"--help"}).options.help);
}

TEST(MeasureOptions, RefusesWhatRunSimulationRefusesAndMore) {
  const std::vector<std::vector<std::string>> bad = {{"--counts", "1,2,3"},
                                                     {"--counts", "1,2,3,4,5"},
                                                     {"--counts", "400,200,0,0"},
                                                     {"--masses", "0.05,4,16,64"},
                                                     {"--radius", "-5"},
                                                     {"--vel-range", "x"},
                                                     {"--proximity", ""},
                                                     {"--rule", "fast"},
                                                     {"--ticks", "0"},
                                                     {"--ticks", "12x"},
                                                     {"--warmup", "-1"},
                                                     {"--seed", "4294967296"},
                                                     {"--draws", "-1"},
                                                     {"--draws", "1000000001"},
                                                     {"--draws", "2.5"},
                                                     {"--format", "xml"},
                                                     {"--radius"},
                                                     {"--frobnicate"}};
  for (const auto& args : bad)
    EXPECT_FALSE(parse(args).problems.empty()) << args[0] << " " << args.back();
  // An argument that is no option is refused, with --help as without.
  const std::vector<std::pair<std::vector<std::string>, std::string>> stray = {
      {{"extra"}, "extra"},
      {{"--help", "extra"}, "extra"},
      {{"extra", "--help"}, "extra"},
      {{"-"}, "-"},
      {{"--ticks", "5", "7"}, "7"}};
  for (const auto& [args, word] : stray) {
    const Parsed p = parse(args);
    ASSERT_EQ(p.problems.size(), 1u) << word;
    EXPECT_EQ(p.problems[0], "unexpected argument \"" + word + "\"");
  }
  // Every problem is told, not only the first.
  EXPECT_EQ(parse({"--radius", "-5", "--ticks", "0", "--format", "xml"}).problems.size(), 3u);
}

TEST(MeasureOptions, AGasLawIsOneOfTheFiveByTheNamesPythonTakes) {
  for (std::size_t k = 0; k < lab::gasLawNames.size(); ++k) {
    const Parsed p = parse({"--gas-law", std::string(lab::gasLawNames[k])});
    ASSERT_TRUE(p.problems.empty()) << p.problems.front();
    EXPECT_EQ(p.options.gasLaw, static_cast<int>(k));
  }
  EXPECT_EQ(parse({}).options.gasLaw, -1);
  const std::string names =
      "\"Boyle\", \"Charles\", \"Gay-Lussac\", \"adiabat\", \"free expansion\"";
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--gas-law", "boyle"}, "--gas-law must be one of " + names + ", not \"boyle\""},
      {{"--gas-law", "Adiabat"}, "--gas-law must be one of " + names + ", not \"Adiabat\""},
      {{"--gas-law="}, "--gas-law must be one of " + names + ", not \"\""},
      {{"--gas-law", "free"}, "--gas-law must be one of " + names + ", not \"free\""},
      {{"--gas-law"}, "--gas-law needs a value"},
      {{"--gas-law", "Boyle", "--ticks", "5000"},
       "--ticks has no place with --gas-law: the run goes on until the process leaves its row"},
      {{"--ticks=5000", "--gas-law=Charles"},
       "--ticks has no place with --gas-law: the run goes on until the process leaves its row"},
      {{"--sweep", "--gas-law", "adiabat"}, "--gas-law has no place with --sweep"}};
  for (const auto& [args, message] : refused) {
    const Parsed p = parse(args);
    ASSERT_EQ(p.problems.size(), 1u) << args.back();
    EXPECT_EQ(p.problems[0], message);
  }
  EXPECT_NE(std::string(usage).find("--gas-law NAME"), std::string::npos);
}

TEST(Report, MeasuredTextShowsTheErrorsDigits) {
  using lab::measuredText;
  using lab::numberText;
  EXPECT_EQ(measuredText(33.2134, 0.0512), "33.213 ± 0.051");
  EXPECT_EQ(measuredText(1.0144, 0.0022), "1.0144 ± 0.0022");
  EXPECT_EQ(measuredText(448.2, 6.2), "448.2 ± 6.2");
  EXPECT_EQ(measuredText(1749, 337), "1749 ± 337");
  EXPECT_EQ(measuredText(27.96, std::nan("")), "27.96");
  EXPECT_EQ(measuredText(std::nan(""), 1), "—");
  EXPECT_EQ(measuredText(3, 0), "3 ± 0");
  EXPECT_EQ(measuredText(27.805482450405, 3e-15), "27.81 ± 0");
  EXPECT_EQ(numberText(200), "200");
  EXPECT_EQ(numberText(1.22178), "1.222");
}

TEST(Report, JsonAndCsvCarryEveryRow) {
  Options o;
  o.warmup = 10;
  o.ticks = 200;
  const Outcome done = run(o);
  const lab::Results& r = done.results;
  const std::vector<lab::Row> rows = lab::summarize(r);
  std::ostringstream json, csv;
  writeJson(json, o, done, rows);
  writeCsv(csv, rows);
  for (const lab::Row& row : rows) {
    EXPECT_NE(json.str().find("\"" + row.key + "\""), std::string::npos) << row.key;
    EXPECT_NE(csv.str().find("," + row.key + ","), std::string::npos) << row.key;
  }
  // A number that is not known is null in JSON, empty in CSV; never "nan".
  EXPECT_EQ(json.str().find("nan"), std::string::npos);
  EXPECT_EQ(csv.str().find("nan"), std::string::npos);
  std::istringstream lines(csv.str());
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "section,key,quantity,unit,value,error,theory,theory_name,theory2,theory2_name");
}

// The settings in JSON are the numbers the run reads, the texts as typed beside them: a count
// is kept to 15 significant digits, so 2.00000000000000049 runs as 2.
TEST(Report, JsonSettingsAreTheNumbersTheRunTakes) {
  const Parsed p = parse({"--counts", " 1E1,2.00000000000000049,0,0", "--masses", "1,4.0,16,0.5",
                          "--radius", "1.2D1", "--proximity", "+24.5", "--vel-range", "20.",
                          "--warmup", "0", "--ticks", "20"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  const Outcome done = run(p.options);
  std::ostringstream json;
  writeJson(json, p.options, done, lab::summarize(done.results));
  const std::string settings = json.str().substr(0, json.str().find("\"measurements\""));
  for (const char* part :
       {"\"counts\": [10, 2, 0, 0]", "\"masses\": [1, 4, 16, 0.5]", "\"radius\": 12",
        "\"proximity\": 24.5", "\"vel_range\": 20,", "\"particles\": 12",
        "\"typed\": {\"counts\": [\" 1E1\", \"2.00000000000000049\", \"0\", \"0\"], \"masses\": "
        "[\"1\", \"4.0\", \"16\", \"0.5\"], \"radius\": \"1.2D1\", \"proximity\": \"+24.5\", "
        "\"vel_range\": \"20.\"}"})
    EXPECT_NE(settings.find(part), std::string::npos) << part << "\n" << settings;
}

// Display columns of a UTF-8 text.
std::size_t columns(const std::string& s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char ch) { return (ch & 0xC0) != 0x80; }));
}

// Every value of the table starts in one column, the longest quantity's included, and so does
// every theory.
TEST(Report, TableValuesAndTheoriesLineUp) {
  Options o;
  o.warmup = 10;
  o.ticks = 200;
  const Outcome done = run(o);
  const lab::Results& r = done.results;
  const std::vector<lab::Row> rows = lab::summarize(r);
  std::ostringstream table;
  writeTable(table, o, done, rows);
  const std::string text = table.str();
  std::set<std::size_t> valueColumns, theoryColumns;
  std::size_t longest = 0, from = 0;
  for (const lab::Row& row : rows) {
    const std::string quantity = row.label + (row.unit.empty() ? "" : " [" + row.unit + "]");
    longest = std::max(longest, columns(quantity));
    const std::size_t at = text.find("\n  " + quantity + " ", from);
    ASSERT_NE(at, std::string::npos) << quantity;
    const std::size_t end = text.find('\n', at + 1);
    const std::string line = text.substr(at + 1, end - at - 1);
    from = end;
    const std::size_t value = line.find_first_not_of(' ', 2 + quantity.size());
    ASSERT_NE(value, std::string::npos) << line;
    const std::string measured = lab::measuredText(row.value, row.error);
    EXPECT_EQ(line.substr(value, measured.size()), measured) << line;
    valueColumns.insert(columns(line.substr(0, value)));
    if (std::isfinite(row.theory))
      theoryColumns.insert(
          columns(line.substr(0, line.find(lab::numberText(row.theory), value + measured.size()))));
  }
  EXPECT_EQ(valueColumns.size(), 1u);
  EXPECT_GT(*valueColumns.begin(), 2 + longest);
  EXPECT_EQ(theoryColumns.size(), 1u);
}

// The start-up gas, run headless: every species carries the gas's kT and the light species'
// speeds follow the two-dimensional Maxwell–Boltzmann law.
// A window seeds its generator once, from the time of day, and every run draws on from there:
// the seed and the numbers drawn before a run place that run's gas again, headless.
TEST(MeasureRun, SeedAndDrawsPlaceAWindowsLaterRunAgain) {
  SeededGenerator rnd;
  test::FixedClock clock;
  NoDrawing surface;
  Simulation window(rnd, clock);
  window.startUp(surface);
  window.setDefaultSpeciesColors();
  window.SetUpSpecies(test::rows({"32", "8", "2", "1"}));
  window.PlaceParticles(surface);
  window.SetUpSpecies(test::rows({"20", "5", "0", "3"}));
  const RunSeed at = rnd.position();
  EXPECT_EQ(at.seed, bitsAs<std::uint32_t>(static_cast<float>(clock.seconds)));
  EXPECT_EQ(at.draws, 4u * 43) << "four numbers for each disc placed";
  window.PlaceParticles(surface);

  for (const bool withDraws : {true, false}) {
    std::vector<std::string> args = {"--counts", "20,5,0,3", "--seed", std::to_string(at.seed)};
    if (withDraws) args.insert(args.end(), {"--draws", std::to_string(at.draws)});
    const Parsed p = parse(args);
    ASSERT_TRUE(p.problems.empty());
    const lab::HeadlessGas gas(setupOf(p.options));
    ASSERT_EQ(gas.particles(), 28);
    std::vector<double> xy(56), v(56);
    gas.positions(xy);
    gas.velocities(v);
    int same = 0;
    for (int i = 2; i <= 28; ++i) {
      const auto k = static_cast<std::size_t>(2 * (i - 1));
      same += xy[k] == window.state().posX(i).toDouble() &&
              xy[k + 1] == window.state().posY(i).toDouble() &&
              v[k] == window.state().velX(i).toDouble() &&
              v[k + 1] == window.state().velY(i).toDouble();
    }
    EXPECT_EQ(same, withDraws ? 27 : 0) << "with draws " << withDraws;
    EXPECT_EQ(gas.laboratory().results().seed, (withDraws ? at : RunSeed{at.seed, 0}));
  }
}

TEST(MeasureRun, DefaultGasShowsEquipartitionAndMaxwellBoltzmann) {
  Options o;
  o.warmup = 2000;
  o.ticks = 60000;
  const lab::Results r = run(o).results;
  ASSERT_EQ(r.species.size(), 4u);
  for (const lab::SpeciesResult& s : r.species) {
    ASSERT_TRUE(std::isfinite(s.kTRatio.error)) << s.species;
    EXPECT_NEAR(s.kTRatio.value, 1, 4 * s.kTRatio.error + 0.02) << s.species;
  }
  EXPECT_LT(r.species[0].speed.ks, 0.03);
  EXPECT_LT(r.species[0].vx.ks, 0.03);
  // Light discs meet at the rate Enskog's theory gives, within the rule's 10 % or so.
  EXPECT_NEAR(r.newContacts.value / r.enskogCollisions, 1, 0.15);
  EXPECT_EQ(r.outside, 0);
}

// 200 discs of mass 1 under the exact rule are the hard-disc gas of theory: the walled box's
// Z, Enskog's D, no bound pairs, and an energy that does not move.
TEST(MeasureRun, ExactRuleGivesHardDiscPhysics) {
  Options o;
  o.input.rows = {{"200", "0", "0", "0"}, {"1", "1", "1", "1"}};
  o.rule = "exact";
  o.warmup = 1000;
  o.ticks = 30000;
  const lab::Results r = run(o).results;
  EXPECT_NEAR(r.Z.value / r.zWalled, 1, 0.01);
  ASSERT_EQ(r.species.size(), 1u);
  EXPECT_NEAR(r.species[0].diffusion.D / r.species[0].enskogD, 1, 0.15);
  EXPECT_LT(r.boundShare.value, 0.03);
  EXPECT_LT(std::fabs(r.driftPer10k), 1e-12);
  EXPECT_EQ(r.outside, 0);
}

// The specified rule's bound pairs, with the same gas: most exchanges repeat the last tick's
// pair, and the pressure stays near the ideal gas's.
TEST(MeasureRun, SpecifiedRuleBindsPairs) {
  Options o;
  o.input.rows = {{"200", "0", "0", "0"}, {"1", "1", "1", "1"}};
  o.warmup = 1000;
  o.ticks = 20000;
  const lab::Results r = run(o).results;
  EXPECT_GT(r.boundShare.value, 0.5);
  EXPECT_LT(r.Z.value, 1.1);
  EXPECT_GT(r.longestBoundRun, 50);
}

// A stop asked for ends the run before the next tick; the reports say after how many ticks.
TEST(MeasureRun, StopEndsTheRunAndTheReportsSaySo) {
  Options o;
  o.warmup = 100;
  o.ticks = 1000;
  long calls = 0, lastDone = 0, lastTotal = 0;
  Control control;
  control.stop = [&] { return calls == 300; };
  control.progress = [&](long done, long total) {
    ++calls;
    lastDone = done;
    lastTotal = total;
  };
  const Outcome stopped = run(o, control);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.results.ticks, 300);
  EXPECT_EQ(stopped.total, 1100);
  EXPECT_EQ(lastDone, 300);
  EXPECT_EQ(lastTotal, 1100);
  const std::vector<lab::Row> rows = lab::summarize(stopped.results);
  std::ostringstream json, table;
  writeJson(json, o, stopped, rows);
  writeTable(table, o, stopped, rows);
  EXPECT_NE(json.str().find("\"interrupted_after\": 300,"), std::string::npos);
  EXPECT_NE(table.str().find("\nInterrupted after 300 of 1100 ticks"), std::string::npos);

  const Outcome whole = run(o);
  EXPECT_FALSE(whole.stopped);
  EXPECT_EQ(whole.results.ticks, 1100);
  std::ostringstream wholeJson, wholeTable;
  writeJson(wholeJson, o, whole, rows);
  writeTable(wholeTable, o, whole, rows);
  EXPECT_NE(wholeJson.str().find("\"interrupted_after\": null,"), std::string::npos);
  EXPECT_EQ(wholeTable.str().find("Interrupted"), std::string::npos);
}

// The value of the row of this key.
const lab::Row& rowOf(const std::vector<lab::Row>& rows, const std::string& key) {
  static const lab::Row none;
  const auto at =
      std::find_if(rows.begin(), rows.end(), [&](const lab::Row& r) { return r.key == key; });
  EXPECT_NE(at, rows.end()) << key;
  return at == rows.end() ? none : *at;
}

TEST(MeasureRun, ASlowAdiabatOfADiluteGasDoublesKTAtHalfTheArea) {
  Parsed p =
      parse({"--counts", "300,0,0,0", "--masses", "1,1,1,1", "--radius", "3", "--proximity", "6",
             "--rule", "exact", "--warmup", "500", "--seed", "2", "--gas-law", "adiabat"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  const Outcome done = run(p.options);
  ASSERT_FALSE(done.stopped);
  ASSERT_EQ(done.results.gasLaws.size(), 1u);
  const lab::GasLawRow& g = done.results.gasLaws[0];
  ASSERT_TRUE(g.complete) << g.ending;
  // The process starts as the warm-up ends, and the run ends on the tick its row comes.
  EXPECT_EQ(done.total, done.results.ticks);
  EXPECT_EQ(g.end.toTick, done.results.ticks);
  EXPECT_EQ(g.start.fromTick, p.options.warmup);

  const std::vector<lab::Row> rows = reportRows(p.options, done);
  auto value = [&](const std::string& key) { return rowOf(rows, key).value; };
  const double a0 = value("gas_law1.start.area"), a1 = value("gas_law1.end.area");
  const double kT0 = value("gas_law1.start.kT"), kT1 = value("gas_law1.end.kT");
  EXPECT_NEAR(a1 / a0, 0.5, 1e-3);
  // Reflecting walls and a wall slow beside the discs (η 0.009 → 0.017): kT·A is kept by an
  // ideal gas, so kT doubles; the discs' own area N·B₂, B₂ = π·σ²/2, raises the end's by
  // (A0 − N·B₂)/(A1 − N·B₂) · A1/A0, 1.8 % here.
  const double nB2 = 300 * std::numbers::pi * 36 / 2;
  const double firstOrder = (a0 - nB2) / (a1 - nB2) * a1 / a0;
  EXPECT_NEAR(kT1 / kT0, 2, 0.06);
  EXPECT_NEAR(kT1 * a1 / (kT0 * a0), firstOrder, 0.01);
  const lab::Row& start = rowOf(rows, "gas_law1.start.invariant");
  const lab::Row& end = rowOf(rows, "gas_law1.end.invariant");
  EXPECT_NEAR(end.value / start.value, 1, 0.01);
  EXPECT_EQ(end.theory, start.value);
  EXPECT_EQ(end.theoryName, "law's value");
  const lab::Row& measured = rowOf(rows, "gas_law1.measured");
  EXPECT_EQ(measured.value, kT1);
  EXPECT_EQ(measured.theoryName, "ideal");
  EXPECT_NEAR(measured.theory, 2 * kT0, 2e-3 * kT0);
  EXPECT_NEAR(measured.theory2, kT1, 0.01 * kT1);
  EXPECT_EQ(measured.theory2Name, "hard discs");
  EXPECT_EQ(value("gas_law1.complete"), 1);
  EXPECT_EQ(value("gas_law1.heat"), 0);
  EXPECT_GT(value("gas_law1.work"), 0);

  // The same row in the table, the JSON and the CSV.
  std::ostringstream table, json;
  writeTable(table, p.options, done, rows);
  writeJson(json, p.options, done, rows);
  EXPECT_NE(table.str().find("\ngas laws\n  1: adiabat, both ends measured"), std::string::npos);
  EXPECT_NE(table.str().find("gas-law adiabat"), std::string::npos);
  EXPECT_NE(json.str().find("\"key\": \"gas_law1.end.invariant\""), std::string::npos);
  std::ostringstream csv;
  writeCsv(csv, rows);
  EXPECT_NE(csv.str().find("\ngas laws,gas_law1.measured,"), std::string::npos);
}

TEST(MeasureRun, AGasLawTheLaboratoryRefusesIsRefusedInput) {
  // Half the area cannot hold these discs.
  Parsed p = parse({"--counts", "500,0,0,0", "--radius", "20", "--proximity", "40", "--warmup",
                    "10", "--gas-law", "Boyle"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  try {
    run(p.options);
    ADD_FAILURE() << "not refused";
  } catch (const Refused& e) {
    EXPECT_NE(std::string(e.what()).find("The gas cannot fit"), std::string::npos) << e.what();
  }
  // Stopped before the row comes: no row, and the report says the run has no known length.
  // With no warm-up the process starts after the first tick, when the gas has a kT.
  p = parse({"--warmup", "0", "--gas-law", "adiabat"});
  Control control;
  long calls = 0, lastTotal = -1;
  control.stop = [&] { return calls == 50; };
  control.progress = [&](long, long total) {
    ++calls;
    lastTotal = total;
  };
  const Outcome stopped = run(p.options, control);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.results.ticks, 50);
  EXPECT_EQ(lastTotal, 0);
  EXPECT_TRUE(stopped.results.gasLaws.empty());
  std::ostringstream table;
  writeTable(table, p.options, stopped, reportRows(p.options, stopped));
  EXPECT_NE(table.str().find("Interrupted after 50 ticks, before the process left its row"),
            std::string::npos);
}

TEST(MeasureRun, AGasTooDenseForExactDiscsIsRefused) {
  Options o;
  o.input.rows = {{"500", "0", "0", "0"}, {"1", "1", "1", "1"}};
  o.input.radius = "30";
  o.proximity = "60";
  o.rule = "exact";
  o.ticks = 10;
  EXPECT_THROW(run(o), Refused);
}

}  // namespace
}  // namespace km::measure
