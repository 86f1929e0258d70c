// One step of the gas: time, trail of particle 1, then move, wall test, erase, draw,
// collisions and readouts for every particle.
#include "conversions.h"
#include "run_error.h"
#include "simulation.h"

namespace km {
namespace {

void showNumber(TextDisplay& readouts, Readout which, const Cell& value) {
  char buf[32];
  readouts.show(which, std::string_view(buf, readoutText(value, buf)));
}

}  // namespace

void Simulation::drawTrail(DrawingSurface& surface) {
  for (int k = 100; k >= 1; --k) {
    s_.trailX(k) = s_.trailX(k - 1);
    s_.trailY(k) = s_.trailY(k - 1);
    surface.setFillColor(s_.partColor(1).toIndex());
    surface.circle(s_.trailX(k).toSingle(), s_.trailY(k).toSingle(),
                   (s_.partRadius(1) / 4).toSingle(), s_.partColor(1).toIndex());
  }
  s_.trailX(0) = s_.posX(1);
  s_.trailY(0) = s_.posY(1);
}

void Simulation::turnAtWall(int i, Axis axis) {
  const Cell& pos = axis == Axis::X ? s_.posX(i) : s_.posY(i);
  Cell& vel = axis == Axis::X ? s_.velX(i) : s_.velY(i);
  if (!observer_) {
    vel = pos < 500 ? abs(vel) : -abs(vel);
    return;
  }
  const Cell before = vel;
  vel = pos < 500 ? abs(vel) : -abs(vel);
  if (!(vel == before))
    observer_->wallTurn(i, axis, pos.toDouble(), before.toDouble(), vel.toDouble());
}

void Simulation::moveAndDraw(int i, DrawingSurface& surface) {
  s_.prevX = s_.posX(i);
  s_.prevY = s_.posY(i);
  s_.posX(i) = s_.posX(i) + s_.velX(i);
  s_.posY(i) = s_.posY(i) + s_.velY(i);
  // Strict test, and the disc is not moved back: it turns inward and comes back by itself.
  if (abs(s_.posX(i) - 500) > 500 - s_.partRadius(i)) turnAtWall(i, Axis::X);
  if (abs(s_.posY(i) - 500) > 500 - s_.partRadius(i)) turnAtWall(i, Axis::Y);

  const float radius = s_.partRadius(i).toSingle();
  surface.setFillColor(0);
  surface.circle(s_.prevX.toSingle(), s_.prevY.toSingle(), radius, 0);
  const Color color = s_.partColor(i).toIndex();
  surface.setFillColor(color);
  surface.circle(s_.posX(i).toSingle(), s_.posY(i).toSingle(), radius, color);
}

void Simulation::Timer1_Timer(DrawingSurface& surface, TextDisplay& readouts) {
  readouts.show(Readout::Label1, timeOfDayText(clock_.secondsSinceMidnight()));
  Cell keSumX = 0;
  Cell keSumY = 0;
  char speedText[32];
  std::size_t speedLength = 0;
  try {
    drawTrail(surface);
  } catch (const RunError& e) {
    throw withPlace(e, "drawing the trail of particle 1");
  }

  const int last = lastParticle();
  // Positions change only in moveAndDraw, so tameness of the later particles is known from
  // one look at the start and one look at each particle after its move.
  bool laterTame = tameFrom(2);
  if (laterTame) sweep_.sort(2, last, [this](int j) { return s_.posX(j).doubleValue(); });
  for (int i = 1; i <= last; ++i) {
    try {
      moveAndDraw(i, surface);
    } catch (const RunError& e) {
      throw withPlace(e, "moving particle " + std::to_string(i));
    }
    if (i >= 2) laterTame = laterTame && isTame(s_.posX(i)) && isTame(s_.posY(i));
    checkPairs(i, laterTame, laterTame ? &sweep_ : nullptr);
    keSumX = keSumX + (s_.partMass(i) * s_.velX(i)) * s_.velX(i);
    keSumY = keSumY + (s_.partMass(i) * s_.velY(i)) * s_.velY(i);
    showNumber(readouts, Readout::Label2, keSumX);
    showNumber(readouts, Readout::Label3, keSumY);
    // Particle 1's velocity is final once its own pass is over (later passes change only
    // later particles), so its speed readout is worked out once and shown on every pass.
    if (i == 1) {
      const Cell speed = pow(pow(s_.velX(1), 2) + pow(s_.velY(1), 2), 0.5);
      speedLength = readoutText(Cell(0.7) * speed + 0.5, speedText);
    }
    readouts.show(Readout::Label7, std::string_view(speedText, speedLength));
  }
}

}  // namespace km
