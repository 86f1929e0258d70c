// SPDX-License-Identifier: GPL-3.0-or-later
// The page with its laboratory: a setup by kinetic-measure's names places the gas as
// kinetic-measure does, so that its measurements are kinetic-measure's; refusals in words; the
// laboratory's controls and tabs; the sweep run one run at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "bits.h"
#include "fakes.h"
#include "headless_run.h"
#include "measure_options.h"
#include "page_app.h"
#include "report_json.h"
#include "run_limits.h"
#include "sweep_job.h"
#include "sweep_table.h"

namespace km {
namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

struct App {
  test::FixedClock clock;
  double now = 0;
  PageApp app{clock, [this] { return now; }};
};

// kinetic-measure's JSON for the same setup.
std::string measured(const lab::GasSetup& g, const lab::RunSettings& s) {
  const lab::Outcome out = lab::runGas(g);
  std::ostringstream json;
  lab::writeJson(json, s, out.results, -1, lab::summarize(out.results));
  return json.str();
}

// Each setup, run for warm-up and ticks in the page, measures exactly what kinetic-measure does
// with the same options: the same placement from the seed, the same ticks, the same report.
TEST(PageApp, ASetupMeasuresWhatKineticMeasureDoes) {
  struct Case {
    Options options;
    lab::GasSetup gas;
  };
  std::vector<Case> cases(3);
  cases[0].options = {{"seed", "7"}, {"warmup", "100"}};
  cases[0].gas.seed = 7;
  cases[1].options = {{"counts", "60,0,0,0"},
                      {"masses", "1,1,1,1"},
                      {"rule", "exact"},
                      {"warmup", "50"},
                      {"seed", "3"}};
  cases[1].gas.rows = {{"60", "0", "0", "0"}, {"1", "1", "1", "1"}};
  cases[1].gas.rule = CollisionRule::Exact;
  cases[1].gas.seed = 3;
  cases[2].options = {{"counts", "2.5,10,0,1"},
                      {"radius", "1.2D1"},
                      {"proximity", "30"},
                      {"vel-range", "35"},
                      {"warmup", "0"}};
  cases[2].gas.rows.counts = {"2.5", "10", "0", "1"};
  cases[2].gas.radius = "1.2D1";
  cases[2].gas.proximity = "30";
  cases[2].gas.velocityRange = "35";
  for (Case& c : cases) {
    const long ticks = 600;
    lab::GasSetup& g = c.gas;
    for (const auto& [name, value] : c.options)
      if (name == "warmup") g.warmup = std::stol(value);
    g.ticks = ticks;
    App t;
    ASSERT_EQ(t.app.setup(c.options), "");
    EXPECT_FALSE(t.app.page().running()) << "a setup leaves the gas paused";
    EXPECT_EQ(t.app.step(static_cast<int>(g.warmup + ticks)), g.warmup + ticks);
    EXPECT_EQ(t.app.ticks(), g.warmup + ticks);
    lab::RunSettings s;
    s.input = {g.rows, g.radius, g.velocityRange};
    s.proximity = g.proximity;
    s.rule = g.rule == CollisionRule::Exact ? "exact" : "specified";
    s.seed = g.seed;
    s.warmup = g.warmup;
    s.ticks = ticks;
    EXPECT_EQ(t.app.measureJson(), measured(g, s)) << c.options.front().first;
  }
}

TEST(PageApp, TheSameSetupRunsTheSameGasAndCopiesIntoALink) {
  App a, b;
  const Options options = {{"counts", "40,5,0,0"}, {"seed", "11"}, {"rule", "exact"}};
  ASSERT_EQ(a.app.setup(options), "");
  ASSERT_EQ(b.app.setup(options), "");
  a.app.step(300);
  b.app.step(300);
  EXPECT_EQ(a.app.measureJson(), b.app.measureJson());
  const Options link = a.app.setupOptions();
  const Options expected = {{"counts", "40,5,0,0"}, {"masses", "1,4,16,64"}, {"radius", "12"},
                            {"proximity", "24"},    {"vel-range", "20"},     {"seed", "11"},
                            {"draws", "0"},         {"rule", "exact"},       {"warmup", "1000"}};
  EXPECT_EQ(link, expected);
  // Another seed places another gas.
  App c;
  ASSERT_EQ(c.app.setup({{"counts", "40,5,0,0"}, {"seed", "12"}, {"rule", "exact"}}), "");
  c.app.step(300);
  EXPECT_NE(c.app.measureJson(), a.app.measureJson());
  // "Run Simulation" again with the seed fixed places the same gas again.
  a.app.page().runSimulation();
  a.app.page().pause();
  a.app.step(300);
  EXPECT_EQ(a.app.measureJson(), b.app.measureJson());
}

// A page seeds from the time of day and each run draws on: its link names the seed and the
// numbers drawn before the run, and opens the same gas.
TEST(PageApp, ALinkAfterAPlainRunPlacesTheGasOnScreen) {
  App a;
  a.app.page().runSimulation();
  a.app.page().typeInto("txt_how_many_0", "60");
  a.app.page().runSimulation();
  a.app.page().pause();
  // Typed after the run: the link still describes the gas on screen.
  a.app.page().typeInto("txt_how_many_0", "5");
  a.app.page().typeInto("txtParticleRad", "30");
  const Options link = a.app.setupOptions();
  for (const auto& [name, value] : link) {
    EXPECT_NE(name, "rule") << "the laboratory is closed";
    EXPECT_NE(name, "warmup") << "the laboratory is closed";
    EXPECT_FALSE(value.empty()) << name;
    EXPECT_NE(value.front(), ' ') << name << "=" << value;
    EXPECT_EQ(value.find(", "), std::string::npos) << name << "=" << value;
  }
  EXPECT_EQ(link.front(), (std::pair<std::string, std::string>("counts", "60,8,2,1")));
  const RunSeed at = a.app.runSeed();
  EXPECT_EQ(at.seed, bitsAs<std::uint32_t>(static_cast<float>(a.clock.seconds)));
  EXPECT_EQ(at.draws, 4u * 43);
  EXPECT_NE(std::find(link.begin(), link.end(),
                      std::pair<std::string, std::string>("draws", std::to_string(at.draws))),
            link.end());
  App b;
  ASSERT_EQ(b.app.setup(link), "");
  const State& s = a.app.page().model().state();
  const State& t = b.app.page().model().state();
  ASSERT_EQ(t.placedCount, 71);
  for (int i = 1; i <= 71; ++i) {
    EXPECT_EQ(s.posX(i).toDouble(), t.posX(i).toDouble()) << i;
    EXPECT_EQ(s.velY(i).toDouble(), t.velY(i).toDouble()) << i;
    EXPECT_EQ(s.partRadius(i).toDouble(), t.partRadius(i).toDouble()) << i;
  }
}

TEST(PageApp, RefusesABadSetupInWordsAndChangesNothing) {
  const std::vector<std::pair<Options, std::string>> bad = {
      {{{"seed", "x"}}, "seed must be a whole number from 0 to 4294967295, not \"x\""},
      {{{"seed", "-1"}}, "seed must be a whole number"},
      {{{"counts", "1,2,3"}}, "counts takes four values"},
      {{{"counts", "400,200,0,0"}}, "500"},
      {{{"masses", "0.01,1,1,1"}}, "mass"},
      {{{"rule", "fast"}}, "rule must be \"specified\" or \"exact\", not \"fast\""},
      {{{"warmup", "1e3"}}, "warmup must be a whole number"},
      {{{"proximity", ""}}, "proximity must be a number"},
      {{{"ticks", "5"}}, "unknown setting \"ticks\""},
      {{{"format", "json"}}, "unknown setting \"format\""},
  };
  for (const auto& [options, words] : bad) {
    App t;
    const std::string why = t.app.setup(options);
    EXPECT_NE(why.find("The simulation cannot start:"), std::string::npos) << why;
    EXPECT_NE(why.find(words), std::string::npos) << why;
    EXPECT_EQ(why.find("--"), std::string::npos) << why;
    EXPECT_FALSE(t.app.page().hasRun());
    EXPECT_EQ(t.app.page().fieldText("txt_how_many_0"), " 32");
  }
  // A gas too dense for the exact rule is refused with the engine's reason, as on the desktop.
  App t;
  const std::string why = t.app.setup(
      {{"counts", "500,0,0,0"}, {"radius", "30"}, {"proximity", "60"}, {"rule", "exact"}});
  EXPECT_NE(why.find("packing fraction"), std::string::npos) << why;
  EXPECT_FALSE(t.app.page().running());
  EXPECT_EQ(t.app.step(10), 0);
}

TEST(PageApp, LaboratoryControlsFollowTheDesktopsRules) {
  App t;
  t.app.openLab();
  LabRules& lab = *t.app.lab();
  EXPECT_NE(lab.tabJson(2, 0).find("No gas yet"), std::string::npos);
  t.app.page().runSimulation();
  EXPECT_FALSE(lab.stepEnabled());
  t.app.page().pause();
  EXPECT_TRUE(lab.stepEnabled());
  lab.step();
  EXPECT_EQ(lab.laboratory().ticks(), 1);
  // Pace: the interval of each choice, kept by a new run; closing returns to full speed.
  lab.setPace(2);
  EXPECT_EQ(t.app.page().pace(), 17);
  t.app.page().runSimulation();
  EXPECT_EQ(lab.paceIndex(), 2);
  EXPECT_EQ(LabRules::heatFactorProblem("0.005"), "The factor must be a number from 0.01 to 100.");
  EXPECT_EQ(LabRules::heatFactorProblem("x"), "The factor must be a number from 0.01 to 100.");
  EXPECT_EQ(LabRules::heatFactorProblem("100"), "");
  lab.heat(1, "500");
  EXPECT_EQ(lab.note(), "The factor must be a number from 0.01 to 100.");
  lab.heat(2, " 5");
  EXPECT_EQ(lab.note(), "Species 2: energy times 5.");
  EXPECT_EQ(lab.laboratory().history().events.back().what.substr(0, 4), "heat");
  EXPECT_EQ(LabRules::warmupProblem("1000001"),
            "The warm-up must be a whole number of ticks from 0 to 1000000.");
  EXPECT_EQ(LabRules::warmupProblem("2.5"),
            "The warm-up must be a whole number of ticks from 0 to 1000000.");
  lab.setWarmup("0");
  EXPECT_EQ(lab.warmup(), 0);
  EXPECT_EQ(lab.laboratory().history().events.back().what, "warm-up 0");
  lab.setRule(true);
  EXPECT_TRUE(lab.ruleExact());
  EXPECT_EQ(lab.note(), "Exact hard discs from the next tick.");
  EXPECT_EQ(lab.speciesJson(),
            "[[1,\"species 1 (32 discs)\"],[2,\"species 2 (8 discs)\"],[3,\"species 3 (2 "
            "discs)\"],[4,\"species 4 (1 disc)\"]]");
  t.app.closeLab();
  EXPECT_EQ(t.app.page().pace(), 1);
  EXPECT_EQ(t.app.page().model().collisionRule(), CollisionRule::Specified);
  EXPECT_EQ(t.app.measureJson(), "");
}

// A gas too dense to push apart stays under the specified rule, and the note says why.
TEST(PageApp, TheRuleSwitchRefusesAGasTooDenseToSeparate) {
  App t;
  ASSERT_EQ(t.app.setup({{"counts", "500,0,0,0"}, {"radius", "30"}, {"proximity", "60"}}), "");
  LabRules& lab = *t.app.lab();
  lab.setRule(true);
  EXPECT_FALSE(lab.ruleExact());
  EXPECT_NE(lab.note().find("packing fraction"), std::string::npos) << lab.note();
}

TEST(PageApp, EveryTabShowsItsMeasurementsAndTheExportsTheirColumns) {
  App t;
  ASSERT_EQ(t.app.setup({{"warmup", "20"}}), "");
  t.app.step(400);
  LabRules& lab = *t.app.lab();
  for (int tab = 0; tab < 8; ++tab) {
    const std::string json = lab.tabJson(tab, tab == 0 ? 1 : 0);
    EXPECT_EQ(json.find("\"notice\":\"No"), std::string::npos) << tab << json.substr(0, 300);
    // Some series has a first point: "x":[ then a number.
    bool points = false;
    for (std::size_t at = json.find("\"x\":["); at != std::string::npos && !points;
         at = json.find("\"x\":[", at + 1)) {
      const char first = at + 5 < json.size() ? json[at + 5] : ' ';
      points = first == '-' || (first >= '0' && first <= '9');
    }
    EXPECT_TRUE(points) << tab;
    EXPECT_EQ(json.find("nan"), std::string::npos) << tab;
  }
  EXPECT_NE(lab.tabJson(0, 2).find("vy [units/tick]"), std::string::npos);
  EXPECT_NE(lab.tabJson(0, 0).find("Maxwell–Boltzmann"), std::string::npos);
  EXPECT_NE(lab.tabJson(3, 0).find("In two dimensions D grows with the box"), std::string::npos);
  EXPECT_NE(lab.tabJson(6, 0).find("Rule: specified."), std::string::npos);
  EXPECT_NE(lab.tabJson(6, 0).find("kinetic-measure --seed 1 --draws 0 places this gas again"),
            std::string::npos);
  const auto files = lab.exportFiles();
  ASSERT_EQ(files.size(), 5u);
  const char* heads[] = {"tick,kT_gas [", "tick,event", "species,quantity,bin_centre",
                         "lag [tick],msd_particle1 [u^2]",
                         "section,key,quantity,unit,value,error,theory"};
  for (std::size_t k = 0; k < 5; ++k)
    EXPECT_EQ(files[k].second.rfind(heads[k], 0), 0u) << files[k].first;
}

// Run one run at a time, the sweep gives lab::runSweep's rows; stopped part-way, the rows of
// the runs that finished.
TEST(SweepJob, GivesTheRowsOfTheSweepOnThreads) {
  lab::SweepSettings s;
  ASSERT_EQ(LabRules::readSweepSettings({"30", "0.1, 0.3", "1,2", "20", "200"}, s), "");
  SweepJob job(s);
  EXPECT_EQ(job.total(), 4 * 220);
  long last = 0;
  int runs = 0;
  while (job.runNext([&](long done) { last = done; })) {
    ++runs;
    if (runs == 1) {
      // The densest first: η = 0.3 with seed 1 alone has run, and only its row is there.
      const auto part = job.rows();
      ASSERT_EQ(part.size(), 1u);
      EXPECT_EQ(part[0].eta, 0.3);
      EXPECT_EQ(part[0].runs, 1);
    }
  }
  EXPECT_EQ(runs, 4);
  EXPECT_EQ(last, job.total());
  s.jobs = 2;
  EXPECT_EQ(lab::sweepCsv(job.rows()), lab::sweepCsv(lab::runSweep(s)));
  // A packing fraction too dense to place says why, as the desktop says it.
  App t;
  t.app.openLab();
  lab::SweepSettings dense;
  ASSERT_EQ(LabRules::readSweepSettings({"500", "0.1, 0.8", "1", "0", "5"}, dense), "");
  SweepJob denseJob(dense);
  while (denseJob.runNext()) {
  }
  EXPECT_EQ(t.app.lab()->showSweep(lab::sweepCsv(denseJob.rows())), "");
  const std::string said = t.app.lab()->sweepProblems();
  EXPECT_EQ(said.rfind("Some runs did not run:\n\nη = 0.8: ", 0), 0u) << said;
  EXPECT_EQ(said.find("η = 0.1"), std::string::npos) << said;
  lab::SweepSettings bad;
  EXPECT_EQ(LabRules::readSweepSettings({"0", "0.1", "1", "0", "1"}, bad),
            "The number of discs must be a whole number from 1 to 500.");
  EXPECT_EQ(LabRules::readSweepSettings({"10", "0.9", "1", "0", "1"}, bad),
            "The packing fractions must be numbers above 0 and at most 0.8, separated by commas.");
  EXPECT_EQ(LabRules::readSweepSettings({"10", "0.1", "1.5", "0", "1"}, bad),
            "The seeds must be whole numbers from 0 to 4294967295, separated by commas.");
  // Several fields refused: every one named, in the fields' order.
  const std::string several = LabRules::readSweepSettings({"0", "0.9", "1", "-4", "0"}, bad);
  EXPECT_EQ(several.rfind("The sweep cannot start:", 0), 0u) << several;
  std::size_t at = 0;
  for (const char* words : {"number of discs", "packing fractions", "warm-up", "ticks averaged"}) {
    const std::size_t next = several.find(words, at);
    EXPECT_NE(next, std::string::npos) << words << " in " << several;
    at = next == std::string::npos ? at : next;
  }
  EXPECT_EQ(several.find("seeds"), std::string::npos) << several;
}

// One warm-up limit: kinetic-measure's --warmup, the laboratory's field, a link's warmup and
// the sweep's warm-up take the same largest value and refuse the next.
TEST(PageApp, TheWarmUpLimitIsTheSameEverywhere) {
  const std::string most = std::to_string(lab::maxWarmupTicks);
  const std::string over = std::to_string(lab::maxWarmupTicks + 1);
  EXPECT_TRUE(measure::parseOptions({"--warmup=" + most}).problems.empty());
  EXPECT_FALSE(measure::parseOptions({"--warmup=" + over}).problems.empty());
  EXPECT_EQ(LabRules::warmupProblem(most), "");
  EXPECT_NE(LabRules::warmupProblem(over), "");
  lab::SweepSettings s;
  EXPECT_EQ(LabRules::readSweepSettings({"10", "0.1", "1", most, "1"}, s), "");
  EXPECT_NE(LabRules::readSweepSettings({"10", "0.1", "1", over, "1"}, s), "");
  App a;
  ASSERT_EQ(a.app.setup({{"counts", "10,0,0,0"}, {"warmup", most}}), "");
  EXPECT_EQ(a.app.lab()->warmup(), lab::maxWarmupTicks);
  App b;
  EXPECT_NE(b.app.setup({{"warmup", over}})
                .find("warmup must be a whole number of ticks from 0 to "
                      "1,000,000"),
            std::string::npos);
}

// The walls by kinetic-measure's names: the page's gas measures what kinetic-measure measures
// with the same options, the link writes them back and places that gas again, a refusal is in
// kinetic-measure's words without its dashes, and a setup that names none has the box's own
// walls.
TEST(PageApp, TheWallsOfASetupAreKineticMeasuresAndGoIntoItsLink) {
  const std::vector<Options> cases = {
      {{"counts", "60,0,0,0"},
       {"masses", "1,1,1,1"},
       {"seed", "5"},
       {"warmup", "100"},
       {"wall-temperature", "40,-,-,160"},
       {"move-wall", "700,0.5,50"}},
      {{"counts", "80,0,0,0"},
       {"rule", "exact"},
       {"seed", "2"},
       {"warmup", "50"},
       {"wall-temperature", "-,60.5,-,-"},
       {"piston", "0.02,500"}},
  };
  for (const Options& options : cases) {
    std::vector<std::string> args;
    for (const auto& [name, value] : options)
      args.push_back("--" + name + "=" + value);
    const measure::Parsed p = measure::parseOptions(args);
    ASSERT_TRUE(p.problems.empty());
    const measure::Options& o = p.options;
    const long ticks = 600;
    lab::GasSetup g;
    g.rows = o.input.rows;
    g.rule = o.rule == "exact" ? CollisionRule::Exact : CollisionRule::Specified;
    g.seed = o.seed;
    g.warmup = o.warmup;
    g.ticks = ticks;
    g.walls = o.walls;
    lab::RunSettings s;
    s.input = {g.rows, g.radius, g.velocityRange};
    s.rule = o.rule;
    s.seed = g.seed;
    s.warmup = g.warmup;
    s.ticks = ticks;
    const std::string native = measured(g, s);
    EXPECT_NE(native.find("\"heat_flow.left\""), std::string::npos);

    App t;
    ASSERT_EQ(t.app.setup(options), "");
    t.app.step(static_cast<int>(g.warmup + ticks));
    EXPECT_EQ(t.app.measureJson(), native) << options.back().first;

    // The link names the walls as they were given, and places the same gas with them.
    const Options link = t.app.setupOptions();
    for (const char* name : {"wall-temperature", "move-wall", "piston"}) {
      const auto given = std::find_if(options.begin(), options.end(),
                                      [&](const auto& n) { return n.first == name; });
      const auto written =
          std::find_if(link.begin(), link.end(), [&](const auto& n) { return n.first == name; });
      ASSERT_EQ(given == options.end(), written == link.end()) << name;
      if (given == options.end()) continue;
      EXPECT_EQ(written->second, given->second) << name;
    }
    App again;
    ASSERT_EQ(again.app.setup(link), "");
    again.app.step(static_cast<int>(g.warmup + ticks));
    EXPECT_EQ(again.app.measureJson(), native);

    // The next setup without walls has the box's own.
    ASSERT_EQ(t.app.setup({{"seed", "5"}}), "");
    EXPECT_FALSE(t.app.page().model().boundaries().active());
    for (const auto& [name, value] : t.app.setupOptions())
      EXPECT_TRUE(name != "wall-temperature" && name != "move-wall" && name != "piston") << name;
  }

  const std::vector<std::pair<Options, std::string>> bad = {
      {{{"wall-temperature", "0,-,-,-"}}, "wall-temperature takes four values"},
      {{{"move-wall", "700,0"}}, "move-wall takes X,U or X,U,START"},
      {{{"piston", "1"}}, "piston takes P,M"},
      {{{"move-wall", "700,1"}, {"piston", "0.01,10"}}, "move-wall and piston both move"},
      {{{"move-wall", "20,1"}}, "cannot fit with the right wall at x = 20"},
  };
  for (const auto& [options, words] : bad) {
    App t;
    const std::string why = t.app.setup(options);
    EXPECT_NE(why.find("The simulation cannot start:"), std::string::npos) << why;
    EXPECT_NE(why.find(words), std::string::npos) << why;
    EXPECT_EQ(why.find("--"), std::string::npos) << why;
    EXPECT_FALSE(t.app.page().model().boundaries().active()) << why;
  }

  // Closed, the laboratory leaves the box its own walls.
  App t;
  ASSERT_EQ(t.app.setup(cases[0]), "");
  EXPECT_TRUE(t.app.page().model().boundaries().active());
  t.app.closeLab();
  EXPECT_FALSE(t.app.page().model().boundaries().active());
}

}  // namespace
}  // namespace km
