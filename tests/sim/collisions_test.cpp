// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fakes.h"
#include "run_error.h"

namespace km {
namespace {

using test::Rig;

// Two particles 1 and 2 at the given places and velocities, masses as texts.
struct Pair : Rig {
  Pair(double x1, double y1, double x2, double y2) {
    place(2);
    s.posX(1) = x1;
    s.posY(1) = y1;
    s.posX(2) = x2;
    s.posY(2) = y2;
  }
  void velocities(double vx1, double vy1, double vx2, double vy2) {
    s.velX(1) = vx1;
    s.velY(1) = vy1;
    s.velX(2) = vx2;
    s.velY(2) = vy2;
  }
  bool collides() {
    velocities(1, 0, -1, 0);
    sim.CheckCollisions(1);
    return s.velX(1).doubleValue() != 1;
  }
};

TEST(Collide, EqualXPositionsLeaveVelocitiesUnchanged) {
  Pair p(100, 100, 100, 105);
  p.velocities(1, 2, 3, 4);
  p.sim.Collide(1, 2);
  EXPECT_EQ(p.s.velX(1).doubleValue(), 1);
  EXPECT_EQ(p.s.velY(2).doubleValue(), 4);
}

TEST(Collide, EqualYChangesOnlyXVelocities) {
  Pair p(100, 100, 110, 100);
  p.s.partMass(1) = Cell::text("1");
  p.velocities(2, 3, -1, 5);
  p.sim.Collide(1, 2);
  double Dx = 2 * (-1 - 2) / (1 + 1 / (4 + 0.00001));
  EXPECT_DOUBLE_EQ(p.s.velX(1).doubleValue(), 2 + Dx);
  EXPECT_DOUBLE_EQ(p.s.velX(2).doubleValue(), -1 - 0.25 * Dx);
  EXPECT_EQ(p.s.velY(1).doubleValue(), 3);
  EXPECT_EQ(p.s.velY(2).doubleValue(), 5);
}

TEST(Collide, HeadOnEqualMassesSwapAlongTheLine) {
  Pair p(100, 100, 110, 100);
  p.velocities(5, 0, -5, 0);
  p.sim.Collide(1, 2);
  EXPECT_NEAR(p.s.velX(1).doubleValue(), -5.0000125, 5e-8);
  EXPECT_NEAR(p.s.velX(2).doubleValue(), 5.0000125, 5e-8);
  EXPECT_EQ(p.s.velY(1).doubleValue(), 0);
  EXPECT_EQ(p.s.velY(2).doubleValue(), 0);
}

TEST(Collide, MomentumKeptAndCrossComponentsUnchanged) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> pos(0, 1000), vel(-10, 10), mass(0.5, 100);
  for (int n = 0; n < 2000; ++n) {
    Pair p(pos(gen), pos(gen), pos(gen), pos(gen));
    double m1 = mass(gen), m2 = mass(gen);
    p.s.partMass(1) = m1;
    p.s.partMass(2) = m2;
    double v[4] = {vel(gen), vel(gen), vel(gen), vel(gen)};
    p.velocities(v[0], v[1], v[2], v[3]);
    p.sim.Collide(1, 2);
    double w[4] = {p.s.velX(1).doubleValue(), p.s.velY(1).doubleValue(), p.s.velX(2).doubleValue(),
                   p.s.velY(2).doubleValue()};
    double px = m1 * v[0] + m2 * v[2], py = m1 * v[1] + m2 * v[3];
    EXPECT_NEAR(m1 * w[0] + m2 * w[2], px, 1e-9 * (std::fabs(px) + m1 + m2) * 10);
    EXPECT_NEAR(m1 * w[1] + m2 * w[3], py, 1e-9 * (std::fabs(py) + m1 + m2) * 10);
    // Across the line of centres nothing changes.
    double nx = p.s.posX(2).doubleValue() - p.s.posX(1).doubleValue();
    double ny = p.s.posY(2).doubleValue() - p.s.posY(1).doubleValue();
    double len = std::hypot(nx, ny);
    double tx = -ny / len, ty = nx / len;
    EXPECT_NEAR(w[0] * tx + w[1] * ty, v[0] * tx + v[1] * ty, 1e-7);
    EXPECT_NEAR(w[2] * tx + w[3] * ty, v[2] * tx + v[3] * ty, 1e-7);
  }
}

TEST(Collide, MassZeroPartnerIsDivisionByZeroAfterTheFirstParticleChanged) {
  Pair p(100, 100, 110, 100);
  p.s.partMass(2) = Cell::text("0");
  p.velocities(5, 0, -5, 0);
  try {
    p.sim.Collide(1, 2);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::DivisionByZero);
  }
  EXPECT_NE(p.s.velX(1).doubleValue(), 5);
  EXPECT_EQ(p.s.velX(2).doubleValue(), -5);

