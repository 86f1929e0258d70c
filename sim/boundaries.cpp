// SPDX-License-Identifier: GPL-3.0-or-later
#include "boundaries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "portable_math.h"

namespace km {
namespace {

// The densest a gas of discs can be: hexagonal close packing.
const double closePacking = std::numbers::pi / (2 * std::sqrt(3.0));

bool highSide(WallSide w) {
  return w == WallSide::Right || w == WallSide::Bottom;
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

void Boundaries::refresh() {
  active_ = motion_.kind != RightWallMotion::Kind::Fixed || x_ != 1000 || g_ != 0 || divider();
  for (const WallHeat& h : heat_)
    active_ = active_ || h.thermal;
}

void Boundaries::reset() {
  *this = Boundaries{};
}

std::string Boundaries::setHeat(WallSide w, WallHeat h) {
  if (h.thermal && !(h.kT > 0 && std::isfinite(h.kT)))
    return "A wall's temperature must be a kT above 0, not " + number(h.kT) + ".";
  heat_[index(w)] = h;
  refresh();
  return "";
}

std::string Boundaries::moveRightWall(double target, double speed, long start, int n, double sigma,
                                      double radius) {
  if (!std::isfinite(target) || !std::isfinite(speed))
    return "The wall's target and speed must be numbers.";
  if (!(speed > 0)) return "The wall's speed must be above 0 units per tick.";
  if (target > 1000) return "The right wall cannot move beyond the box, x = 1000.";
  if (start < 0) return "The wall cannot start moving before the run begins.";
  if (divider() && !(target - 2 * radius > 500))
    return "The right wall cannot pass the divider: with the divider at x = 500 it must stay "
           "beyond x = " +
           number(500 + 2 * radius) + ".";
  // The discs cover n·π·σ²/4; the box up to the target leaves them (X − 2r + σ)·(1000 − 2r + σ)
  // when the centres keep r from each wall, of which close packing fills at most 0.907.
  const double width = target - 2 * radius, height = 1000 - 2 * radius;
  const double room = (width + sigma) * (height + sigma) * closePacking;
  const double need = n * std::numbers::pi * sigma * sigma / 4;
  if (!(width > 0) || (n >= 2 && !(need <= room)))
    return "The gas cannot fit with the right wall at x = " + number(target) + ": " +
           std::to_string(n) + " discs need x of at least " +
           number(std::max(2 * radius,
                           need / (closePacking * (height + sigma)) + 2 * radius - sigma)) +
           " even at close packing.";
  motion_ = {RightWallMotion::Kind::Moving, target, speed, start, 0, 0};
  v_ = a_ = 0;
  refresh();
  return "";
}

std::string Boundaries::setPiston(double pressure, double mass) {
  if (!(pressure >= 0 && std::isfinite(pressure)))
    return "The piston's outside pressure must be 0 or more, not " + number(pressure) + ".";
  if (!(mass > 0 && std::isfinite(mass)))
    return "The piston's mass must be above 0 amu, not " + number(mass) + ".";
  motion_ = {RightWallMotion::Kind::Piston, x_, 0, 0, pressure, mass};
  v_ = a_ = 0;
  refresh();
  return "";
}

std::string Boundaries::setGravity(double g) {
  if (!(g >= 0 && std::isfinite(g)))
    return "The field must be 0 or more units per tick², toward the bottom, not " + number(g) + ".";
  g_ = g;
  refresh();
  return "";
}

std::string Boundaries::setDivider(double width) {
  if (!(width >= 0) || std::isnan(width))
    return "The divider's opening must be 0 (closed) or more units wide, not " + number(width) +
           ".";
  if (width < 1000 && !(x_ > 500))
    return "The divider at x = 500 needs the right wall beyond it, not at x = " + number(x_) + ".";
  opening_ = std::min(width, 1000.0);
  refresh();
  return "";
}

double Boundaries::meetLength(WallSide w, double radius) const {
  if (w == WallSide::Left || w == WallSide::Right) return 1000 - 2 * radius;
  return x_ - 2 * radius;
}

double Boundaries::area(double radius) const {
  return (x_ - 2 * radius) * (1000 - 2 * radius);
}

void Boundaries::beginTick(double radius, bool exact) {
  exact_ = exact;
  tRef_ = 0;
  a_ = 0;
  gathered_ = 0;
  push_ = 0;
  tickStartX_ = x_;
  if (motion_.kind == RightWallMotion::Kind::Moving) {
    const double left = motion_.target - x_;
    v_ = tick_ < motion_.start ? 0 : std::copysign(std::min(motion_.speed, std::fabs(left)), left);
  } else if (motion_.kind == RightWallMotion::Kind::Piston) {
    push_ = motion_.pressure * std::max(0.0, 1000 - 2 * radius);
    if (exact) a_ = -push_ / motion_.mass;
  }
}

void Boundaries::endTick() {
  if (motion_.kind == RightWallMotion::Kind::Moving) {
    // The last step lands on the target exactly, not a rounding away from it.
    const double left = motion_.target - x_;
    x_ = std::fabs(left) <= std::fabs(v_) ? motion_.target : x_ + v_;
    v_ = 0;
  } else if (motion_.kind == RightWallMotion::Kind::Piston) {
    if (exact_) {
      const double x = rightAt(1);
      v_ = rightVelocityAt(1);
      x_ = x;
    } else {
      v_ += (gathered_ - push_) / motion_.mass;
      x_ += v_;
    }
    // The box ends at x = 1000: the piston bounces off it, keeping its speed; and off the
    // divider, when there is one.
    if (x_ > 1000) x_ = 2000 - x_, v_ = -std::fabs(v_), ++course_;
    if (divider() && x_ < 500) x_ = 1000 - x_, v_ = std::fabs(v_), ++course_;
    tally_.externalWork -= push_ * (x_ - tickStartX_);
  }
  tRef_ = 0;
  a_ = 0;
  ++tick_;
}

double Boundaries::rightAt(double t) const {
  const double dt = t - tRef_;
  return x_ + v_ * dt + 0.5 * a_ * dt * dt;
}

double Boundaries::rightVelocityAt(double t) const {
  return v_ + a_ * (t - tRef_);
}

bool Boundaries::meetEnd(double mass, double dx, double dy, double& vx, double& vy) {
  const double along = dx * vx + dy * vy;
  const double d2 = dx * dx + dy * dy;
  if (!(along < 0) || !(d2 > 0)) return false;
  const double k = 2 * along / d2;
  const double before = vy;
  vx -= k * dx;
  vy -= k * dy;
  if (mass > 0 && std::isfinite(mass)) tally_.dividerImpulseY += mass * (before - vy);
  return true;
}

double Boundaries::fluxSpeed(double kT, double mass, RandomSource& rnd) {
  // Inverse of the distribution 1 − exp(−m·v²/2kT); 1 − u lies in (0, 1].
  const double u = rnd.next();
  return std::sqrt(-2 * kT / mass * portableLog1p(-u));
}

double Boundaries::gaussian(double kT, double mass, RandomSource& rnd) {
  const double u1 = rnd.next();
  const double u2 = rnd.next();
  return std::sqrt(-2 * portableLog1p(-u1) * kT / mass) * portableCosTurn(u2);
}

bool Boundaries::meet(WallSide w, double mass, double t, double& normal, double& tangential,
                      RandomSource& rnd) {
  const bool high = highSide(w);
  const bool right = w == WallSide::Right;
  const double u = right ? rightVelocityAt(t) : 0;
  if (high ? !(normal > u) : !(normal < u)) return false;
  const double before = normal, beforeT = tangential;
  const WallHeat& h = heat_[index(w)];
  const bool pistonHere = right && motion_.kind == RightWallMotion::Kind::Piston;
  if (h.thermal && mass > 0 && std::isfinite(mass)) {
    // Drawn in the wall's frame: away from the wall, whatever the wall's speed.
    const double away = fluxSpeed(h.kT, mass, rnd);
    normal = u + (high ? -away : away);
    tangential = gaussian(h.kT, mass, rnd);
    ++tally_.thermalContacts;
  } else if (pistonHere) {
    const double m = mass, M = motion_.mass;
    normal = ((m - M) * before + 2 * M * u) / (m + M);
    if (!std::isfinite(normal)) normal = 2 * u - before;
  } else {
    normal = 2 * u - before;
  }
  const double gain =
      0.5 * mass *
      ((normal * normal - before * before) + (tangential * tangential - beforeT * beforeT));
  if (h.thermal) {
    // A moving thermal wall both works and heats: its push times its speed is work, the rest
    // (the gain in the wall's own frame) is heat.
    const double worked = u == 0 ? 0 : u * mass * (normal - before);
    tally_.work += worked;
    tally_.heat[index(w)] += gain - worked;
  } else {
    tally_.work += gain;
  }
  const double impulse = mass * (before - normal);  // toward +x or +y
  tally_.impulse[index(w)] += std::fabs(impulse);
  if (pistonHere) {
    if (exact_) {
      x_ = rightAt(t);
      v_ = u + impulse / motion_.mass;
      tRef_ = t;
      ++course_;
    } else {
      gathered_ += impulse;
    }
  }
  return true;
}

}  // namespace km
