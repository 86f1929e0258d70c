// SPDX-License-Identifier: GPL-3.0-or-later
// Exact hard-disc motion: an event queue over one tick, and the separation of overlapping discs.
#include "hard_discs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace km {
namespace {

constexpr double never = std::numeric_limits<double>::infinity();
constexpr int lowX = -1, highX = -2, lowY = -3, highY = -4;   // walls, as event partners
constexpr int dividerFace = -5, topEnd = -6, bottomEnd = -7;  // the divider

bool later(const auto& a, const auto& b) {
  if (a.t != b.t) return a.t > b.t;
  if (a.i != b.i) return a.i > b.i;
  return a.j > b.j;
}

double speedOf(const Disc& d) {
  return std::sqrt(d.vx * d.vx + d.vy * d.vy);
}

// The shares of the relative normal velocity that an elastic contact gives each disc:
// 2 m_b / (m_a + m_b) and 2 m_a / (m_a + m_b). Masses that make no sense count as equal.
void massShares(double ma, double mb, double& wa, double& wb) {
  wa = wb = 1;
  if (!(ma >= 0 && mb >= 0 && ma + mb > 0)) return;
  if (std::isinf(ma) || std::isinf(mb)) {
    if (!std::isinf(mb)) wa = 0, wb = 2;
    if (!std::isinf(ma)) wa = 2, wb = 0;
    return;
  }
  double s = ma + mb;
  if (std::isinf(s)) ma *= 0.5, mb *= 0.5, s = ma + mb;
  wa = 2 * mb / s;
  wb = 2 * ma / s;
}

// Moves the centre into [radius, right - radius] in x and [radius, 1000 - radius] in y;
// whether it moved.
bool clampIntoBox(Disc& d, double right = 1000) {
  const double lo = d.radius;
  bool moved = false;
  for (double* p : {&d.x, &d.y}) {
    const double hi = (p == &d.x ? right : 1000) - d.radius;
    if (*p < lo) *p = lo, moved = true;
    if (*p > hi) *p = hi, moved = true;
  }
  return moved;
}

// The time τ ≥ 0 from now at which a gap c + b·τ + A·τ² closes to 0 while closing, or never.
double closingTime(double c, double b, double A) {
  if (!(c > 0)) {
    // On or beyond the contact line: meet now if closing. Else, pushed back by A < 0, it comes
    // back in front of the line and closes at the larger root; or, never getting in front,
    // it closes once the push turns it round (a hair later, so that it approaches then).
    if (b < 0) return 0;
    if (!(A < 0)) return never;
    const double disc = b * b - 4 * A * c;
    if (disc > 0) return (b + std::sqrt(disc)) / (-2 * A);
    return b / (-2 * A) * (1 + 1e-12) + 1e-15;
  }
  if (A == 0) return b < 0 ? c / -b : never;
  const double disc = b * b - 4 * A * c;
  // Roots in the forms that lose no digits: with A < 0 one root is positive, whatever b.
  if (A < 0) return b >= 0 ? (b + std::sqrt(disc)) / (-2 * A) : 2 * c / (std::sqrt(disc) - b);
  if (b < 0 && disc >= 0) return 2 * c / (std::sqrt(disc) - b);
  return never;
}

// The polynomial c[0] + c[1]·x + … + c[n]·x^n at x.
double polyAt(const double* c, int n, double x) {
  double v = c[n];
  for (int k = n - 1; k >= 0; --k)
    v = v * x + c[k];
  return v;
}

// The root of the polynomial between a and b, where it changes sign, by bisection to the
// last bit: the end on the side where it is 0 or below its value at a's side.
double bisect(const double* c, int n, double a, double b) {
  const bool risingAtA = polyAt(c, n, a) < 0;
  for (int k = 0; k < 200; ++k) {
    const double mid = 0.5 * (a + b);
    if (!(mid > a && mid < b)) break;
    (polyAt(c, n, mid) < 0) == risingAtA ? a = mid : b = mid;
  }
  return risingAtA ? a : b;
}

// The roots of the polynomial of degree n (n ≤ 4, c[n] ≠ 0) in [a, b], in order, isolated
// between the roots of its derivative, where it is monotone. Their count.
int rootsIn(const double* c, int n, double a, double b, double* out) {
  if (n == 1) {
    const double x = -c[0] / c[1];
    if (!(x >= a && x <= b)) return 0;
    out[0] = x;
    return 1;
  }
  double d[4], critical[4];
  for (int k = 1; k <= n; ++k)
    d[k - 1] = k * c[k];
  const int m = rootsIn(d, n - 1, a, b, critical);
  int found = 0;
  double lo = a, flo = polyAt(c, n, a);
  for (int k = 0; k <= m; ++k) {
    const double hi = k < m ? critical[k] : b, fhi = polyAt(c, n, hi);
    if (flo == 0)
      out[found++] = lo;
    else if ((flo < 0) != (fhi < 0) && fhi != 0)
      out[found++] = bisect(c, n, lo, hi);
    lo = hi;
    flo = fhi;
  }
  if (flo == 0 && (found == 0 || out[found - 1] != b)) out[found++] = b;
  return found;
}

// The first time in (0, span] at which the quartic c falls through 0 (a gap closing), or never.
double firstFall(const double* c, double span) {
  double d[4], critical[4];
  for (int k = 1; k <= 4; ++k)
    d[k - 1] = k * c[k];
  const int m = rootsIn(d, 3, 0, span, critical);
  double lo = 0, flo = polyAt(c, 4, 0);
  for (int k = 0; k <= m; ++k) {
    const double hi = k < m ? critical[k] : span, fhi = polyAt(c, 4, hi);
    if (flo > 0 && fhi <= 0) return bisect(c, 4, lo, hi);
    lo = hi;
    flo = fhi;
  }
  return never;
}

WallSide sideOf(int wall) {
  switch (wall) {
    case lowX:
      return WallSide::Left;
    case highX:
      return WallSide::Right;
    case lowY:
      return WallSide::Top;
    default:
      return WallSide::Bottom;
  }
}

}  // namespace

