// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fakes.h"
#include "input_check.h"
#include "run_error.h"

namespace km {
namespace {

RunInput defaults() {
  return RunInput{test::rows({" 32", " 8", " 2", "1"}, {" 1", " 4", " 16", " 64"}), "12", "20"};
}

std::string fields(const std::vector<InputProblem>& problems) {
  std::string out;
  const char* names[] = {"count", "mass", "radius", "velocity"};
  for (const auto& p : problems) {
    if (!out.empty()) out += ",";
    out += names[static_cast<int>(p.field)];
    if (p.row >= 0) out += std::to_string(p.row);
  }
  return out;
}

// Field keys: c0..c3 counts, m0..m3 masses, r radius, v velocity range.
void set(RunInput& in, const std::string& key, const char* text) {
  if (key[0] == 'c') in.rows.counts[key[1] - '0'] = text;
  if (key[0] == 'm') in.rows.masses[key[1] - '0'] = text;
  if (key[0] == 'r') in.radius = text;
  if (key[0] == 'v') in.velocityRange = text;
}

TEST(InputCheck, RefusesWhatWouldStopOrSpoilTheRun) {
  struct Row {
    const char* what;
    std::vector<std::pair<std::string, const char*>> texts;
    const char* refused;
  } rows[] = {
      {"defaults", {}, ""},
      {"letters in a count", {{"c1", "abc"}}, "count1"},
      {"junk after a count", {{"c1", "7 abc"}}, "count1"},
      {"empty count", {{"c3", ""}}, "count3"},
      {"negative count", {{"c0", "-1"}}, "count0"},
      {"fractional count", {{"c3", "0.5"}}, ""},
      {"exactly 500", {{"c0", "489"}}, ""},
      {"501 particles", {{"c0", "490"}}, "count"},
      {"huge count", {{"c2", "1e300"}}, "count"},
      {"fractions make a particle without species", {{"c2", "2.5"}, {"c3", "1.5"}}, "count"},
      {"zero mass of a used species", {{"m1", "0"}}, "mass1"},
      {"negative mass", {{"m2", "-16"}}, "mass2"},
      {"zero mass of an empty species", {{"c3", "0"}, {"m3", "0"}}, ""},
      {"letters in the mass of an empty species", {{"c3", "0"}, {"m3", "x"}}, "mass3"},
      {"mass too large to read", {{"m0", "1e400"}}, "mass0"},
      {"masses too large to add",
       {{"c2", "0"}, {"c3", "0"}, {"m2", "1e308"}, {"m3", "1e308"}},
       "mass2,mass3"},
      {"mass below the range", {{"m0", "0.05"}}, "mass0"},
      {"lightest and heaviest mass", {{"m0", "0.1"}, {"m3", "1e6"}}, ""},
      {"mass above the range", {{"m3", "1000001"}}, "mass3"},
      {"any number for an empty species", {{"c3", "0"}, {"m3", "-5e300"}}, ""},
      {"largest radius", {{"r", "1000"}}, ""},
      {"radius above the range", {{"r", "1000.5"}}, "radius"},
      {"velocity range zero and largest", {{"v", "0"}}, ""},
      {"velocity range 1000", {{"v", "1e3"}}, ""},
      {"negative velocity range", {{"v", "-1"}}, "velocity"},
      {"velocity range above", {{"v", "1001"}}, "velocity"},
      {"radius letters", {{"r", "ten"}}, "radius"},
      {"radius empty", {{"r", ""}}, "radius"},
      {"radius negative", {{"r", "-1"}}, "radius"},
      {"radius zero", {{"r", "0"}}, ""},
      {"velocity blank", {{"v", " "}}, "velocity"},
      {"several at once", {{"c0", "x"}, {"m2", ""}, {"r", "?"}}, "count0,mass2,radius"},
      // Every bad field is named whatever else is wrong, in the window's order.
      {"bad count and light mass", {{"c3", "-1"}, {"m1", "0.05"}}, "count3,mass1"},
      {"every kind at once",
       {{"v", "x"}, {"r", "-5"}, {"m1", "0"}, {"c3", "-1"}, {"m0", "1e400"}},
       "count3,mass0,mass1,radius,velocity"},
      {"too many beside a bad count", {{"c0", "abc"}, {"c1", "600"}}, "count0,count"},
      {"zero mass beside a bad count of its own", {{"c1", "x"}, {"m1", "0"}}, "count1"},
      {"overflow beside a refused mass",
       {{"c2", "0"}, {"c3", "0"}, {"m0", "0"}, {"m2", "1e308"}, {"m3", "-1e308"}, {"m1", "1e308"}},
       "mass0,mass1"},
  };
  for (const Row& r : rows) {
    RunInput in = defaults();
    for (const auto& [key, text] : r.texts)
      set(in, key, text);
    auto problems = checkRunInput(in);
    EXPECT_EQ(fields(problems), r.refused) << r.what;
    for (const auto& p : problems)
      EXPECT_FALSE(p.message.empty());
  }
}

TEST(InputCheck, MessagesNameTheFieldAndWhatItMustBe) {
  RunInput in = defaults();
  in.rows.counts[1] = "abc";
  auto problems = checkRunInput(in);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("species 2"), std::string::npos);
  EXPECT_NE(problems[0].message.find("\"abc\""), std::string::npos);
  EXPECT_NE(problems[0].message.find("0 or more"), std::string::npos);
  in = defaults();
  in.rows.counts[0] = "490";
  EXPECT_NE(checkRunInput(in)[0].message.find("501"), std::string::npos);
  in = defaults();
  in.rows.masses[0] = "0.01";
  EXPECT_NE(checkRunInput(in)[0].message.find("from 0.1 to 1,000,000."), std::string::npos);
}

// Each field's own messages, as its mark shows them: its row's and those of every row.
TEST(InputCheck, ProblemsOfOneField) {
  RunInput in = defaults();
  in.rows.counts[0] = "490";
  in.rows.masses[2] = "x";
  in.radius = "-5";
  auto problems = checkRunInput(in);
  EXPECT_EQ(problemsOf(problems, Field::Count, 3),
            "The counts add up to 501 particles; at most 500 fit in the box.");
  EXPECT_EQ(problemsOf(problems, Field::Mass, 2),
            "The mass of species 3 is \"x\"; it must be a number from 0.1 to 1,000,000.");
  EXPECT_EQ(problemsOf(problems, Field::Mass, 1), "");
  EXPECT_EQ(problemsOf(problems, Field::Radius, -1),
            "The particle radius is \"-5\"; it must be a number from 0 to 1,000.");
  EXPECT_EQ(problemsOf(problems, Field::VelocityRange, -1), "");
}

// A count or mass total that overflows as a field is typed comes from fields the check names,
// so they can be marked instead of the clock stopped.
TEST(InputCheck, TypingThatOverflowsIsNamed) {
  const std::vector<std::array<const char*, 8>> cases = {
      {"0", "0", "0", "0", "1", "4", "1e308", "1e308"},
      {"0", "1e308", "1e308", "0", "1", "4", "16", "64"},
      {"-1e308", "-1e308", "2", "1", "1", "4", "16", "64"},
      {"32", "8", "0", "0", "1", "4", "-1.7e308", "-1e308"},
      {"1e308x", "1e308", "2", "1", "1", "4", "16", "64"},
  };
  for (const auto& texts : cases) {
    RunInput in = defaults();
    test::Rig rig;
    for (int k = 0; k < 4; ++k) {
      in.rows.counts[k] = texts[k];
      in.rows.masses[k] = texts[4 + k];
    }
    auto problems = checkRunInput(in);
    int overflows = 0;
    for (int k = 0; k < 4; ++k)
      for (Field f : {Field::Count, Field::Mass}) {
        try {
          if (f == Field::Count)
            rig.sim.takeSpeciesCount(k, in.rows.counts[k]);
          else
            rig.sim.takeSpeciesMass(k, in.rows.masses[k]);
        } catch (const RunError&) {
          ++overflows;
          bool named = false;
          for (int j = 0; j < 4; ++j)
            named = named || !problemsOf(problems, f, j).empty();
          EXPECT_TRUE(named) << texts[k] << " " << texts[4 + k];
        }
      }
    EXPECT_GT(overflows, 0) << texts[0];
  }
}

TEST(InputCheck, ProximityTakenWithinItsRange) {
  struct Row {
    const char* text;
    bool usable;
  } rows[] = {{"24", true},     {"-30", true}, {"0", true},    {"1e9", true},   {"-1e9", true},
              {"1.1e9", false}, {"", false},   {"abc", false}, {"1e400", false}};
  for (const Row& r : rows)
    EXPECT_EQ(isUsableProximity(r.text), r.usable) << r.text;
  EXPECT_EQ(proximityProblem("", Cell(24)),
            "The collision proximity is \"\"; it must be a number from -1,000,000,000 to "
            "1,000,000,000. Until then it stays at 24.");
  EXPECT_EQ(proximityProblem("-30", Cell(24)), "");
  // A run given its own proximity (no field, so no value in force) is told the reason alone.
  EXPECT_EQ(proximityRefusal("1.1e9"),
            "The collision proximity is \"1.1e9\"; it must be a number from -1,000,000,000 to "
            "1,000,000,000.");
  EXPECT_EQ(proximityRefusal("-30"), "");
}

// What the check lets through, the engine sets up, places and steps without a run-time
// error, over a grid of good and bad texts.
TEST(InputCheck, AgreesWithTheEngine) {
  std::vector<RunInput> inputs;
  const char* counts[] = {"0", "1", "2.5", "0.5", "abc", "", "-1", "300", "7 abc"};
  const char* masses[] = {"1", "0", "-4", "x", "64", "1e-3"};
  for (const char* c : counts)
    for (const char* m : masses) {
      RunInput in = defaults();
      in.rows.counts[1] = c;
      in.rows.counts[2] = c;
      in.rows.masses[1] = m;
      inputs.push_back(in);
    }
  int accepted = 0, refused = 0;
  for (const RunInput& in : inputs) {
    test::Rig rig;
    rig.sim.takeParticleRadius(in.radius);
    bool ok = checkRunInput(in).empty();
    bool ran = true;
    try {
      rig.sim.SetUpSpecies(in.rows);
      rig.sim.PlaceParticles(rig.surface);
      for (int t = 0; t < 3; ++t)
        rig.sim.Timer1_Timer(rig.surface, rig.display);
    } catch (const RunError&) {
      ran = false;
    }
    if (ok) {
      EXPECT_TRUE(ran) << in.rows.counts[1] << " / " << in.rows.masses[1];
      ++accepted;
    } else {
      ++refused;
    }
  }
  EXPECT_GT(accepted, 5);
  EXPECT_GT(refused, 5);
}

}  // namespace
}  // namespace km
