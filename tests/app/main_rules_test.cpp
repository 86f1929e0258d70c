// SPDX-License-Identifier: GPL-3.0-or-later
// The page's rules against the desktop window's: start-up texts, marks, refusals, the clock,
// run-time errors, colours, and the golden run.
#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "gas_picture.h"
#include "golden_run.h"
#include "main_rules.h"
#include "raster_surface.h"

namespace km {
namespace {

struct Page {
  SeededGenerator rnd;
  test::FixedClock clock;
  RasterSurface picture;
  MainRules page{rnd, clock, picture};
  State& s = page.model().state();
  Page() { picture.resize(567, 500); }
};

TEST(MainRules, StartsUpWithTheDesktopWindowsTexts) {
  Page t;
  const char* masses[] = {" 1", " 4", " 16", " 64"};
  const char* counts[] = {" 32", " 8", " 2", "1"};
  const char* colours[] = {"#00ff00", "#0000ff", "#00ffff", "#ff0000"};
  const char* captions[] = {"black", "white", "black", "white"};
  for (int k = 0; k < 4; ++k) {
    const std::string i = std::to_string(k);
    EXPECT_EQ(t.page.fieldText("txt_masses_" + i), masses[k]);
    EXPECT_EQ(t.page.fieldText("txt_how_many_" + i), counts[k]);
    EXPECT_EQ(t.page.caption("lbl_mass_id_" + i), "mass # " + std::to_string(k + 1));
    EXPECT_EQ(t.page.caption("lbl_how_many_m_" + i), "how many?");
    EXPECT_EQ(t.page.caption("cmd_color_" + i), "color");
    EXPECT_EQ(t.page.speciesColor(k), colours[k]);
    EXPECT_EQ(t.page.captionColor(k), captions[k]);
    EXPECT_EQ(t.page.fieldProblem("txt_masses_" + i), "");
    EXPECT_EQ(t.page.fieldProblem("txt_how_many_" + i), "");
  }
  EXPECT_EQ(t.page.colorTitle(1), "Select color for mass #  2");
  EXPECT_EQ(t.page.fieldText("txtParticleRad"), "12");
  EXPECT_EQ(t.page.fieldText("txtProximity"), "24");
  EXPECT_EQ(t.page.fieldText("txtVelRange"), "20");
  EXPECT_EQ(t.page.caption("runSImulation"), "Run Simulation");
  EXPECT_EQ(t.page.caption("cmd_stop_simulation"), "pause");
  EXPECT_EQ(t.page.caption("Command2"), "restart");
  EXPECT_EQ(t.page.caption("Label4"), "KE_x:");
  EXPECT_EQ(t.page.caption("nothing"), "");
  EXPECT_EQ(t.page.readout("Label1"), "");
  EXPECT_EQ(t.page.readout("Label7"), "");
  // The fields were taken as typed: 43 particles, masses adding up to 85.
  EXPECT_EQ(t.s.speciesCount(0).toDouble(), 43.0);
  EXPECT_EQ(t.s.speciesMass(0).toDouble(), 85.0);
  EXPECT_FALSE(t.page.running());
  EXPECT_EQ(t.page.takeMessage(), "");
}

// Each field carries the words of the check that "Run Simulation" makes, on its own row.
TEST(MainRules, FieldsAreMarkedAsTheRunWouldRefuseThem) {
  Page t;
  t.page.typeInto("txt_how_many_2", "2x");
  EXPECT_EQ(t.page.fieldProblem("txt_how_many_2"),
            "The count of species 3 is \"2x\"; it must be a number of 0 or more.");
  EXPECT_EQ(t.page.fieldProblem("txt_how_many_1"), "");
  t.page.typeInto("txt_masses_0", "0.01");
  EXPECT_NE(t.page.fieldProblem("txt_masses_0").find("from 0.1 to 1,000,000"), std::string::npos)
      << t.page.fieldProblem("txt_masses_0");
  t.page.typeInto("txtParticleRad", "");
  EXPECT_EQ(t.page.fieldProblem("txtParticleRad"),
            "The particle radius is \"\"; it must be a number from 0 to 1,000.");
  t.page.typeInto("txtVelRange", "1001");
  EXPECT_NE(t.page.fieldProblem("txtVelRange"), "");
  // Too many in all marks every count.
  t.page.typeInto("txt_how_many_2", "600");
  for (int k = 0; k < 4; ++k)
    EXPECT_NE(t.page.fieldProblem("txt_how_many_" + std::to_string(k)).find("at most 500"),
              std::string::npos);

  // The proximity keeps its last number and says so; empty, it shows that number in grey.
  t.page.typeInto("txtProximity", "-30");
  EXPECT_EQ(t.s.collProx.textValue(), std::string_view("-30"));
  t.page.typeInto("txtProximity", "");
  EXPECT_EQ(t.s.collProx.textValue(), std::string_view("-30"));
  EXPECT_EQ(t.page.fieldPlaceholder("txtProximity"), "-30");
  EXPECT_NE(t.page.fieldProblem("txtProximity").find("Until then it stays at -30."),
            std::string::npos);
  EXPECT_EQ(t.page.fieldPlaceholder("txtVelRange"), "");
}

TEST(MainRules, RunRefusesWithTheDesktopsMessageAndStartsNothing) {
  Page t;
  t.page.typeInto("txt_how_many_0", "3x");
  t.page.typeInto("txtVelRange", "-1");
  t.page.runSimulation();
  EXPECT_EQ(t.page.takeMessage(),
            "The simulation cannot start:\n\n\u2022 The count of species 1 is \"3x\"; it must be "
            "a number of 0 or more.\n\u2022 The velocity range is \"-1\"; it must be a number "
            "from 0 to 1,000.");
  EXPECT_EQ(t.page.takeMessage(), "");
  EXPECT_FALSE(t.page.running());
  EXPECT_EQ(t.page.tick(10), 0);
  EXPECT_EQ(t.s.placedCount, 0);
}

TEST(MainRules, RunPauseAndRestartDriveTheClock) {
  Page t;
  // Before any run, restart starts nothing.
  t.page.restart();
  EXPECT_FALSE(t.page.running());
  EXPECT_EQ(t.page.tick(3), 0);

  t.page.runSimulation();
  EXPECT_EQ(t.page.takeMessage(), "");
  EXPECT_TRUE(t.page.running());
  EXPECT_EQ(t.s.placedCount, 43);
  EXPECT_EQ(t.page.tick(25), 25);
  EXPECT_EQ(t.page.readout("Label1"), "12:34:56");
  EXPECT_FALSE(t.page.readout("Label2").empty());
  EXPECT_FALSE(t.page.readout("Label7").empty());

  auto positions = [&] {
    std::string all;
    for (int i = 1; i <= 43; ++i)
      all += std::to_string(t.s.posX(i).toDouble()) + " " + std::to_string(t.s.posY(i).toDouble());
    return all;
  };
  t.page.pause();
  const std::string paused = positions();
  EXPECT_EQ(t.page.tick(10), 0);
  EXPECT_EQ(positions(), paused);
  t.page.restart();
  EXPECT_EQ(t.page.tick(10), 10);
  EXPECT_NE(positions(), paused);

  // Typing never stops the clock, not even counts whose total overflows.
  t.page.typeInto("txt_how_many_1", "1e308");
  t.page.typeInto("txt_how_many_2", "1e308");
  EXPECT_TRUE(t.page.running());
  EXPECT_EQ(t.page.tick(5), 5);
  EXPECT_NE(t.page.fieldProblem("txt_how_many_1"), "");
  // A count lowered during a run moves fewer discs at once.
  t.page.typeInto("txt_how_many_1", "0");
  t.page.typeInto("txt_how_many_2", "0");
  t.page.typeInto("txt_how_many_3", "0");
  t.page.typeInto("txt_how_many_0", "20");
  const double still = t.s.posX(30).toDouble();
  EXPECT_EQ(t.page.tick(5), 5);
  EXPECT_EQ(t.s.posX(30).toDouble(), still);
}

TEST(MainRules, ARunTimeErrorStopsTheClockWithTheDesktopsMessage) {
  Page t;
  t.page.runSimulation();
  t.page.pause();
  // Particles 2 and 3 on top of each other, the partner without mass.
  t.s.posX(2) = 300.0;
  t.s.posY(2) = 300.0;
  t.s.posX(3) = 305.0;
  t.s.posY(3) = 300.0;
  t.s.partMass(3) = 0.0;
  t.page.restart();
  EXPECT_EQ(t.page.tick(5), 0);
  EXPECT_FALSE(t.page.running());
  const std::string message = t.page.takeMessage();
  EXPECT_EQ(message.rfind(
                "The simulation stopped while running the simulation.\n\nDivision by zero: ", 0),
            0u)
      << message;
  EXPECT_NE(message.find("particles 2 and 3"), std::string::npos) << message;
  EXPECT_NE(message.find(".\n\nFix the cause, then press \"restart\" to go on or \"Run "
                         "Simulation\" to start again."),
            std::string::npos)
      << message;
  t.s.partMass(3) = 4.0;
  t.page.restart();
  EXPECT_EQ(t.page.tick(5), 5);
  EXPECT_EQ(t.page.takeMessage(), "");
}

TEST(MainRules, APickedColourPaintsTheNextRun) {
  Page t;
  t.page.runSimulation();
  t.page.pickColor(1, "#0A14fe");
  EXPECT_EQ(t.page.speciesColor(1), "#0a14fe");
  EXPECT_EQ(t.s.partColor(33).toIndex(), RGB(0, 0, 255));  // placed particles keep theirs
  for (const char* bad : {"", "0a14fe", "#0a14f", "#0a14fg", "#0a14fe0"})
    t.page.pickColor(1, bad);
  t.page.pickColor(4, "#ffffff");
  EXPECT_EQ(t.page.speciesColor(1), "#0a14fe");
  t.page.runSimulation();
  EXPECT_EQ(t.s.partColor(33).toIndex(), RGB(10, 20, 254));
  EXPECT_EQ(t.page.speciesColor(4), "");
}

// The run draws discs in their species' colours on black into the page's pixels.
TEST(MainRules, TheRunDrawsTheGas) {
  Page t;
  t.page.runSimulation();
  t.page.tick(3);
  const PixelBuffer& p = t.picture.pixels();
  int black = 0, green = 0, blue = 0;
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) {
      black += p.pixel(x, y) == RasterSurface::toPixel(0);
      green += p.pixel(x, y) == RasterSurface::toPixel(RGB(0, 255, 0));
      blue += p.pixel(x, y) == RasterSurface::toPixel(RGB(0, 0, 255));
    }
  EXPECT_GT(black, p.width() * p.height() * 3 / 4);
  EXPECT_GT(green, 32 * 100);  // 32 discs of about 150 pixels each, and the trail
  EXPECT_GT(blue, 8 * 100);
}

// The gas drawn afresh is the window's picture wherever a disc is now: every disc's centre, in
// its colour, on the same pixel; only what a tick leaves behind (the placement's circles) is
// not drawn again.
TEST(MainRules, TheGasDrawnAfreshIsThePictureTheTicksDrew) {
  Page t;
  t.page.runSimulation();
  t.page.tick(200);
  RasterSurface fresh;
  fresh.resize(567, 500);
  drawGas(t.page.model(), fresh);
  const PixelBuffer& drawn = t.picture.pixels();
  const PixelBuffer& again = fresh.pixels();
  const int last = t.page.model().lastParticle();
  ASSERT_GT(last, 40);
  int same = 0;
  for (int i = 1; i <= last; ++i) {
    const int x = static_cast<int>(t.s.posX(i).toDouble() * 567 / 1000);
    const int y = static_cast<int>(t.s.posY(i).toDouble() * 500 / 1000);
    if (x < 0 || y < 0 || x >= 567 || y >= 500) continue;
    same += drawn.pixel(x, y) == again.pixel(x, y);
  }
  // A tick erases a disc's last place in black after its neighbours are drawn, so a few
  // neighbours lose a bite the fresh picture does not.
  EXPECT_GE(same, last - 3);
  int lit = 0, litAgain = 0;
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 567; ++x) {
      lit += drawn.pixel(x, y) != RasterSurface::toPixel(0);
      litAgain += again.pixel(x, y) != RasterSurface::toPixel(0);
    }
  EXPECT_NEAR(litAgain, lit, lit / 20);
}

// The same checksum as the engine's golden test: the page runs the same gas bit for bit.
TEST(GoldenRun, TheChecksumOfTheEnginesGoldenTest) {
  EXPECT_EQ(goldenChecksum(), 0x639525eaa9a84ac0ull);
}

}  // namespace
}  // namespace km