void DiscGrid::build(const DiscGas& gas, double cell) {
  const double perSide = 1000 / cell;
  side_ = perSide >= 64 ? 64 : perSide >= 1 ? static_cast<int>(perSide) : 1;
  inverse_ = side_ / 1000.0;
  const int n = gas.count();
  const std::size_t cells = static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_);
  start_.assign(cells + 1, 0);
  items_.resize(static_cast<std::size_t>(n));
  cellOfDisc_.resize(static_cast<std::size_t>(n) + 1);
  for (int i = 1; i <= n; ++i) {
    const Disc& d = gas.discs[static_cast<std::size_t>(i)];
    const int c = cellOf(d.y) * side_ + cellOf(d.x);
    cellOfDisc_[static_cast<std::size_t>(i)] = c;
    ++start_[static_cast<std::size_t>(c) + 1];
  }
  for (std::size_t c = 1; c <= cells; ++c)
    start_[c] += start_[c - 1];
  // Filling moves each cell's start up to the next cell's; shifting back restores them.
  for (int i = 1; i <= n; ++i)
    items_[static_cast<std::size_t>(start_[static_cast<std::size_t>(cellOfDisc_[i])]++)] = i;
  for (std::size_t c = cells; c >= 1; --c)
    start_[c] = start_[c - 1];
  start_[0] = 0;
}

void HardDiscs::moveTo(Disc& d, Motion& m, double t) const {
  if (t == m.t) return;
  const double dt = t - m.t;
  d.x += d.vx * dt;
  if (g_ != 0) {
    d.y += (d.vy + 0.5 * g_ * dt) * dt;
    d.vy += g_ * dt;
  } else {
    d.y += d.vy * dt;
  }
  m.t = t;
}

// No disc speeds up by more than the field's pull over a tick between contacts.
double HardDiscs::speedBound(const Disc& d) const {
  return speedOf(d) + g_;
}

void HardDiscs::push(const Event& e) {
  events_.push_back(e);
  std::push_heap(events_.begin(), events_.end(), later<Event, Event>);
}

// A disc as wide as the box or wider has no room to move: it stays on the centre lines, and a
// velocity component that would carry it off them is absorbed, as by two walls with no gap
// between them (no endless turning at a wall it can never leave).
void HardDiscs::holdPinned(int i) {
  if (!motion_[static_cast<std::size_t>(i)].pinned) return;
  Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  d.x = d.y = 500;
  if (d.vx != 0 && observer_) observer_->wallTurn(i, Axis::X, 500, d.vx, 0);
  if (d.vy != 0 && observer_) observer_->wallTurn(i, Axis::Y, 500, d.vy, 0);
  d.vx = d.vy = 0;
}

