// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory's tabs as every front end draws them: each series is the measurement it
// draws, each theory line the formula, and an empty chart says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "headless_run.h"
#include "lab_tabs.h"
#include "laboratory.h"
#include "summary.h"
#include "theory.h"

namespace km {
namespace {

const ChartSeries& named(const Chart& c, const std::string& start) {
  for (const ChartSeries& s : c.series)
    if (s.name.rfind(start, 0) == 0) return s;
  ADD_FAILURE() << c.id << " has no series named " << start;
  static const ChartSeries none;
  return none;
}

struct RunGas {
  lab::HeadlessGas gas;
  explicit RunGas(long ticks, long warmup = 500)
      : gas([&] {
          lab::GasSetup s;
          s.rule = CollisionRule::Exact;
          s.seed = 7;
          s.warmup = warmup;
          s.ticks = 0;
          return s;
        }()) {
    for (long t = 0; t < ticks; ++t)
      gas.step();
  }
  LabTab tab(int index, int quantity = 0) const {
    return labTab(index, quantity, gas.laboratory(), gas.simulation(), {});
  }
};

TEST(LabTabs, SpeedsAreTheHistogramsBesideTheLawAveragedOverEachBin) {
  const RunGas run(3000);
  const lab::Results r = run.gas.laboratory().results();
  for (int quantity : {0, 1}) {
    const LabTab tab = run.tab(0, quantity);
    ASSERT_EQ(tab.charts.size(), r.species.size());
    for (std::size_t k = 0; k < r.species.size(); ++k) {
      const lab::SpeciesResult& s = r.species[k];
      const lab::Distribution& d = quantity == 0 ? s.speed : s.vx;
      const Chart& c = tab.charts[k];
      EXPECT_EQ(c.id, "speeds-species-" + std::to_string(s.species));
      EXPECT_EQ(c.notice, "");
      const ChartSeries& steps = named(c, "measured");
      const ChartSeries& law = c.series.at(1);
      EXPECT_EQ(steps.style, ChartSeries::Style::Steps);
      EXPECT_EQ(law.style, ChartSeries::Style::Dashed);
      ASSERT_EQ(steps.y.size(), d.measured.size() + 1);
      for (std::size_t b = 0; b < d.measured.size(); ++b) {
        EXPECT_EQ(steps.x[b], d.centres[b] - d.binWidth / 2);
        EXPECT_EQ(steps.y[b], d.measured[b]);
      }
      // The law at the species' measured kT, its mean over the bin: the difference of its
      // distribution function at the bin's edges over the bin's width.
      ASSERT_FALSE(law.x.empty());
      for (std::size_t b = 0; b < law.x.size(); ++b) {
        const double a = law.x[b] - d.binWidth / 2, e = law.x[b] + d.binWidth / 2;
        const double mean = quantity == 0
                                ? (theory::speedCdf(e, s.mass, s.kT.value) -
                                   theory::speedCdf(std::max(a, 0.0), s.mass, s.kT.value)) /
                                      d.binWidth
                                : (theory::componentCdf(e, s.mass, s.kT.value) -
                                   theory::componentCdf(a, s.mass, s.kT.value)) /
                                      d.binWidth;
        EXPECT_NEAR(law.y[b], mean, 1e-9 * std::max(1.0, mean)) << c.id << " bin " << b;
      }
    }
  }
}

TEST(LabTabs, EquipartitionDrawsEachSpeciesKTWithItsErrorAndTheHeatingAsAMark) {
  RunGas run(2000);
  run.gas.laboratory().heat(2, 3.0);
  for (int t = 0; t < 4000; ++t)
    run.gas.step();
  const lab::Results r = run.gas.laboratory().results();
  const LabTab tab = run.tab(1);
  const Chart& bars = tab.charts.at(0);
  EXPECT_TRUE(bars.wholeX);
  int barred_count = 0;
  for (const lab::SpeciesResult& s : r.species) {
    const ChartSeries& dot = named(bars, "species " + std::to_string(s.species));
    EXPECT_EQ(dot.style, ChartSeries::Style::Dots);
    ASSERT_EQ(dot.y.size(), 1u);
    EXPECT_EQ(dot.x[0], s.species);
    EXPECT_EQ(dot.y[0], s.kT.value);
    bool barred = false;
    for (const ErrorBar& b : bars.bars)
      if (b.x == s.species) {
        barred = true;
        EXPECT_NEAR(b.high - b.low, 2 * s.kT.error, 1e-12 * s.kT.value);
        EXPECT_NEAR((b.high + b.low) / 2, s.kT.value, 1e-12 * s.kT.value);
      }
    // A kT with no error yet (too few blocks since the heating) has no bar.
    EXPECT_EQ(barred, std::isfinite(s.kT.error)) << "species " << s.species;
    barred_count += barred;
  }
  EXPECT_GE(barred_count, 2);
  EXPECT_EQ(named(bars, "the gas").y.front(), r.kT.value);
  const Chart& time = tab.charts.at(1);
  ASSERT_EQ(time.marks.size(), 1u);
  EXPECT_EQ(time.marks[0].tick, 2000);
  EXPECT_EQ(time.marks[0].what.rfind("heat", 0), 0u) << time.marks[0].what;
}

TEST(LabTabs, PressureLinesAreTheFormulasAtTheGassPackingFraction) {
  const RunGas run(3000);
  const lab::Results r = run.gas.laboratory().results();
  const LabTab tab = run.tab(2);
  const Chart& c = tab.charts.at(0);
  auto level = [&](const std::string& name) { return named(c, name).y.front(); };
  EXPECT_EQ(level("ideal gas"), 1);
  EXPECT_DOUBLE_EQ(level("Henderson"), theory::hendersonZ(r.eta));
  EXPECT_DOUBLE_EQ(level("bulk fluid:"), theory::bulkZ(r.eta));
  EXPECT_DOUBLE_EQ(level("bulk fluid less"), theory::walledZ(r.eta, r.sigma, r.side));
  // The measured Z over time averages to about the run's Z (the series thins its bins).
  const ChartSeries& z = named(c, "Z measured");
  ASSERT_GT(z.y.size(), 10u);
  double sum = 0;
  for (double y : z.y)
    sum += y;
  EXPECT_NEAR(sum / static_cast<double>(z.y.size()), r.Z.value, 0.1 * r.Z.value);
}

TEST(LabTabs, IntegrityDrawsAnEnergyTheExactRuleKeeps) {
  const RunGas run(2000);
  const lab::Results r = run.gas.laboratory().results();
  const LabTab tab = run.tab(6);
  const ChartSeries& energy = named(tab.charts.at(0), "total energy");
  ASSERT_FALSE(energy.y.empty());
  for (double e : energy.y)
    EXPECT_NEAR(e, r.energyAtStart, 1e-11 * r.energyAtStart);
}

TEST(LabTabs, EquationOfStateCurvesAreTheFormulasAtEveryPoint) {
  const RunGas run(10);
  const LabTab tab = run.tab(7);
  const Chart& c = tab.charts.at(0);
  const ChartSeries& bulk = named(c, "bulk fluid");
  const ChartSeries& henderson = named(c, "Henderson");
  ASSERT_GT(bulk.x.size(), 20u);
  for (std::size_t k = 0; k < bulk.x.size(); ++k)
    EXPECT_DOUBLE_EQ(bulk.y[k], theory::bulkZ(bulk.x[k]));
  for (std::size_t k = 0; k < henderson.x.size(); ++k)
    EXPECT_DOUBLE_EQ(henderson.y[k], theory::hendersonZ(henderson.x[k]));
}

TEST(LabTabs, BeforeTheWarmUpEndsTheChartsSayWhyTheyAreEmpty) {
  // 100 of 800 ticks of warm-up run: the first averaged tick is the 701st from now.
  const RunGas run(100, 800);
  for (int index : {0, 3}) {
    const LabTab tab = run.tab(index);
    for (const Chart& c : tab.charts) {
      EXPECT_EQ(c.notice.rfind("Warming up: the averages begin in 701 ticks", 0), 0u)
          << c.id << ": " << c.notice;
      for (const ChartSeries& s : c.series)
        EXPECT_TRUE(s.x.empty() || index == 3) << c.id << " " << s.name;
    }
  }
}

TEST(LabTabs, TheWallsTabsWaitForTheWalls) {
  const RunGas run(50);
  for (int index : {8, 9})
    for (const Chart& c : run.tab(index).charts)
      EXPECT_EQ(c.notice.rfind("The walls reflect from fixed places", 0), 0u) << c.id;
}

TEST(LabTabs, PVOfAnAreaThatHasNotChangedSaysSoAndDrawsNothing) {
  RunGas run(100);
  ASSERT_EQ(run.gas.laboratory().setWallHeat({50.0, 50.0, 50.0, 50.0}), "");
  for (int t = 0; t < 300; ++t)
    run.gas.step();
  for (const Chart& c : run.tab(8).charts) {
    EXPECT_EQ(c.notice.rfind("The area has not changed", 0), 0u) << c.notice;
    EXPECT_TRUE(c.series.empty()) << c.id;
  }
}

TEST(LabTabs, PVDrawsThePathBesideTheIsothermAndTheAdiabats) {
  RunGas run(200);
  lab::Laboratory& lab = run.gas.laboratory();
  ASSERT_EQ(lab.moveRightWall(600, 0.2), "");
  for (int t = 0; t < 2000; ++t)
    run.gas.step();
  const lab::Results r = lab.results();
  const LabTab tab = run.tab(8);
  const Chart& pv = tab.charts.at(0);
  const ChartSeries& path = named(pv, "the gas's path");
  // The path is the walls' own, point for point, from the move on.
  ASSERT_EQ(path.x.size(), r.walls.areaPath.size());
  for (std::size_t k = 0; k < path.x.size(); ++k) {
    EXPECT_EQ(path.x[k], r.walls.areaPath[k].value);
    EXPECT_EQ(path.y[k], r.walls.pressurePath[k].value);
  }
  EXPECT_LT(path.x.back(), path.x.front()) << "compressed";
  const ChartSeries& isotherm = named(pv, "isotherm");
  const ChartSeries& ideal = named(pv, "ideal adiabat");
  ASSERT_GT(isotherm.x.size(), 10u);
  const double pa = isotherm.x[0] * isotherm.y[0], pa2 = ideal.x[0] * ideal.x[0] * ideal.y[0];
  for (std::size_t k = 0; k < isotherm.x.size(); ++k) {
    EXPECT_NEAR(isotherm.x[k] * isotherm.y[k], pa, 1e-9 * pa);
    EXPECT_NEAR(ideal.x[k] * ideal.x[k] * ideal.y[k], pa2, 1e-9 * pa2);
  }
  // Both start where the path starts: they cross at the area of its first bins, at their
  // pressure.
  const double a0 = pa2 / pa;
  EXPECT_LT(std::abs(a0 - path.x.front()), 0.01 * path.x.front());
  double p0 = 0;
  for (std::size_t k = 0; k < 10; ++k)
    p0 += path.y[k] / 10;
  EXPECT_NEAR(pa / a0, p0, 1e-9 * p0);
  // Hard discs heat faster than the ideal gas as the area shrinks: their adiabat lies above.
  const ChartSeries& hard = named(pv, "hard-disc adiabat");
  EXPECT_GT(hard.y.front(), ideal.y.front()) << "at the smallest area";
  const ChartSeries& z = named(tab.charts.at(1), "Z measured");
  for (std::size_t k = 0; k < z.x.size(); ++k)
    EXPECT_NEAR(z.y[k],
                r.walls.pressurePath[k].value * z.x[k] / (r.particles * r.walls.kTPath[k].value),
                1e-12);
  EXPECT_NE(tab.figures.find("Work done on the gas"), std::string::npos);
  // The irreversible part reads as a distance above or below the adiabat, never a negative
  // "above".
  const std::size_t by = tab.figures.find("the hard-disc adiabat by ");
  ASSERT_NE(by, std::string::npos) << tab.figures;
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(tab.figures[by + 25]))) << tab.figures;
}

