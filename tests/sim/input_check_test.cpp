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
       "mass"},
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
  EXPECT_NE(checkRunInput(in)[0].message.find("from .1 to 1000000"), std::string::npos);
}

TEST(InputCheck, ProximityTakenWithinItsRange) {
  struct Row {
    const char* text;
    bool usable;
  } rows[] = {{"24", true},     {"-30", true}, {"0", true},    {"1e9", true},   {"-1e9", true},
              {"1.1e9", false}, {"", false},   {"abc", false}, {"1e400", false}};
  for (const Row& r : rows)
    EXPECT_EQ(isUsableProximity(r.text), r.usable) << r.text;
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