void HardDiscs::wallEvent(int i, double t0, Event& best) const {
  const Motion& m = motion_[static_cast<std::size_t>(i)];
  if (m.pinned) return;
  if (walls_) {
    boundedWallEvent(i, t0, best);
    return;
  }
  const Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  const double lo = d.radius, hi = 1000 - d.radius;
  auto consider = [&](double p, double v, int low, int high) {
    double t = never;
    int wall = low;
    if (v < 0) t = p <= lo ? t0 : t0 + (lo - p) / v;
    if (v > 0) t = p >= hi ? t0 : t0 + (hi - p) / v, wall = high;
    if (t < best.t) best = Event{t, i, wall, m.count, 0};
  };
  consider(d.x, d.vx, lowX, highX);
  consider(d.y, d.vy, lowY, highY);
}

double HardDiscs::rightEdge() const {
  return bounds_ && bounds_->active() ? bounds_->rightX() : 1000;
}

// The gap between the disc's centre and the right wall's contact line, c + b·τ + A·τ² from t0,
// reaches 0 at the first root with the gap closing.
double HardDiscs::rightWallTime(int i, double t0) const {
  const Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  const double c = walls_->rightAt(t0) - d.radius - d.x;
  const double b = walls_->rightVelocityAt(t0) - d.vx;
  const double A = 0.5 * walls_->rightAcceleration();
  const double t = t0 + closingTime(c, b, A);
  return t <= end_ ? t : never;
}

// Fixed walls at 0 and 1000 in y and at 0 in x, the right wall where the boundaries put it.
void HardDiscs::boundedWallEvent(int i, double t0, Event& best) const {
  const Motion& m = motion_[static_cast<std::size_t>(i)];
  const Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  const double lo = d.radius, hi = 1000 - d.radius;
  double t = never;
  int wall = lowY;
  if (g_ != 0) {
    // On a parabola: the floor's gap closes as the field pulls, the ceiling's against it.
    const double floor = closingTime(hi - d.y, -d.vy, -0.5 * g_);
    const double ceiling = closingTime(d.y - lo, d.vy, 0.5 * g_);
    if (floor < ceiling)
      t = t0 + floor, wall = highY;
    else if (ceiling < never)
      t = t0 + ceiling;
  } else {
    if (d.vy < 0) t = d.y <= lo ? t0 : t0 + (lo - d.y) / d.vy;
    if (d.vy > 0) t = d.y >= hi ? t0 : t0 + (hi - d.y) / d.vy, wall = highY;
  }
  if (divider_) dividerEvent(i, t0, t, wall);
  if (d.vx < 0) {
    const double tx = d.x <= lo ? t0 : t0 + (lo - d.x) / d.vx;
    if (tx < t) t = tx, wall = lowX;
  }
  const double tr = rightWallTime(i, t0);
  if (tr < t) t = tr, wall = highX;
  if (t < best.t) best = Event{t, i, wall, m.count, wall == highX ? walls_->pistonCourse() : 0};
}

void HardDiscs::dividerEvent(int i, double t0, double& t, int& wall) const {
  const Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  // The face on the disc's own side; x moves in a straight line whatever the field.
  const bool left = d.x < 500;
  const double c = left ? (500 - d.radius) - d.x : d.x - (500 + d.radius);
  const double b = left ? -d.vx : d.vx;
  double tau = never;
  if (!(c > 0)) {
    if (b < 0 && againstDivider(d.y)) tau = 0;
  } else if (b < 0) {
    tau = c / -b;
    if (!againstDivider(d.y + (d.vy + 0.5 * g_ * tau) * tau)) tau = never;
  }
  if (t0 + tau < t) t = t0 + tau, wall = dividerFace;
  if (!ends_) return;
  const double up = endTime(d, top_, t0), down = endTime(d, bottom_, t0);
  if (t0 + up < t) t = t0 + up, wall = topEnd;
  if (t0 + down < t) t = t0 + down, wall = bottomEnd;
}

