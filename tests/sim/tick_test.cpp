// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fakes.h"
#include "run_error.h"

namespace km {
namespace {

using test::Rig;

std::string circle(const char* x, const char* y, const char* r, Color c) {
  return std::string("circle ") + x + " " + y + " " + r + " " + std::to_string(c);
}

TEST(Tick, SurfaceCallsInOrderForASmallGas) {
  Rig rig;
  rig.place(2);
  rig.s.partColor(1) = RGB(0, 255, 0);
  rig.s.posX(1) = 500;
  rig.s.posY(1) = 500;
  rig.s.posX(2) = 100.5;
  rig.s.posY(2) = 200.0;
  rig.s.velX(2) = 2.0;
  rig.s.velY(2) = -1.0;
  rig.s.partRadius(2) = Cell::text("8");
  rig.surface.calls.clear();
  rig.sim.Timer1_Timer(rig.surface, rig.display);

  const auto& calls = rig.surface.calls;
  ASSERT_EQ(calls.size(), 200u + 2 * 4);
  for (int k = 0; k < 100; ++k) {
    EXPECT_EQ(calls[2 * k], "fill 65280");
    EXPECT_EQ(calls[2 * k + 1], circle("0", "0", "3", 65280));  // trail not yet written
  }
  std::vector<std::string> rest(calls.begin() + 200, calls.end());
  std::vector<std::string> expected = {
      "fill 0",        circle("500", "500", "12", 0),
      "fill 65280",    circle("500", "500", "12", 65280),
      "fill 0",        circle("100.5", "200", "8", 0),
      "fill 16711680", circle("102.5", "199", "8", 16711680),
  };
  EXPECT_EQ(rest, expected);
  EXPECT_EQ(rig.s.trailX(0).intValue(), 500);
  EXPECT_EQ(rig.s.posX(2).doubleValue(), 102.5);

  // The next tick draws the newest trail entry at particle 1's old place.
  rig.surface.calls.clear();
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.surface.calls[1], circle("0", "0", "3", 65280));
  EXPECT_EQ(rig.surface.calls[199], circle("500", "500", "3", 65280));
}

struct Wall : Rig {
  Wall() { place(1); }
  // Moves particle 1 from x with velocity vx for one tick and returns the new velocity.
  double after(double x, double vx, double radius = 12) {
    s.posX(1) = x;
    s.posY(1) = 500.0;
    s.velX(1) = vx;
    s.partRadius(1) = radius;
    sim.Timer1_Timer(surface, display);
    return s.velX(1).doubleValue();
  }
};

TEST(Tick, WallTestIsStrictAndTurnsInwardWithoutMoving) {
  Wall w;
  EXPECT_EQ(w.after(14, -2), -2);  // lands exactly touching: no turn
  EXPECT_EQ(w.after(13.9, -2), 2);
  EXPECT_EQ(w.s.posX(1).doubleValue(), 11.9);  // not moved back
  EXPECT_EQ(w.after(986, 2), 2);
  EXPECT_EQ(w.after(986.5, 2), -2);
  EXPECT_EQ(w.after(-5, -3), 3);  // past the wall, turned in, drawn where it is
  EXPECT_EQ(w.after(-8, 3), 3);   // already inward: stays inward
  EXPECT_EQ(w.after(5, 0), 0);    // zero stays zero
}

TEST(Tick, RadiusAbove500SwingsAboutTheCentre) {
  Wall w;
  EXPECT_EQ(w.after(500, 0.0, 600), 0);
  EXPECT_EQ(w.after(498, 1, 600), 1);
  EXPECT_EQ(w.after(505, 1, 600), -1);
  EXPECT_EQ(w.after(500, -1, 600), 1);   // at 499 after the move
  EXPECT_EQ(w.after(501, -1, 600), -1);  // exactly on the centre line: not less than 500
}

TEST(Tick, ZeroParticlesStillShowTimeAndTrail) {
  Rig rig;
  rig.display.last = {"", "keep", "keep", "keep"};
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.display[Readout::Label1], "12:34:56");
  EXPECT_EQ(rig.display[Readout::Label2], "keep");
  EXPECT_EQ(rig.display[Readout::Label7], "keep");
  EXPECT_EQ(rig.surface.calls.size(), 1u + 200);  // startUp's background, then the trail
}

TEST(Tick, ReadoutsShowRunningSumsAndTheSpeed) {
  Rig rig;
  rig.place(2);
  for (int i = 1; i <= 2; ++i) {
    rig.s.posX(i) = 300.0 * i;
    rig.s.posY(i) = 300.0;
  }
  rig.s.velX(1) = 3.0;
  rig.s.velY(1) = 4.0;
  rig.s.velX(2) = -1.5;
  rig.s.velY(2) = 0.25;
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.display[Readout::Label2], "45");  // 4*9 + 4*2.25
  EXPECT_EQ(rig.display[Readout::Label3], "64");  // 4*16 + 4*0.0625 = 64.25
  EXPECT_EQ(rig.display[Readout::Label7], "4");   // 0.7 * 5 + 0.5
  EXPECT_EQ(rig.display.count(Readout::Label2), 2);
  EXPECT_EQ(rig.display.count(Readout::Label7), 2);
  rig.s.velX(1) = -6.0;
  rig.s.velY(1) = 8.0;
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.display[Readout::Label7], "7");
}

TEST(Tick, NeverPastThePlacedParticles) {
  Rig rig;
  rig.place(3);
  for (int i = 1; i <= 3; ++i)
    rig.s.posX(i) = 100.0 * i, rig.s.posY(i) = 500.0;
  rig.s.speciesCount(0) = 50.0;  // raised during the run
  rig.surface.calls.clear();
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.surface.calls.size(), 200u + 3 * 4);
  rig.s.speciesCount(0) = 2.5;  // lowered: takes effect at once
  rig.surface.calls.clear();
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.surface.calls.size(), 200u + 2 * 4);
}

TEST(Tick, TypedTextsInTheStateAreUsedAsNumbers) {
  Rig rig;
  rig.place(1);
  rig.s.posX(1) = 500;
  rig.s.posY(1) = 500;
  rig.s.partRadius(1) = Cell::text("abc");
  EXPECT_THROW(rig.sim.Timer1_Timer(rig.surface, rig.display), RunError);
  rig.s.partRadius(1) = Cell::text("20");
  rig.s.velX(1) = 1.0;
  rig.surface.calls.clear();
  rig.sim.Timer1_Timer(rig.surface, rig.display);
  EXPECT_EQ(rig.surface.calls[1], circle("0", "0", "5", 16711680));
  EXPECT_EQ(rig.surface.calls.back(), circle("501", "500", "20", 16711680));
  EXPECT_EQ(rig.display[Readout::Label2], "4");
}

TEST(Tick, TrailKeepsAHundredTicksOfParticleOne) {
  Rig rig;
  rig.place(1);
  rig.s.posX(1) = 100;
  rig.s.posY(1) = 500;
  rig.s.velX(1) = 1;
  for (int t = 0; t < 150; ++t)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  // Entry k holds the position k ticks before the newest one.
  EXPECT_EQ(rig.s.trailX(0).intValue(), 249);
  EXPECT_EQ(rig.s.trailX(100).intValue(), 149);
  EXPECT_EQ(rig.s.trailX(0).kind(), Kind::Integer);
}

}  // namespace
}  // namespace km
