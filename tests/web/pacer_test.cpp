// SPDX-License-Identifier: GPL-3.0-or-later
// Ticks per display frame: the desktop's 1 ms clock, what a frame can afford, the pace shown.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pacer.h"

namespace km {
namespace {

TEST(Pacer, FramesOweTheTicksOfAOneMillisecondClock) {
  Pacer p;
  EXPECT_EQ(p.beginFrame(1000), 0);
  int owed = 0;
  double now = 1000;
  for (int f = 0; f < 60; ++f) {
    now += 1000.0 / 60;
    const int n = p.beginFrame(now);
    EXPECT_TRUE(n == 16 || n == 17) << n;
    p.ran(n);
    owed += n;
  }
  // A second of frames owes a second of ticks, to the rounding carried from frame to frame.
  EXPECT_NEAR(owed, 1000, 1);
  EXPECT_NEAR(p.pace(), 1000, 20);
  const std::string text = p.paceText();
  EXPECT_NEAR(std::stod(text), 1000, 20) << text;
  EXPECT_EQ(text.substr(text.find(' ')), " ticks a second") << text;
}

TEST(Pacer, ALateFrameCatchesUpOnlySoFarAndTheBudgetFollowsTheFrame) {
  Pacer p;
  p.beginFrame(0);
  EXPECT_EQ(p.beginFrame(500), 50);
  EXPECT_TRUE(p.mayGoOn(505));
  EXPECT_FALSE(p.mayGoOn(500 + Pacer::maxBudgetMs));
  EXPECT_EQ(p.beginFrame(516), 16);
  EXPECT_TRUE(p.mayGoOn(516 + Pacer::budgetShare * 16 - 0.1));
  EXPECT_FALSE(p.mayGoOn(516 + Pacer::budgetShare * 16 + 0.1));
  // A clock that goes back (another page clock) starts afresh.
  EXPECT_EQ(p.beginFrame(10), 0);
}

TEST(Pacer, AFrameThatCannotAffordItsTicksRunsFewerAndSaysSo) {
  Pacer p;
  double now = 0;
  int ticks = 0;
  // Each tick costs 2 ms: a 16.7 ms frame affords its budget's worth of its 16 or 17.
  const double affords = Pacer::budgetShare * (1000.0 / 60) / 2;
  auto tick = [&](int n) {
    now += 2.0 * n;
    ticks += n;
    return n;
  };
  double frameStart = 0;
  for (int f = 0; f < 120; ++f) {
    now = frameStart;
    const int ran = runFrame(
        p, frameStart, tick, [&] { return now; }, 1);
    if (f > 0) {
      EXPECT_GE(ran, std::floor(affords) - 1);
      EXPECT_LE(ran, std::ceil(affords) + 1);
    }
    frameStart += 1000.0 / 60;
  }
  EXPECT_NEAR(p.pace(), affords * 60, 40);
  EXPECT_NE(p.paceText().find(", of 1000"), std::string::npos) << p.paceText();

  // A clock that stops part-way ends the frame early.
  Pacer q;
  q.beginFrame(0);
  int calls = 0;
  const int ran = runFrame(
      q, 16, [&](int n) { return ++calls == 1 ? n : 0; }, [] { return 16.0; }, 4);
  EXPECT_EQ(ran, 4);
  EXPECT_EQ(calls, 2);
}

TEST(Pacer, StoppedItShowsNothingAndStartsAfresh) {
  Pacer p;
  p.beginFrame(0);
  p.ran(0);
  p.beginFrame(16);
  p.ran(16);
  EXPECT_FALSE(p.paceText().empty());
  p.stop();
  EXPECT_EQ(p.paceText(), "");
  EXPECT_EQ(p.pace(), 0);
  EXPECT_EQ(p.beginFrame(5000), 0);
}

}  // namespace
}  // namespace km