double HardDiscs::endTime(const Disc& d, double endY, double t0) const {
  const double dx = d.x - 500, dy = d.y - endY, r = d.radius;
  const double span = end_ - t0;
  const double reach = r + speedBound(d) * span;
  if (!(dx * dx + dy * dy <= reach * reach)) return never;
  const double along = dx * d.vx + dy * d.vy;
  const double gap = dx * dx + dy * dy - r * r;
  if (g_ == 0) {
    // A straight line past a point, as a pair with a partner at rest.
    if (!(along < 0)) return never;
    if (gap <= 0) return 0;
    const double disc = along * along - (d.vx * d.vx + d.vy * d.vy) * gap;
    if (!(disc >= 0)) return never;
    return gap / (std::sqrt(disc) - along);
  }
  if (gap <= 0 && along < 0) return 0;
  // The squared distance less r² along the parabola is a quartic in time.
  const double h = 0.5 * g_;
  const double c[5] = {gap, 2 * along, d.vx * d.vx + d.vy * d.vy + 2 * dy * h, 2 * d.vy * h, h * h};
  return firstFall(c, span);
}

// The time at which discs i (at its position for t0) and j (at its own time) come to the
// contact distance while approaching, or never. Overlapping or touching discs that approach
// meet at once; separating ones never, whatever their distance.
double HardDiscs::pairTime(int i, int j, double t0) const {
  const Disc& a = gas_->discs[static_cast<std::size_t>(i)];
  const Disc& b = gas_->discs[static_cast<std::size_t>(j)];
  const double late = t0 - motion_[static_cast<std::size_t>(j)].t;
  // The field pulls both alike, so that their relative motion is a straight line.
  const double rx = (b.x + b.vx * late) - a.x, ry = (b.y + (b.vy + 0.5 * g_ * late) * late) - a.y;
  const double vx = b.vx - a.vx, vy = (b.vy + g_ * late) - a.vy;
  const double approach = rx * vx + ry * vy;
  if (!(approach < 0)) return never;
  const double gap = (rx * rx + ry * ry) - sigma2_;
  if (gap <= 0) return t0;
  const double disc = approach * approach - (vx * vx + vy * vy) * gap;
  if (!(disc >= 0)) return never;
  // The smaller root, in the form that loses no digits when the discs pass close.
  const double t = t0 + gap / (std::sqrt(disc) - approach);
  return t <= end_ ? t : never;
}

void HardDiscs::predict(int i, double t0) {
  Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  Motion& m = motion_[static_cast<std::size_t>(i)];
  moveTo(d, m, t0);
  Event best{never, i, 0, m.count, 0};
  wallEvent(i, t0, best);
  if (pairs_) {
    // No disc has been faster than vmax_ since the stretch began, so none has gone farther than
    // vmax_ * (end - begin) from where it was binned; and i covers at most speed * (end - t0)
    // until the stretch ends. So any disc that i can meet before then was binned within this
    // reach of where i stands now. The bound is raised whenever a contact makes a disc faster,
    // which keeps it valid for later predictions; a disc so sped up predicts again itself.
    const double reach = sigma_ + speedBound(d) * (end_ - t0) + vmax_ * (end_ - begin_);
    const double reach2 = reach * reach;
    grid_.visitNear(d.x, d.y, reach, [&](int j) {
      if (j == i) return;
      const Motion& mj = motion_[static_cast<std::size_t>(j)];
      const double dx = mj.x0 - d.x, dy = mj.y0 - d.y;
      if (dx * dx + dy * dy > reach2) return;
      ++candidates_;
      const double t = pairTime(i, j, t0);
      if (t < best.t) best = Event{t, i, j, m.count, mj.count};
    });
  }
  if (best.t <= end_) push(best);
}

void HardDiscs::meetPair(int i, int j, double t) {
  Disc& a = gas_->discs[static_cast<std::size_t>(i)];
  Disc& b = gas_->discs[static_cast<std::size_t>(j)];
  Motion& ma = motion_[static_cast<std::size_t>(i)];
  Motion& mb = motion_[static_cast<std::size_t>(j)];
  moveTo(a, ma, t);
  moveTo(b, mb, t);
  const double rx = b.x - a.x, ry = b.y - a.y;
  const double dist = std::sqrt(rx * rx + ry * ry);
  // Coincident centres never approach, so they have no line of centres to push along.
  if (dist > 0 && dist < never) {
    const double nx = rx / dist, ny = ry / dist;
    const double u = (b.vx - a.vx) * nx + (b.vy - a.vy) * ny;
    if (u < 0) {
      double wa = 1, wb = 1;
      massShares(a.mass, b.mass, wa, wb);
      a.vx += wa * u * nx;
      a.vy += wa * u * ny;
      b.vx -= wb * u * nx;
      b.vy -= wb * u * ny;
      if (observer_) observer_->pairExchange(std::min(i, j), std::max(i, j));
      holdPinned(i);
      holdPinned(j);
      vmax_ = std::max({vmax_, speedBound(a), speedBound(b)});
    }
  }
  ++ma.count;
  ++mb.count;
  predict(i, t);
  predict(j, t);
}