TEST(LabTabs, AtmosphereDrawsEachSpeciesHeightsOnTheBarometricLawAndAFlatKT) {
  RunGas run(0, 200);
  lab::Laboratory& lab = run.gas.laboratory();
  EXPECT_EQ(run.tab(11).charts.at(0).notice, "No field: give g above 0 in Field.");
  ASSERT_EQ(lab.setGravity(0.005), "");
  for (int t = 0; t < 3000; ++t)
    run.gas.step();
  const lab::AtmosphereResults a = lab.results().atmosphere;
  ASSERT_TRUE(a.active);
  const LabTab tab = run.tab(11);
  const Chart& density = tab.charts.at(0);
  EXPECT_EQ(density.notice, "");
  EXPECT_TRUE(density.logY);
  for (const lab::SpeciesAtmosphere& sp : a.species) {
    const ChartSeries& dots = named(density, "species " + std::to_string(sp.species));
    std::size_t k = 0;
    for (std::size_t b = 0; b < sp.density.size(); ++b) {
      if (!(sp.density[b].value > 0)) continue;
      ASSERT_LT(k, dots.y.size());
      EXPECT_EQ(dots.x[k], a.height[b]);
      EXPECT_EQ(dots.y[k], sp.density[b].value);
      ++k;
    }
    EXPECT_EQ(k, dots.y.size());
    // The law beside them falls by e over each scale height kT/(m·g).
    const auto law = std::find_if(density.series.begin(), density.series.end(),
                                  [&](auto& c) { return c.name.empty() && c.color == dots.color; });
    ASSERT_NE(law, density.series.end());
    for (std::size_t j = 1; j < law->x.size(); ++j)
      EXPECT_NEAR(std::log(law->y[j - 1] / law->y[j]),
                  (law->x[j] - law->x[j - 1]) / sp.scaleHeightTheory, 1e-9);
    EXPECT_NEAR(sp.scaleHeightTheory, lab.results().kT.value / (sp.mass * 0.005),
                1e-9 * sp.scaleHeightTheory);
  }
  // The heavy sink: species 4's bottom bin is denser than its top.
  const lab::SpeciesAtmosphere& heavy = a.species.back();
  EXPECT_GT(heavy.density.front().value, 3 * heavy.density.back().value);
  const ChartSeries& kT = named(tab.charts.at(1), "kT measured");
  EXPECT_EQ(kT.y.size(), a.kT.size());
  EXPECT_NE(tab.figures.find("against the weight"), std::string::npos);
}

