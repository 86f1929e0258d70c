// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory's walls as every front end offers them: texts read as the window reads
// numbers, refusals that change nothing, and the events and notes of what was done.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fakes.h"
#include "gas_picture.h"
#include "lab_rules.h"
#include "main_rules.h"
#include "raster_surface.h"

namespace km {
namespace {

struct Lab : MainRules::Listener {
  SeededGenerator rnd;
  test::FixedClock clock;
  RasterSurface picture;
  MainRules page{rnd, clock, picture};
  std::optional<LabRules> lab;
  explicit Lab(bool run = true) {
    page.setListener(this);
    if (run) page.runSimulation();
    lab.emplace(page, page.runSeed());
    if (run) page.tick(20);
  }
  ~Lab() override { page.setListener(nullptr); }
  // As the front ends tell the laboratory.
  void runStarted() override {
    if (lab) lab->runStarted(page.runSeed());
  }
  void ticked() override {
    if (lab) lab->ticked();
  }
};

TEST(LabRulesWalls, AWallsTextIsEmptyOrAKTAboveZero) {
  const std::string refusal =
      "A wall's kT must be a number above 0, or empty for a wall that reflects.";
  const std::pair<const char*, bool> cases[] = {
      {"", true},   {"  ", true},  {"50", true}, {" 2.5 ", true},  {"1e3", true},
      {"0", false}, {"-3", false}, {"x", false}, {"1e400", false}, {"5,5", false},
  };
  for (const auto& [text, taken] : cases)
    EXPECT_EQ(LabRules::wallTemperatureProblem(text), taken ? "" : refusal) << '"' << text << '"';
}

TEST(LabRulesWalls, WallsSetAllAtOnceOrNotAtAll) {
  Lab t;
  LabRules& lab = *t.lab;
  const auto events = lab.laboratory().history().events.size();
  lab.setWalls({"40", "x", "", ""});
  EXPECT_EQ(lab.wallTexts(), (std::array<std::string, 4>{"", "", "", ""}));
  EXPECT_FALSE(t.page.model().boundaries().active());
  EXPECT_EQ(lab.laboratory().history().events.size(), events);
  EXPECT_NE(lab.note().find("must be a number above 0"), std::string::npos) << lab.note();

  lab.setWalls({"40", "", "", "160"});
  EXPECT_EQ(lab.wallTexts(), (std::array<std::string, 4>{"40", "", "", "160"}));
  EXPECT_EQ(lab.note(), "walls: left kT 40, right reflecting, bottom reflecting, top kT 160.");
  EXPECT_EQ(lab.laboratory().history().events.back().what,
            lab.note().substr(0, lab.note().size() - 1));
  // Emptied again, every wall reflects and the engine goes back to its own walls.
  lab.setWalls({"", "", "", ""});
  EXPECT_FALSE(t.page.model().boundaries().active());
}

TEST(LabRulesWalls, HoldTemperatureTakesTheGassKTWhenNoneIsTyped) {
  Lab t;
  LabRules& lab = *t.lab;
  const double kT = lab.laboratory().kTNow();
  ASSERT_GT(kT, 0);
  lab.holdTemperature("");
  const std::string text = lab.wallTexts()[0];
  EXPECT_NEAR(std::stod(text), kT, 1e-3 * kT);
  EXPECT_EQ(lab.wallTexts(), (std::array<std::string, 4>{text, text, text, text}));
  lab.holdTemperature("75");
  EXPECT_EQ(lab.wallTexts()[2], "75");
  lab.holdTemperature("-1");
  EXPECT_EQ(lab.wallTexts()[2], "75") << "a refused kT changes nothing";

  Lab idle(false);
  idle.lab->holdTemperature("");
  EXPECT_EQ(idle.lab->note(), "No gas is running: type the kT the walls are to hold.");
  EXPECT_EQ(idle.lab->wallTexts()[0], "");
}

TEST(LabRulesWalls, TheRightWallMovesOrIsAPistonAndARefusalSaysWhy) {
  Lab t;
  LabRules& lab = *t.lab;
  lab.moveWall("600", "0.5");
  EXPECT_EQ(lab.note(), "right wall toward x = 600 at 0.5 u/tick.");
  t.page.tick(100);
  EXPECT_NEAR(t.page.model().boundaries().rightX(), 950, 1e-9);
  lab.moveWall("abc", "1");
  EXPECT_EQ(lab.note(), "The wall's target and speed must be numbers.");
  lab.moveWall("600", "0");
  EXPECT_EQ(lab.note(), "The wall's speed must be above 0 units per tick.");
  // Discs of radius 12 have no room with the wall 20 units from the left one.
  lab.moveWall("20", "1");
  EXPECT_EQ(lab.note().rfind("The gas cannot fit with the right wall at x = 20", 0), 0u)
      << lab.note();
  EXPECT_NEAR(t.page.model().boundaries().rightX(), 950, 1e-9);
  lab.setPiston("0.01", "1000");
  EXPECT_EQ(lab.note(), "right wall a piston of mass 1000 under pressure 0.01.");
  lab.setPiston("0.01", "x");
  EXPECT_EQ(lab.note(), "The piston's pressure and mass must be numbers.");
}

// A new run fills the whole box: the right wall moved in or made a piston is back at x = 1000
// and stays there, each wall keeps its kT, and the heat the walls give is counted from the run's
// start. Closed, the laboratory leaves the box its own walls.
TEST(LabRulesWalls, ANewRunFillsTheWholeBoxAndClosingEndsTheWalls) {
  Lab t;
  LabRules& lab = *t.lab;
  lab.setWarmup("0");
  lab.setWalls({"40", "", "", "160"});
  lab.moveWall("700", "1");
  t.page.tick(400);
  const Boundaries& b = t.page.model().boundaries();
  ASSERT_EQ(b.rightX(), 700);
  lab.setPiston("0.01", "1000");
  t.page.tick(50);
  ASSERT_TRUE(b.piston());

  t.page.runSimulation();
  EXPECT_EQ(b.rightX(), 1000);
  EXPECT_EQ(b.motion().kind, RightWallMotion::Kind::Fixed);
  EXPECT_EQ(lab.wallTexts(), (std::array<std::string, 4>{"40", "", "", "160"}));
  // The first tick of the run gives all the heat counted since its start, however much the
  // walls gave in the last run.
  t.page.tick(1);
  const lab::Results first = lab.laboratory().results();
  for (std::size_t w : {0u, 3u}) {
    ASSERT_EQ(first.walls.heatFlowPath[w].size(), 1u);
    EXPECT_NEAR(first.walls.heatFlowPath[w][0].value, first.walls.heat[w], 1e-9) << w;
  }
  t.page.tick(300);
  EXPECT_EQ(b.rightX(), 1000);

  t.lab.reset();
  EXPECT_FALSE(b.active());
  EXPECT_FALSE(b.heat(WallSide::Left).thermal);
}

TEST(LabRulesField, TheFieldAndTheDividerAreTypedSetAndRefusedInWords) {
  Lab t;
  LabRules& lab = *t.lab;
  const Boundaries& b = t.page.model().boundaries();
  lab.setField("0.01");
  EXPECT_EQ(lab.note(), "A field of 0.01 units per tick² toward the floor.");
  EXPECT_EQ(b.gravity(), 0.01);
  EXPECT_EQ(lab.fieldText(), "0.01");
  lab.setField("x");
  EXPECT_EQ(lab.note(), "The field must be a number of units per tick².");
  lab.setField("-1");
  EXPECT_NE(lab.note().find("must be"), std::string::npos) << lab.note();
  EXPECT_EQ(b.gravity(), 0.01);
  lab.setField("");
  EXPECT_EQ(lab.note(), "No field.");
  EXPECT_EQ(lab.fieldText(), "");

  lab.openDivider("40");
  EXPECT_EQ(lab.note(), "The divider's opening is 40 units high.");
  EXPECT_EQ(lab.dividerText(), "40");
  EXPECT_EQ(b.openingTop(), 480);
  lab.closeDivider();
  EXPECT_EQ(lab.note(), "The divider is closed.");
  EXPECT_EQ(lab.dividerText(), "0");
  lab.openDivider("-5");
  EXPECT_NE(lab.note().find("0 (closed) or more"), std::string::npos) << lab.note();
  EXPECT_EQ(b.opening(), 0);
  lab.openDivider("1000");
  EXPECT_EQ(lab.note(), "No divider.");
  EXPECT_EQ(lab.dividerText(), "");
  // Each change is an event of the laboratory's history.
  std::size_t fields = 0;
  for (const lab::Event& e : lab.laboratory().history().events)
    fields +=
        e.what.find("field") != std::string::npos || e.what.find("divider") != std::string::npos;
  EXPECT_GE(fields, 5u);
}

TEST(LabRulesField, SidesPlaceTheNextRunAndClosingTheLaboratoryForgetsThem) {
  Lab t;
  LabRules& lab = *t.lab;
  lab.openDivider("0");
  lab.setSides({1, 2, 0, 0});
  EXPECT_EQ(lab.note(),
            "At the next Run Simulation: species 1 on the left, species 2 on the right, species 3 "
            "on both sides, species 4 on both sides.");
  EXPECT_EQ(lab.sides(), (std::array<int, 4>{1, 2, 0, 0}));
  lab.setField("0.01");
  t.page.runSimulation();
  const Simulation& sim = t.page.model();
  // A new run keeps the field and the divider its sides are placed by.
  EXPECT_TRUE(sim.boundaries().divider());
  EXPECT_EQ(sim.boundaries().gravity(), 0.01);
  for (int i = 2; i <= sim.lastParticle(); ++i) {
    const double x = sim.state().posX(i).toDouble();
    const int sp = sim.particleSpecies(i);
    EXPECT_TRUE(sp == 1 ? x < 500 : sp == 2 ? x >= 500 : true) << i << " at " << x;
  }
  t.lab.reset();
  EXPECT_EQ(t.page.model().startSides(), (std::array<StartSide, 4>{}));
  EXPECT_FALSE(t.page.model().boundaries().divider());
}

TEST(LabRulesGasLaws, EachProcessHasItsButtonAndTheNoteSaysWhatStartedOrWhyNot) {
  for (int k = 0; k < 5; ++k) {
    const std::string id = "gasLaw" + std::to_string(k);
    EXPECT_NE(LabRules::caption(id), "") << id;
    EXPECT_NE(LabRules::caption(id + "Tip"), "") << id;
    EXPECT_EQ(LabRules::gasLawNames[static_cast<std::size_t>(k)], lab::gasLawNames[k]);
  }
  Lab idle(false);
  idle.lab->startGasLaw(0);
  EXPECT_EQ(idle.lab->note(), "No gas is running.");

  Lab t;
  LabRules& lab = *t.lab;
  lab.startGasLaw(1);
  EXPECT_EQ(lab.note().rfind("At 1.5 times its kT the gas would push the piston", 0), 0u)
      << lab.note();
  EXPECT_FALSE(t.page.model().boundaries().active());
  lab.startGasLaw(0);
  EXPECT_EQ(lab.note().rfind("Boyle: the walls hold kT ", 0), 0u) << lab.note();
  EXPECT_EQ(lab.laboratory().history().events.back().what.rfind("right wall toward x = 512", 0),
            0u);
  t.page.tick(5);
  lab.startGasLaw(3);
  EXPECT_EQ(lab.note().rfind("The Boyle process is still running", 0), 0u) << lab.note();
}

// The right wall moved in is a line in the picture where it stands, and a new run's picture has
// none; the gas drawn afresh shows it at the same pixels.
TEST(LabRulesWalls, TheMovedWallIsALineInThePicture) {
  Lab t;
  t.picture.resize(500, 500);
  auto column = [](const RasterSurface& p, int x) {
    int lit = 0;
    for (int y = 0; y < p.pixels().height(); ++y)
      lit += p.pixels().pixel(x, y) == RasterSurface::toPixel(wallColor);
    return lit;
  };
  t.lab->moveWall("700", "1");
  t.page.tick(100);
  EXPECT_EQ(t.page.model().boundaries().rightX(), 900);
  EXPECT_EQ(column(t.picture, 450), 500);
  t.page.tick(1);
  EXPECT_EQ(column(t.picture, 449), 500) << "the line follows the wall";
  EXPECT_EQ(column(t.picture, 450), 0) << "and its last place is erased";
  RasterSurface fresh;
  fresh.resize(500, 500);
  drawGas(t.page.model(), fresh);
  EXPECT_EQ(column(fresh, 449), 500);
  t.page.runSimulation();
  for (int x = 0; x < 500; ++x)
    EXPECT_EQ(column(t.picture, x), 0) << x;
}

}  // namespace
}  // namespace km