void HardDiscs::turn(int i, Axis axis, double& velocity, double at) {
  const double before = velocity;
  velocity = -velocity;
  if (observer_) observer_->wallTurn(i, axis, at, before, velocity);
}

void HardDiscs::meetBoundary(int i, int wall, double t) {
  Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  Motion& m = motion_[static_cast<std::size_t>(i)];
  moveTo(d, m, t);
  const bool onX = wall == lowX || wall == highX;
  double& p = onX ? d.x : d.y;
  double& v = onX ? d.vx : d.vy;
  double& tangential = onX ? d.vy : d.vx;
  const double at = wall == highX   ? walls_->rightAt(t) - d.radius
                    : wall == highY ? 1000 - d.radius
                                    : d.radius;
  // On the contact line up to rounding; a disc beyond the moving wall (overtaken by rounding)
  // is put back on it, so that it cannot ride behind the wall.
  if (std::fabs(p - at) <= 1e-9 || (wall == highX && p > at)) p = at;
  const double before = v;
  if (walls_->meet(sideOf(wall), d.mass, t, v, tangential, *rnd_)) {
    if (observer_) observer_->wallTurn(i, onX ? Axis::X : Axis::Y, p, before, v);
    vmax_ = std::max(vmax_, speedBound(d));
  }
  ++m.count;
  predict(i, t);
}

void HardDiscs::meetDivider(int i, int wall, double t) {
  Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  Motion& m = motion_[static_cast<std::size_t>(i)];
  moveTo(d, m, t);
  if (wall == dividerFace) {
    const bool left = d.x < 500;
    const double at = left ? 500 - d.radius : 500 + d.radius;
    if (std::fabs(d.x - at) <= 1e-9) d.x = at;
    if (left ? d.vx > 0 : d.vx < 0) d.vx = -d.vx;
  } else {
    walls_->meetEnd(d.mass, d.x - 500, d.y - (wall == topEnd ? top_ : bottom_), d.vx, d.vy);
  }
  vmax_ = std::max(vmax_, speedBound(d));
  ++m.count;
  predict(i, t);
}

void HardDiscs::meetWall(int i, int wall, double t) {
  if (wall <= dividerFace) {
    meetDivider(i, wall, t);
    return;
  }
  if (walls_) {
    meetBoundary(i, wall, t);
    return;
  }
  Disc& d = gas_->discs[static_cast<std::size_t>(i)];
  Motion& m = motion_[static_cast<std::size_t>(i)];
  moveTo(d, m, t);
  const bool onX = wall == lowX || wall == highX;
  const bool low = wall == lowX || wall == lowY;
  double& p = onX ? d.x : d.y;
  double& v = onX ? d.vx : d.vy;
  const double at = low ? d.radius : 1000 - d.radius;
  if (low ? v < 0 : v > 0) {
    // The predicted time puts the centre on the contact line up to rounding; a disc that was
    // already beyond it (placed or left there) turns where it stands.
    if (std::fabs(p - at) <= 1e-9) p = at;
    turn(i, onX ? Axis::X : Axis::Y, v, p);
  }
  ++m.count;
  predict(i, t);
}

void HardDiscs::finish() {
  const int n = gas_->count();
  for (int i = 1; i <= n; ++i) {
    Disc& d = gas_->discs[static_cast<std::size_t>(i)];
    Motion& m = motion_[static_cast<std::size_t>(i)];
    moveTo(d, m, 1);
    if (!capped_ || m.pinned) continue;
    if (walls_) {
      // The rest of the tick went without events: back inside, turned by the walls.
      const double right = walls_->rightAt(1);
      for (int wall : {lowX, highX, lowY, highY}) {
        const bool onX = wall == lowX || wall == highX;
        double& p = onX ? d.x : d.y;
        double& v = onX ? d.vx : d.vy;
        double& tangential = onX ? d.vy : d.vx;
        const double lo = d.radius, hi = (wall == highX ? right : 1000) - d.radius;
        const bool out = wall == lowX || wall == lowY ? p < lo : p > hi;
        if (!out) continue;
        p = wall == lowX || wall == lowY ? lo : hi;
        const double before = v;
        if (walls_->meet(sideOf(wall), d.mass, 1, v, tangential, *rnd_) && observer_)
          observer_->wallTurn(i, onX ? Axis::X : Axis::Y, p, before, v);
      }
      continue;
    }
    // The rest of the tick went without events: keep the discs inside all the same.
    const double lo = d.radius, hi = 1000 - d.radius;
    if (d.x < lo) d.x = lo, d.vx < 0 ? turn(i, Axis::X, d.vx, lo) : void();
    if (d.x > hi) d.x = hi, d.vx > 0 ? turn(i, Axis::X, d.vx, hi) : void();
    if (d.y < lo) d.y = lo, d.vy < 0 ? turn(i, Axis::Y, d.vy, lo) : void();
    if (d.y > hi) d.y = hi, d.vy > 0 ? turn(i, Axis::Y, d.vy, hi) : void();
  }
}

