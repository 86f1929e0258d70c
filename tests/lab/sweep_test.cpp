// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <sstream>

#include "measure_options.h"
#include "measure_run.h"
#include "report.h"
#include "sweep.h"
#include "sweep_table.h"
#include "theory.h"

namespace km::lab {
namespace {

SweepSettings small() {
  SweepSettings s;
  s.discs = 60;
  s.etas = {0.1, 0.4};
  s.seeds = {3};
  s.warmup = 100;
  s.ticks = 1500;
  return s;
}

// Equal, or both not known.
bool same(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

void expectSame(const Estimate& a, const Estimate& b, const char* what) {
  EXPECT_TRUE(same(a.value, b.value)) << what << ": " << a.value << " " << b.value;
  EXPECT_TRUE(same(a.error, b.error)) << what << ": " << a.error << " " << b.error;
}

// The radius gives the packing fraction asked for, over the square the centres reach.
TEST(Sweep, TheRadiusGivesThePackingFraction) {
  for (int n : {1, 125, 500})
    for (double eta : {0.01, 0.3, 0.7}) {
      const double r = std::stod(radiusFor(n, eta));
      EXPECT_NEAR(theory::packingFraction(n, 2 * r, 1000 - 2 * r), eta, 1e-14) << n << " " << eta;
    }
}

// A row is the single run with the same seed, whether the sweep ran on one thread or two, and
// the single run is what kinetic-measure runs from the command line with that radius.
TEST(Sweep, RowsEqualSingleRunsWithTheSameSeeds) {
  SweepSettings s = small();
  s.jobs = 2;
  const std::vector<SweepRow> rows = runSweep(s);
  s.jobs = 1;
  const std::vector<SweepRow> alone = runSweep(s);
  ASSERT_EQ(rows.size(), 2u);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const SweepRow& row = rows[k];
    const GasSetup setup = sweepSetup(s, s.etas[k], 3);
    measure::Parsed p = measure::parseOptions(
        {"--counts", "60,0,0,0", "--masses", "1,1,1,1", "--radius", row.radius, "--proximity",
         setup.proximity, "--rule", "exact", "--seed", "3", "--warmup", "100", "--ticks", "1500"});
    ASSERT_TRUE(p.problems.empty()) << p.problems.front();
    const Results r = measure::run(p.options).results;
    EXPECT_EQ(row.runs, 1);
    EXPECT_EQ(row.etaMeasured, r.eta);
    expectSame(row.z, r.Z, "Z");
    expectSame(row.zInterior, r.zInterior, "Z interior");
    expectSame(row.etaInterior, r.etaInterior, "eta interior");
    EXPECT_EQ(row.collisionRate.value, r.exchanges.value / 60);
    EXPECT_EQ(row.zBulk, r.zBulk);
    EXPECT_TRUE(same(row.enskogD, r.species[0].enskogD));
    expectSame(alone[k].z, row.z, "one thread");
    expectSame(alone[k].diffusion, row.diffusion, "one thread");
  }
}

// Seeds average as independent runs: the mean of their values, the error of that mean.
TEST(Sweep, SeedsAverageAsIndependentRuns) {
  SweepSettings s = small();
  s.etas = {0.2};
  s.seeds = {4, 5};
  s.jobs = 2;
  const SweepRow row = runSweep(s).front();
  const Results a = runGas(sweepSetup(s, 0.2, 4)).results;
  const Results b = runGas(sweepSetup(s, 0.2, 5)).results;
  EXPECT_EQ(row.runs, 2);
  EXPECT_DOUBLE_EQ(row.z.value, (a.Z.value + b.Z.value) / 2);
  EXPECT_DOUBLE_EQ(row.z.error, std::hypot(a.Z.error, b.Z.error) / 2);
  EXPECT_DOUBLE_EQ(row.zBulkInterior,
                   theory::bulkZ((a.etaInterior.value + b.etaInterior.value) / 2));
}

// A packing fraction the engine cannot place says why; a stopped sweep keeps what finished and
// counts every tick it ran.
TEST(Sweep, RefusedAndStoppedRunsAreSaid) {
  SweepSettings s = small();
  s.discs = 300;
  s.etas = {0.1, 0.8};
  s.ticks = 200;
  const std::vector<SweepRow> rows = runSweep(s);
  EXPECT_EQ(rows[0].runs, 1);
  EXPECT_EQ(rows[1].runs, 0);
  EXPECT_NE(rows[1].problem.find("too dense"), std::string::npos) << rows[1].problem;

  std::atomic<long> ticks{0};
  long last = 0, calls = 0;
  Control control;
  control.stop = [&] { return ++ticks > 700; };
  control.progress = [&](long done, long total) {
    EXPECT_GE(done, last);
    EXPECT_EQ(total, 2 * 1600);
    last = done;
    ++calls;
  };
  const std::vector<SweepRow> stopped = runSweep(small(), control);
  EXPECT_EQ(stopped[0].runs + stopped[1].runs, 0);
  EXPECT_GT(calls, 0);
  EXPECT_LE(last, 700);
}

// Of two seeds at η 0.65 with 100 discs, seed 1 cannot place its discs: the row is seed 2's
// alone and says so, names seed 1 as refused and why, in the table, the JSON and the CSV.
TEST(Sweep, ARowSaysWhichSeedsItHoldsAndWhichWereRefused) {
  SweepSettings s = small();
  s.discs = 100;
  s.etas = {0.65, 0.1};
  s.seeds = {2, 1};
  s.ticks = 200;
  s.jobs = 2;
  const std::vector<SweepRow> rows = runSweep(s);
  ASSERT_EQ(rows.size(), 2u);
  const SweepRow& row = rows[0];
  EXPECT_EQ(row.runs, 1);
  EXPECT_EQ(row.seeds, std::vector<std::uint32_t>{2});
  EXPECT_EQ(row.refused, std::vector<std::uint32_t>{1});
  EXPECT_EQ(row.problem.rfind("seed 1 refused: The gas is too dense", 0), 0u) << row.problem;
  expectSame(row.z, runGas(sweepSetup(s, 0.65, 2)).results.Z, "seed 2 alone");
  EXPECT_EQ(rows[1].seeds, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_TRUE(rows[1].refused.empty());
  EXPECT_EQ(rows[1].problem, "");

  measure::Parsed p = measure::parseOptions({"--sweep", "--counts", "100,0,0,0", "--etas",
                                             "0.65,0.1", "--seeds", "2,1", "--ticks", "200"});
  ASSERT_TRUE(p.problems.empty());
  std::ostringstream table, json;
  measure::writeSweepTable(table, p.options, rows, false);
  EXPECT_NE(table.str().find("eta 0.65: holds seed 2; seed 1 refused: The gas is too dense"),
            std::string::npos)
      << table.str();
  measure::writeSweepJson(json, p.options, rows, false);
  const std::string j = json.str();
  EXPECT_NE(j.find("\"radius\": " + row.radius + ","), std::string::npos) << j;
  EXPECT_NE(j.find("\"seeds\": [2], \"refused_seeds\": [1]"), std::string::npos) << j;
  EXPECT_NE(j.find("\"seeds\": [1, 2], \"refused_seeds\": []"), std::string::npos) << j;

  std::string problem;
  const std::vector<SweepRow> back = readSweepCsv(sweepCsv(rows), problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].seeds, row.seeds);
  EXPECT_EQ(back[0].refused, row.refused);
  EXPECT_EQ(back[0].problem, row.problem);
  EXPECT_EQ(back[1].seeds, rows[1].seeds);
}

// The CSV the window loads reads back to the same numbers; a file that is no sweep is refused.
TEST(Sweep, TheTableReadsBack) {
  SweepSettings s = small();
  s.etas = {0.1, 0.3};
  const std::vector<SweepRow> rows = runSweep(s);
  std::string problem;
  const std::vector<SweepRow> back = readSweepCsv(sweepCsv(rows), problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(back[k].eta, rows[k].eta);
    expectSame(back[k].z, rows[k].z, "Z");
    expectSame(back[k].zInterior, rows[k].zInterior, "Z interior");
    EXPECT_EQ(back[k].zWalled, rows[k].zWalled);
    EXPECT_EQ(back[k].radius, rows[k].radius);
    EXPECT_EQ(back[k].runs, rows[k].runs);
  }
  // A refusal that quotes a value, with or without commas, reads back as it was written.
  std::vector<SweepRow> quoted(2);
  quoted[0].eta = 0.2;
  quoted[0].refused = {7};
  quoted[0].problem = "seed 7 refused: The count is \"x\"";
  quoted[1].eta = 0.3;
  quoted[1].refused = {7, 9};
  quoted[1].problem = "seed 7 refused: \"1e999\", not a number; seed 9 refused: \"\"";
  const std::vector<SweepRow> read = readSweepCsv(sweepCsv(quoted), problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(read.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(read[k].problem, quoted[k].problem);
    EXPECT_EQ(read[k].refused, quoted[k].refused);
  }
  for (const char* bad :
       {"", "tick,event\n1,run\n", "eta,Z,Z_error\n0.1,x,1\n", "eta,Z,Z_error\n0.1,2\n"}) {
    EXPECT_TRUE(readSweepCsv(bad, problem).empty()) << bad;
    EXPECT_NE(problem, "") << bad;
  }
}

// The tab's table writes theory values to four significant digits whatever their trailing
// zeros, so that a column reads alike down its rows; a row with a refused seed says so.
TEST(Sweep, TheTabsTableKeepsItsDigits) {
  SweepRow row;
  row.eta = 0.3;
  row.zWalled = 2.0000004;
  row.zBulk = 10.5;
  row.zBulkInterior = 1.224;
  row.runs = 1;
  row.problem = "seed 3 refused: too dense";
  const std::vector<std::string> cells = sweepTableCells(row);
  ASSERT_EQ(cells.size(), 8u);
  EXPECT_EQ(cells[0], "0.3");
  EXPECT_EQ(cells[1], "—");
  EXPECT_EQ(cells[2], "2.000");
  EXPECT_EQ(cells[3], "10.50");
  EXPECT_EQ(cells[6], "1.224");
  EXPECT_EQ(cells[7], "1 (seed 3 refused: too dense)");
}

}  // namespace
}  // namespace km::lab

namespace km::measure {
namespace {

TEST(MeasureOptions, SweepTakesItsOwnOptions) {
  Parsed p = parseOptions({"--sweep"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  EXPECT_TRUE(p.options.sweep);
  EXPECT_EQ(p.options.rule, "exact");
  EXPECT_EQ(p.options.discs, 500);
  EXPECT_EQ(p.options.etas.back(), 0.7);
  EXPECT_EQ(p.options.seeds, std::vector<std::uint32_t>{1});
  p = parseOptions({"--sweep", "--counts", "125,0,0,0", "--etas", "0.1,0.3", "--seeds", "1,2,3",
                    "--jobs", "2", "--rule", "specified"});
  ASSERT_TRUE(p.problems.empty()) << p.problems.front();
  EXPECT_EQ(p.options.discs, 125);
  EXPECT_EQ(p.options.etas, (std::vector<double>{0.1, 0.3}));
  EXPECT_EQ(p.options.seeds.size(), 3u);
  EXPECT_EQ(p.options.jobs, 2);
  EXPECT_EQ(p.options.rule, "specified");
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--sweep", "--radius", "5"},
                                             {"--sweep", "--masses=1,1,1,1"},
                                             {"--sweep", "--counts", "100,1,0,0"},
                                             {"--sweep", "--counts", "600,0,0,0"},
                                             {"--sweep", "--etas", "0.1,0.9"},
                                             {"--sweep", "--etas", "0.1,,0.2"},
                                             {"--sweep", "--seeds", "1,-2"},
                                             {"--sweep", "--jobs", "0"},
                                             {"--etas", "0.1"},
                                             {"--seeds", "1,2"}})
    EXPECT_FALSE(parseOptions(bad).problems.empty()) << bad[1];
}

}  // namespace
}  // namespace km::measure