TEST(LabTabs, EffusionDrawsTheSidesCountsAndTheEntropyRisingToItsMost) {
  RunGas run(0, 200);
  lab::Laboratory& lab = run.gas.laboratory();
  EXPECT_EQ(run.tab(12).charts.at(1).notice, "No divider: give the opening's width in Divider.");
  ASSERT_EQ(lab.setDivider(200), "");
  for (int t = 0; t < 2000; ++t)
    run.gas.step();
  const lab::EffusionResults e = lab.results().effusion;
  ASSERT_TRUE(e.active);
  const LabTab tab = run.tab(12);
  const Chart& sides = tab.charts.at(0);
  for (const lab::SpeciesEffusion& sp : e.species) {
    const ChartSeries& left = named(sides, "species " + std::to_string(sp.species) + " left");
    const ChartSeries& right = named(sides, "species " + std::to_string(sp.species) + " right");
    ASSERT_FALSE(left.y.empty());
    ASSERT_EQ(left.y.size(), right.y.size());
    // Every disc is on one side or the other.
    for (std::size_t k = 0; k < left.y.size(); ++k)
      if (std::isfinite(left.y[k])) {
        EXPECT_NEAR(left.y[k] + right.y[k], sp.count, 1e-9);
      }
  }
  const Chart& entropy = tab.charts.at(1);
  const ChartSeries& most = named(entropy, "its most, the gases mixed");
  ASSERT_EQ(most.y.size(), 2u);
  EXPECT_EQ(most.y[0], e.entropyMost);
  for (double s : named(entropy, "entropy of mixing").y)
    if (std::isfinite(s)) {
      EXPECT_LE(s, e.entropyMost * (1 + 1e-12));
    }
  EXPECT_NE(tab.figures.find("Graham"), std::string::npos);
}