void HardDiscs::step(DiscGas& gas, GasObserver* observer, long maxContacts, long maxCandidates) {
  gas_ = &gas;
  observer_ = observer;
  const int n = gas.count();
  motion_.resize(static_cast<std::size_t>(n) + 1);
  contacts_ = 0;
  candidates_ = 0;
  capped_ = false;
  vmax_ = 0;
  sigma_ = gas.sigma;
  sigma2_ = sigma_ * sigma_;
  pairs_ = n >= 2 && sigma_ > 0;
  walls_ = bounds_ && bounds_->active() && rnd_ ? bounds_ : nullptr;
  g_ = walls_ ? walls_->gravity() : 0;
  divider_ = walls_ && walls_->divider();
  top_ = divider_ ? walls_->openingTop() : 500;
  bottom_ = divider_ ? walls_->openingBottom() : 500;
  ends_ = divider_ && bottom_ > top_;

  for (int i = 1; i <= n; ++i) {
    Disc& d = gas.discs[static_cast<std::size_t>(i)];
    Motion& m = motion_[static_cast<std::size_t>(i)];
    m = Motion{};
    m.pinned = !(d.radius < 500);
    holdPinned(i);
    vmax_ = std::max(vmax_, speedBound(d));
  }
  // The tick runs in stretches short enough that no disc crosses more than a few contact
  // distances in one; each bins the discs afresh, so the candidates of a prediction stay few
  // even when the discs are fast enough to cross the box in a tick.
  const double stride = std::max(sigma_, 32.0);
  for (begin_ = 0; begin_ < 1 && !capped_; begin_ = end_) {
    end_ = 1;
    if (pairs_ && vmax_ * (1 - begin_) > stride) end_ = begin_ + std::max(stride / vmax_, 1.0 / 64);
    if (end_ > 1 - 1.0 / 1024) end_ = 1;
    stretch(maxContacts, maxCandidates);
  }
  finish();
}

void HardDiscs::stretch(long maxContacts, long maxCandidates) {
  const int n = gas_->count();
  for (int i = 1; i <= n; ++i) {
    Disc& d = gas_->discs[static_cast<std::size_t>(i)];
    Motion& m = motion_[static_cast<std::size_t>(i)];
    moveTo(d, m, begin_);
    m.x0 = d.x;
    m.y0 = d.y;
  }
  if (pairs_) grid_.build(*gas_, (sigma_ + 2 * vmax_ * (end_ - begin_)) / 2);
  events_.clear();
  for (int i = 1; i <= n; ++i)
    predict(i, begin_);

  while (!events_.empty()) {
    std::pop_heap(events_.begin(), events_.end(), later<Event, Event>);
    const Event e = events_.back();
    events_.pop_back();
    if (e.ci != motion_[static_cast<std::size_t>(e.i)].count) continue;
    if (contacts_ >= maxContacts || candidates_ >= maxCandidates) {
      capped_ = true;
      return;
    }
    if ((e.j > 0 && e.cj != motion_[static_cast<std::size_t>(e.j)].count) ||
        (e.j == highX && walls_ && walls_->piston() && e.cj != walls_->pistonCourse())) {
      // The partner changed course since: look again from here.
      predict(e.i, e.t);
      continue;
    }
    ++contacts_;
    if (e.j > 0)
      meetPair(e.i, e.j, e.t);
    else
      meetWall(e.i, e.j, e.t);
  }
}

