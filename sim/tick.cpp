// SPDX-License-Identifier: GPL-3.0-or-later
// One step of the gas: time, trail of particle 1, then move, wall test, erase, draw,
// collisions and readouts for every particle; or, under the exact rule, the whole gas advanced
// first and then erase, draw and readouts for every particle.
#include <cmath>

#include "conversions.h"
#include "run_error.h"
#include "simulation.h"

namespace km {
namespace {

void showNumber(TextDisplay& readouts, Readout which, const Cell& value) {
  char buf[32];
  readouts.show(which, std::string_view(buf, readoutText(value, buf)));
}

// The energy sums and the three readouts, brought up to date at the end of each particle's pass.
class Readings {
 public:
  explicit Readings(TextDisplay& readouts) : readouts_(readouts) {}

  void add(const State& s, int i) {
    keSumX_ = keSumX_ + (s.partMass(i) * s.velX(i)) * s.velX(i);
    keSumY_ = keSumY_ + (s.partMass(i) * s.velY(i)) * s.velY(i);
    showNumber(readouts_, Readout::Label2, keSumX_);
    showNumber(readouts_, Readout::Label3, keSumY_);
    // Particle 1's velocity is final once its own pass is over (later passes change only
    // later particles), so its speed readout is worked out once and shown on every pass.
    if (i == 1) {
      const Cell speed = pow(pow(s.velX(1), 2) + pow(s.velY(1), 2), 0.5);
      speedLength_ = readoutText(Cell(0.7) * speed + 0.5, speedText_);
    }
    readouts_.show(Readout::Label7, std::string_view(speedText_, speedLength_));
  }