TEST(LabTabs, HeatFlowDrawsTheProfileItsLineAndTheWallsTemperatures) {
  RunGas run(0, 200);
  lab::Laboratory& lab = run.gas.laboratory();
  ASSERT_EQ(lab.setWallHeat({80.0, 20.0, std::nullopt, std::nullopt}), "");
  for (int t = 0; t < 6000; ++t)
    run.gas.step();
  const lab::HeatResults h = lab.results().heat;
  ASSERT_TRUE(h.active);
  const LabTab tab = run.tab(9);
  const Chart& profile = tab.charts.at(0);
  const ChartSeries& bins = named(profile, "kT measured");
  ASSERT_EQ(bins.y.size(), h.kT.size());
  for (std::size_t b = 0; b < h.kT.size(); ++b) {
    EXPECT_EQ(bins.x[b], h.x[b]);
    EXPECT_EQ(bins.y[b], h.kT[b].value);
  }
  // The walls' points sit at their own temperatures, at either end of the bulk's line.
  const ChartSeries& walls = named(profile, "the walls' kT");
  ASSERT_EQ(walls.y.size(), 2u);
  EXPECT_NEAR(walls.y[0], 80, 1e-9);
  EXPECT_NEAR(walls.y[1], 20, 1e-9);
  EXPECT_EQ(walls.x[1], h.width);
  const ChartSeries& line = named(profile, "the bulk's straight line");
  EXPECT_DOUBLE_EQ(line.y[1] - line.y[0], h.slope * h.width);
  // The heat each thermal wall gives over time, the reflecting walls' nothing.
  const Chart& flows = tab.charts.at(1);
  EXPECT_EQ(named(flows, "left wall").color, "#ff7828");
  for (double q : named(flows, "top wall").y)
    EXPECT_EQ(q, 0);
}