bool HardDiscs::offDivider(Disc& d) const {
  if (!bounds_ || !bounds_->divider()) return false;
  const double r = d.radius, top = bounds_->openingTop(), bottom = bounds_->openingBottom();
  bool moved = false;
  if (std::fabs(d.x - 500) < r && (d.y <= top || d.y >= bottom)) {
    d.x = d.x < 500 ? 500 - r : 500 + r;
    moved = true;
  }
  if (!(bottom > top)) return moved;
  for (const double endY : {top, bottom}) {
    const double dx = d.x - 500, dy = d.y - endY;
    const double dist = std::sqrt(dx * dx + dy * dy);
    if (!(dist < r)) continue;
    // Out along the line from the end, or into the opening when the centre is on the end.
    const double out = r * (1 + 1e-9);
    if (dist > 0) {
      d.x = 500 + dx * (out / dist);
      d.y = endY + dy * (out / dist);
    } else {
      d.y = endY + (endY == top ? out : -out);
    }
    moved = true;
  }
  return moved;
}

bool HardDiscs::intoRoom(Disc& d, double right) const {
  const bool boxed = clampIntoBox(d, right);
  return offDivider(d) || boxed;
}

std::string HardDiscs::separate(DiscGas& gas) {
  const int n = gas.count();
  double widest = -never;
  for (int i = 1; i <= n; ++i) {
    const double r = gas.discs[static_cast<std::size_t>(i)].radius;
    if (!(r < 500))
      return "The discs do not fit: with a particle radius of 500 or more there is no room "
             "between the walls.";
    widest = std::max(widest, r);
  }
  const double sigma = gas.sigma;
  const double right = rightEdge();
  if (n < 2 || !(sigma > 0)) {
    for (int i = 1; i <= n; ++i)
      intoRoom(gas.discs[static_cast<std::size_t>(i)], right);
    return "";
  }
  // The packing fraction over the square the centres reach, as the laboratory gives it. The
  // pushing reaches a fixed share of the square the discs themselves cover, side L + sigma, so
  // the most it can reach in terms of L grows as the discs get large against the box.
  const double side = 1000 - 2 * widest, width = right - 2 * widest;
  const double eta = n * std::numbers::pi * sigma * sigma / (4 * side * width);
  const double reach = fillLimit * (1 + sigma / side) * (1 + sigma / width);
  char why[320];
  if (!(eta <= reach)) {
    std::snprintf(why, sizeof why,
                  "The gas is too dense for hard discs: %d discs with a collision proximity of %g "
                  "in the square of side %g that their centres reach have a packing fraction of "
                  "%.3g; at most %.3g can be pushed apart.",
                  n, sigma, side, eta, std::floor(reach * 100) / 100);
    return why;
  }

  // Pushed a hair beyond the contact distance, so that rounding cannot leave them touching.
  const double apart = sigma * (1 + 1e-9);
  const double sigma2 = sigma * sigma;
  for (int sweep = 0; sweep < sweepLimit; ++sweep) {
    bool moved = false;
    for (int i = 1; i <= n; ++i)
      moved = intoRoom(gas.discs[static_cast<std::size_t>(i)], right) || moved;
    grid_.build(gas, sigma);
    for (int i = 1; i <= n; ++i) {
      Disc& a = gas.discs[static_cast<std::size_t>(i)];
      grid_.visitNear(a.x, a.y, sigma, [&](int j) {
        if (j <= i) return;
        Disc& b = gas.discs[static_cast<std::size_t>(j)];
        const double rx = b.x - a.x, ry = b.y - a.y;
        const double rr = rx * rx + ry * ry;
        if (!(rr < sigma2)) return;
        const double dist = std::sqrt(rr);
        double nx = 1, ny = 0;
        if (dist > 0) {
          nx = rx / dist;
          ny = ry / dist;
        } else {
          // Coincident centres: a direction fixed by the pair, different for each pair.
          const double angle = 2.399963229728653 * (i + 1024.0 * j);
          nx = std::cos(angle);
          ny = std::sin(angle);
        }
        const double half = (apart - dist) / 2;
        a.x -= nx * half;
        a.y -= ny * half;
        b.x += nx * half;
        b.y += ny * half;
        intoRoom(a, right);
        intoRoom(b, right);
        moved = true;
      });
    }
    if (!moved) return "";
  }
  std::snprintf(why, sizeof why,
                "The gas is too dense for hard discs: %d discs with a collision proximity of %g "
                "(packing fraction %.3g) still overlap after %d rounds of pushing them apart.",
                n, sigma, eta, sweepLimit);
  return why;
}

}  // namespace km