 private:
  TextDisplay& readouts_;
  Cell keSumX_ = 0;
  Cell keSumY_ = 0;
  char speedText_[32];
  std::size_t speedLength_ = 0;
};

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

void Simulation::meetBoundaries(int i) {
  const double r = s_.partRadius(i).toDouble();
  const double mass = s_.partMass(i).toDouble();
  const double x = s_.posX(i).toDouble(), y = s_.posY(i).toDouble();
  // The same strict test as the fixed walls', against where the walls stand now.
  auto meet = [&](WallSide side, Axis axis, double at) {
    Cell& normalCell = axis == Axis::X ? s_.velX(i) : s_.velY(i);
    Cell& tangentialCell = axis == Axis::X ? s_.velY(i) : s_.velX(i);
    const double before = normalCell.toDouble(), beforeT = tangentialCell.toDouble();
    double normal = before, tangential = beforeT;
    if (!boundaries_.meet(side, mass, 0, normal, tangential, rnd_)) return;
    normalCell = normal;
    if (tangential != beforeT) tangentialCell = tangential;
    if (observer_) observer_->wallTurn(i, axis, at, before, normal);
    // Under a field a disc turned where it stands beyond the floor would keep the height it
    // lost there: it is taken back out, mirrored in the contact line, as on a real bounce.
    if (axis == Axis::Y && boundaries_.gravity() != 0) {
      const double line = side == WallSide::Top ? r : 1000 - r;
      s_.posY(i) = 2 * line - y;
    }
  };
  if (x < r) meet(WallSide::Left, Axis::X, x);
  if (x > boundaries_.rightX() - r) meet(WallSide::Right, Axis::X, x);
  if (y < r) meet(WallSide::Top, Axis::Y, y);
  if (y > 1000 - r) meet(WallSide::Bottom, Axis::Y, y);
  if (boundaries_.divider()) meetDivider(i);
}

void Simulation::meetDivider(int i) {
  const double r = s_.partRadius(i).toDouble(), mass = s_.partMass(i).toDouble();
  const double x = s_.posX(i).toDouble(), y = s_.posY(i).toDouble();
  const double fromX = s_.prevX.toDouble(), fromY = s_.prevY.toDouble();
  const double top = boundaries_.openingTop(), bottom = boundaries_.openingBottom();
  auto against = [&](double at) { return at <= top || at >= bottom; };
  // The face on the side the disc came from. Unlike the outer walls', this test also takes the
  // disc back out of the face, mirrored, so that a step longer than the face's width cannot
  // carry it through.
  const bool left = fromX < 500;
  const double face = left ? 500 - r : 500 + r;
  const bool beyond = left ? x > face : x < face;
  const bool cameFromFront = left ? fromX <= face : fromX >= face;
  if (beyond) {
    const double crossY =
        cameFromFront && x != fromX ? fromY + (y - fromY) * ((face - fromX) / (x - fromX)) : y;
    if (against(crossY)) {
      s_.posX(i) = cameFromFront ? 2 * face - x : face;
      const double vx = s_.velX(i).toDouble();
      if (left ? vx > 0 : vx < 0) s_.velX(i) = -vx;
      return;
    }
  }
  if (!(bottom > top)) return;
  for (const double endY : {top, bottom}) {
    const double dx = x - 500, dy = y - endY;
    if (!(dx * dx + dy * dy < r * r)) continue;
    double vx = s_.velX(i).toDouble(), vy = s_.velY(i).toDouble();
    if (!boundaries_.meetEnd(mass, dx, dy, vx, vy)) continue;
    s_.velX(i) = vx;
    s_.velY(i) = vy;
  }
}

double Simulation::wallRadius() const {
  const Cell& r = s_.partRadius(1);
  return r.isNumber() && std::isfinite(r.toDouble()) ? r.toDouble() : 0;
}

std::string Simulation::moveRightWall(double target, double speed, long start) {
  // The proximity as typed may be held as its text.
  double sigma = 0;
  if (s_.collProx.isNumber())
    sigma = std::fabs(s_.collProx.toDouble());
  else if (double typed = 0; s_.collProx.kind() == Kind::Text && s_.collProx.textNumber(typed))
    sigma = std::fabs(typed);
  // So may the radius until the first tick reads it: a wall moved in before then is judged by
  // the discs' real size.
  double radius = wallRadius();
  if (double typed = 0; s_.partRadius(1).kind() == Kind::Text &&
                        s_.partRadius(1).textNumber(typed) && std::isfinite(typed))
    radius = typed;
  return boundaries_.moveRightWall(target, speed, start, lastParticle(), sigma, radius);
}

void Simulation::moveAndDraw(int i, DrawingSurface& surface) {
  s_.prevX = s_.posX(i);
  s_.prevY = s_.posY(i);
  // The field's pull in two halves, before and after the move: the step of velocity Verlet,
  // which keeps the energy with m·g·h to the order of the step's square.
  const double g = boundaries_.gravity();
  if (g != 0) s_.velY(i) = s_.velY(i) + Cell(g / 2);
  s_.posX(i) = s_.posX(i) + s_.velX(i);
  s_.posY(i) = s_.posY(i) + s_.velY(i);
  if (boundaries_.active()) {
    meetBoundaries(i);
    if (g != 0) s_.velY(i) = s_.velY(i) + Cell(g / 2);
  } else {
    // Strict test, and the disc is not moved back: it turns inward and comes back by itself.
    if (abs(s_.posX(i) - 500) > 500 - s_.partRadius(i)) turnAtWall(i, Axis::X);
    if (abs(s_.posY(i) - 500) > 500 - s_.partRadius(i)) turnAtWall(i, Axis::Y);
  }
  eraseAndDraw(i, surface);
}

void Simulation::eraseAndDraw(int i, DrawingSurface& surface) {
  const float radius = s_.partRadius(i).toSingle();
  surface.setFillColor(0);
  surface.circle(s_.prevX.toSingle(), s_.prevY.toSingle(), radius, 0);
  const Color color = s_.partColor(i).toIndex();
  surface.setFillColor(color);
  surface.circle(s_.posX(i).toSingle(), s_.posY(i).toSingle(), radius, color);
}

void Simulation::Timer1_Timer(DrawingSurface& surface, TextDisplay& readouts) {
  readouts.show(Readout::Label1, timeOfDayText(clock_.secondsSinceMidnight()));
  try {
    drawTrail(surface);
  } catch (const RunError& e) {
    throw withPlace(e, "drawing the trail of particle 1");
  }

  const int last = lastParticle();
  const bool walls = boundaries_.active();
  if (walls) boundaries_.beginTick(wallRadius(), rule_ == CollisionRule::Exact);
  if (rule_ == CollisionRule::Exact) {
    exactTick(last, surface, readouts);
    if (walls) boundaries_.endTick();
    if (walls || wallDrawnAt_ >= 0 || dividerDrawn_) drawWall(surface);
    return;
  }
  Readings readings(readouts);
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
    readings.add(s_, i);
  }
  if (walls) boundaries_.endTick();
  if (walls || wallDrawnAt_ >= 0 || dividerDrawn_) drawWall(surface);
}

void drawDivider(const Boundaries& walls, DrawingSurface& surface) {
  if (!walls.divider()) return;
  surface.wallLine(500, 0, static_cast<float>(walls.openingTop()), wallColor);
  surface.wallLine(500, static_cast<float>(walls.openingBottom()), 1000, wallColor);
}

void Simulation::drawWall(DrawingSurface& surface) {
  const double x = boundaries_.rightX();
  if (wallDrawnAt_ >= 0 && wallDrawnAt_ != x)
    surface.wallLine(static_cast<float>(wallDrawnAt_), 0, 1000, 0);
  // An opening made wider leaves no line in it.
  if (dividerDrawn_ && !(boundaries_.divider() && boundaries_.openingTop() == dividerTop_))
    surface.wallLine(500, 0, 1000, 0);
  wallDrawnAt_ = -1;
  dividerDrawn_ = boundaries_.divider();
  dividerTop_ = boundaries_.openingTop();
  drawDivider(boundaries_, surface);
  if (x >= 1000) return;
  surface.wallLine(static_cast<float>(x), 0, 1000, wallColor);
  wallDrawnAt_ = x;
}

void Simulation::setCollisionRule(CollisionRule rule) {
  if (rule == CollisionRule::Exact && rule_ != CollisionRule::Exact) separatePending_ = true;
  rule_ = rule;
}

void Simulation::readDiscs(int last) {
  discGas_.resize(last);
  for (int i = 1; i <= last; ++i) {
    Disc& d = discGas_.discs[static_cast<std::size_t>(i)];
    try {
      d.x = s_.posX(i).toDouble();
      d.y = s_.posY(i).toDouble();
      d.vx = s_.velX(i).toDouble();
      d.vy = s_.velY(i).toDouble();
      d.mass = s_.partMass(i).toDouble();
      d.radius = s_.partRadius(i).toDouble();
    } catch (const RunError& e) {
      throw withPlace(e, "particle " + std::to_string(i));
    }
  }
  // A proximity typed as text counts by its number, and a negative one by its size, as the
  // other rule's pair test squares it; with fewer than two discs it is never needed.
  discGas_.sigma = 0;
  if (last < 2) return;
  try {
    discGas_.sigma = std::fabs(s_.collProx.toDouble());
  } catch (const RunError& e) {
    throw withPlace(e, "the collision proximity");
  }
}

std::string Simulation::separateOverlaps() {
  separatePending_ = false;
  const int last = lastParticle();
  try {
    readDiscs(last);
  } catch (const RunError& e) {
    return std::string("The discs cannot be separated: ") + e.what() + ".";
  }
  std::string why = hardDiscs_.separate(discGas_);
  // Only the centres that moved are written, so the others keep their kinds.
  for (int i = 1; i <= last; ++i) {
    const Disc& d = discGas_.discs[static_cast<std::size_t>(i)];
    if (d.x != s_.posX(i).toDouble()) s_.posX(i) = d.x;
    if (d.y != s_.posY(i).toDouble()) s_.posY(i) = d.y;
  }
  return why;
}

void Simulation::exactTick(int last, DrawingSurface& surface, TextDisplay& readouts) {
  for (int i = 1; i <= last; ++i) {
    oldX_[static_cast<std::size_t>(i)] = s_.posX(i);
    oldY_[static_cast<std::size_t>(i)] = s_.posY(i);
  }
  // When the gas does not fit, the tick goes on with what overlaps are left: overlapping
  // discs that approach meet at once, and the others move apart.
  if (separatePending_) separateOverlaps();
  readDiscs(last);
  hardDiscs_.step(discGas_, observer_);
  for (int i = 1; i <= last; ++i) {
    const Disc& d = discGas_.discs[static_cast<std::size_t>(i)];
    s_.posX(i) = d.x;
    s_.posY(i) = d.y;
    s_.velX(i) = d.vx;
    s_.velY(i) = d.vy;
  }
  Readings readings(readouts);
  for (int i = 1; i <= last; ++i) {
    s_.prevX = oldX_[static_cast<std::size_t>(i)];
    s_.prevY = oldY_[static_cast<std::size_t>(i)];
    try {
      eraseAndDraw(i, surface);
    } catch (const RunError& e) {
      throw withPlace(e, "drawing particle " + std::to_string(i));
    }
    readings.add(s_, i);
  }
}

}  // namespace km