  Pair q(100, 100, 110, 100);
  q.s.partMass(1) = 0.0;
  q.velocities(5, 0, -5, 0);
  q.sim.Collide(1, 2);
  EXPECT_NEAR(q.s.velX(1).doubleValue(), -15, 1e-12);
  EXPECT_EQ(q.s.velX(2).doubleValue(), -5);
}

TEST(CheckCollisions, StrictProximity) {
  EXPECT_FALSE(Pair(100, 100, 124, 100).collides());
  EXPECT_TRUE(Pair(100, 100, 123.999, 100).collides());
  // Along a diagonal, at offsets exact in binary: 15² + 20² is exactly 25².
  Pair diagonal(100, 100, 115, 120);
  diagonal.s.collProx = 25.0;
  EXPECT_FALSE(diagonal.collides());  // exactly the proximity apart: no collision
  Pair inside(100, 100, 115, 119.9990234375);
  inside.s.collProx = 25.0;
  EXPECT_TRUE(inside.collides());
  EXPECT_FALSE(Pair(100, 100, 118, 118).collides());  // inside the box tests, outside the circle
  EXPECT_FALSE(Pair(100, 100, 900, 900).collides());
}

TEST(CheckCollisions, TypedProximity) {
  struct Row {
    const char* prox;
    double x2;
    bool collides;
  } rows[] = {
      {"0", 100.5, false}, {"-24", 120, true}, {"-24", 125, false},
      {" 30", 129, true},  {"30", 131, false}, {"24", 123.999, true},
  };
  for (const Row& r : rows) {
    Pair p(100, 100, r.x2, 100);
    p.sim.takeProximity(r.prox);
    EXPECT_EQ(p.collides(), r.collides) << r.prox << " at " << r.x2;
  }
  for (const char* bad : {"abc", "", "2 4"}) {
    Pair p(100, 100, 900, 900);  // far apart: the text still passes the box tests
    p.sim.takeProximity(bad);
    try {
      p.sim.CheckCollisions(1);
      ADD_FAILURE() << bad;
    } catch (const RunError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::TypeMismatch);
    }
  }
}

TEST(CheckCollisions, LaterPartnersOnlyAndNeverPastThePlacedParticles) {
  Pair p(100, 100, 110, 100);
  p.velocities(1, 0, -1, 0);
  p.sim.CheckCollisions(2);  // i = N tests nothing
  EXPECT_EQ(p.s.velX(1).doubleValue(), 1);

  // A particle that the latest placement did not place, right on top of particle 1 and
  // with no mass, would end in a division by zero if it were reached.
  p.s.posX(3) = 101.0;
  p.s.posY(3) = 100.0;
  p.s.speciesCount(0) = 3.0;
  EXPECT_EQ(p.sim.lastParticle(), 2);
  EXPECT_NO_THROW(p.sim.CheckCollisions(1));
  // A lower count still takes effect at once.
  p.s.speciesCount(0) = 1.0;
  p.velocities(1, 0, -1, 0);
  p.sim.CheckCollisions(1);
  EXPECT_EQ(p.s.velX(1).doubleValue(), 1);
}

TEST(Collide, SinglePositionsGiveASingleSlope) {
  Pair p(0, 0, 0, 0);
  p.s.posX(1) = 100.0f;
  p.s.posY(1) = 100.0f;
  p.s.posX(2) = 103.0f;
  p.s.posY(2) = 101.0f;
  p.velocities(1, 0, 0, 0);
  p.sim.Collide(1, 2);
  // a = 1/3 in single precision, not in double.
  float a = 1.0f / 3.0f;
  double Dx = (2 * (-1 + double(a) * 0) / double(1.0f + a * a)) / (1 + 4 / 4.00001);
  EXPECT_DOUBLE_EQ(p.s.velX(1).doubleValue(), 1 + Dx);
  EXPECT_DOUBLE_EQ(p.s.velY(1).doubleValue(), Dx * double(a));
}

}  // namespace
}  // namespace km