TEST(LabTabs, GasLawsListEachProcessAsTheLaboratoryMeasuredIt) {
  RunGas run(300);
  lab::Laboratory& lab = run.gas.laboratory();
  const int index = 10;
  ASSERT_EQ(labTabNames[index], "Gas laws");
  {
    const LabTab idle = run.tab(index);
    EXPECT_TRUE(idle.table.empty());
    EXPECT_EQ(idle.charts.at(0).notice.rfind("Press one of the gas laws", 0), 0u);
  }
  lab::GasLawTiming quick;
  quick.window = 1000;
  quick.settle = 200;
  quick.slowSpeed = 0.5;
  lab.gasLaws().setTiming(quick);
  ASSERT_EQ(lab.startGasLaw(0), "");
  run.gas.step();
  // While it runs, the chart says what it does.
  EXPECT_EQ(run.tab(index).charts.at(0).notice,
            lab.gasLaws().plan() + " Its row comes when it ends.");
  for (long t = 0; t < 50000 && lab.gasLaws().running(); ++t)
    run.gas.step();
  ASSERT_FALSE(lab.gasLaws().running());
  const std::vector<lab::GasLawRow> rows = lab.results().gasLaws;
  ASSERT_EQ(rows.size(), 1u);
  const lab::GasLawRow& r = rows[0];
  ASSERT_TRUE(r.complete) << r.ending;
  const LabTab tab = run.tab(index);
  ASSERT_EQ(tab.table.size(), 1u);
  const std::vector<std::string>& row = tab.table[0];
  ASSERT_EQ(row.size(), tab.tableHead.size());
  auto cell = [&](const std::string& head) {
    for (std::size_t k = 0; k < tab.tableHead.size(); ++k)
      if (tab.tableHead[k] == head) return row[k];
    ADD_FAILURE() << "no column " << head;
    return std::string();
  };
  using lab::numberText;
  EXPECT_EQ(cell("process"), "Boyle");
  EXPECT_EQ(cell("P"),
            numberText(r.start.pressure.value) + " → " + numberText(r.end.pressure.value));
  EXPECT_EQ(cell("A"), numberText(r.start.area.value) + " → " + numberText(r.end.area.value));
  EXPECT_EQ(cell("kT"), numberText(r.start.kT.value) + " → " + numberText(r.end.kT.value));
  EXPECT_EQ(cell("Z"), numberText(r.start.z) + " → " + numberText(r.end.z));
  EXPECT_EQ(cell("invariant"), "P·A/(N·Z)");
  EXPECT_EQ(cell("at start"), lab::measuredText(r.start.invariant.value, r.start.invariant.error));
  EXPECT_EQ(cell("at end"), lab::measuredText(r.end.invariant.value, r.end.invariant.error));
  EXPECT_EQ(cell("law's value"), numberText(r.expected));
  EXPECT_EQ(cell("end off the law"),
            numberText(100 * (r.end.invariant.value / r.expected - 1)) + " %");
  EXPECT_EQ(cell("end measured"), "P = " + lab::measuredText(r.measured, r.end.pressure.error));
  EXPECT_EQ(cell("ideal"), numberText(r.ideal));
  EXPECT_EQ(cell("hard discs"), numberText(r.hardDisc));
  EXPECT_EQ(cell("ending"), r.ending);
  // The chart: the end pressure over each prediction, at the row's number.
  const Chart& c = tab.charts.at(0);
  EXPECT_EQ(c.notice, "");
  const ChartSeries& ideal = named(c, "ideal gas");
  const ChartSeries& hard = named(c, "hard discs");
  ASSERT_EQ(ideal.x.size(), 1u);
  ASSERT_EQ(hard.x.size(), 1u);
  EXPECT_EQ(ideal.x[0], 1);
  EXPECT_DOUBLE_EQ(ideal.y[0], r.measured / r.ideal);
  EXPECT_DOUBLE_EQ(hard.y[0], r.measured / r.hardDisc);
  // Halving the area of discs that fill a fair share of it: Henderson's Z comes nearer.
  EXPECT_LT(std::abs(hard.y[0] - 1), std::abs(ideal.y[0] - 1));
  const std::string json = toJson(tab);
  EXPECT_NE(json.find("\"tableHead\":[\"process\",\"P\""), std::string::npos) << json;
  EXPECT_NE(json.find("[\"Boyle\",\"" + numberText(r.start.pressure.value) + " → "),
            std::string::npos)
      << json;
}