namespace km {
namespace {

// A random gas of n particles with double positions close enough to collide often.
void randomGas(test::Rig& rig, int n, unsigned seed, bool integerMasses) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> pos(400, 600), vel(-3, 3);
  std::uniform_int_distribution<int> mass(1, 64);
  rig.place(n);
  for (int i = 1; i <= n; ++i) {
    rig.s.posX(i) = pos(gen);
    rig.s.posY(i) = pos(gen);
    rig.s.velX(i) = vel(gen);
    rig.s.velY(i) = vel(gen);
    int m = mass(gen);
    rig.s.partMass(i) = integerMasses ? Cell(m) : Cell::text(std::to_string(m));
  }
}

// The tick takes plain-double shortcuts when every position and mass reads as a double; the
// results must be bit for bit those of the cell rules.
TEST(CollisionShortcuts, SameBitsAsTheCellRules) {
  for (const char* prox : {"", "30", "-45"}) {
    test::Rig fast, slow;
    randomGas(fast, 120, 5, false);
    randomGas(slow, 120, 5, true);  // integer masses take the cell rules in Collide
    // A far-off particle that is not a tame double sends the pair test to the cell rules.
    slow.place(121);
    randomGas(slow, 120, 5, true);
    slow.s.posX(121) = 1e200;
    slow.s.posY(121) = 1e200;
    if (*prox) {
      fast.sim.takeProximity(prox);
      slow.sim.takeProximity(prox);
    }
    int changed = 0;
    for (int i = 1; i <= 120; ++i) {
      fast.sim.CheckCollisions(i);
      slow.sim.CheckCollisions(i);
    }
    for (int i = 1; i <= 120; ++i) {
      ASSERT_EQ(fast.s.velX(i).doubleValue(), slow.s.velX(i).doubleValue()) << prox << " " << i;
      ASSERT_EQ(fast.s.velY(i).doubleValue(), slow.s.velY(i).doubleValue()) << prox << " " << i;
      test::Rig fresh;
      randomGas(fresh, 120, 5, false);
      changed += fast.s.velX(i).doubleValue() != fresh.s.velX(i).doubleValue();
    }
    EXPECT_GT(changed, 20) << prox;
  }
}

}  // namespace
}  // namespace km

namespace km {
namespace {

// In the tick the pair test also visits only the particles near in x; the gas must step to
// the same bits as under the cell rules, which a particle with integer coordinates (not a
// tame double) forces on every pair. A proximity of 150 puts too many in reach for the
// ordered visit, which then leaves the pairs to the plain scan.
TEST(CollisionShortcuts, TickStepsTheSameAsTheCellRules) {
  for (const char* prox : {"", "30", "-45", "150"}) {
    test::Rig fast, slow;
    randomGas(fast, 120, 9, false);
    slow.place(121);
    randomGas(slow, 120, 9, false);
    slow.s.speciesCount(0) = 121.0;
    slow.s.placedCount = 121;
    slow.s.posX(121) = 980;
    slow.s.posY(121) = 980;
    slow.s.velX(121) = 0;
    slow.s.velY(121) = 0;
    if (*prox) {
      fast.sim.takeProximity(prox);
      slow.sim.takeProximity(prox);
    }
    for (int t = 0; t < 15; ++t) {
      fast.sim.Timer1_Timer(fast.surface, fast.display);
      slow.sim.Timer1_Timer(slow.surface, slow.display);
    }
    ASSERT_EQ(slow.s.posX(121).kind(), Kind::Integer) << prox;
    for (int i = 1; i <= 120; ++i) {
      ASSERT_EQ(fast.s.posX(i).doubleValue(), slow.s.posX(i).doubleValue()) << prox << " " << i;
      ASSERT_EQ(fast.s.velY(i).doubleValue(), slow.s.velY(i).doubleValue()) << prox << " " << i;
    }
  }
}

}  // namespace
}  // namespace km