TEST(LabTabs, JsonWritesEveryFieldWithNoNumberAsNull) {
  LabTab tab;
  Chart c;
  c.id = "a\"b";
  c.logY = true;
  c.xMin = 0.5;
  ChartSeries s;
  s.name = "n";
  s.color = "#010203";
  s.style = ChartSeries::Style::Stars;
  s.x = {1, 2};
  s.y = {lab::notKnown, 3};
  c.series = {s};
  c.bars = {{1, 2, 3, "#ffffff"}};
  c.marks = {{5, "heat"}};
  tab.charts = {c};
  tab.figures = "line 1\nline 2";
  tab.tableHead = {"h"};
  tab.table = {{"x"}};
  const std::string json = toJson(tab);
  for (const char* part :
       {"\"id\":\"a\\\"b\"", "\"logY\":true", "\"xMin\":0.5", "\"xMax\":null",
        "\"style\":\"stars\"", "\"y\":[null,3]", "\"bars\":[{\"x\":1,\"low\":2,\"high\":3",
        "\"marks\":[{\"tick\":5", "\"figures\":\"line 1\\u000aline 2\"", "\"tableHead\":[\"h\"]",
        "\"table\":[[\"x\"]]"})
    EXPECT_NE(json.find(part), std::string::npos) << part << " not in " << json;
}

}  // namespace
}  // namespace km
