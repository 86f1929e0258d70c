// SPDX-License-Identifier: GPL-3.0-or-later
// The collision test and the elastic exchange of momentum along the line of centres.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>

#include "simulation.h"

namespace km {

bool isTame(const Cell& position) {
  return position.kind() == Kind::Double && std::fabs(position.doubleValue()) <= tameLimit;
}

bool Simulation::tameFrom(int first) const {
  const int last = std::min(lastParticle(), CellArray<500>::upper);
  for (int j = std::max(first, 1); j <= last; ++j)
    if (!isTame(s_.posX(j)) || !isTame(s_.posY(j))) return false;
  return true;
}

void Simulation::CheckCollisions(int i) {
  checkPairs(i, tameFrom(i + 1), nullptr);
}

void Simulation::checkPairs(int i, bool laterTame, const SweepIndex* sweep) {
  const int last = lastParticle();
  if (i + 1 > last) return;
  const Cell& xi = s_.posX(i);
  const Cell& yi = s_.posY(i);
  // collProx does not change during the call; its square is formed at the first pair that
  // reaches the third test, where a non-numeric text fails. A number ranks below any text,
  // so with a typed proximity every pair reaches the third test.
  const bool typed = s_.collProx.kind() == Kind::Text;
  std::optional<Cell> proxSquared;
  if (typed) proxSquared = s_.collProx * s_.collProx;

  if (laterTame && isTame(xi) && isTame(yi)) {
    // Tame doubles: the cell rules give the same tests on plain doubles, with no overflow and
    // no cells built for the ~N^2/2 pairs.
    const double x = xi.doubleValue();
    const double y = yi.doubleValue();
    const Cell* xs = s_.posX.data();
    const Cell* ys = s_.posY.data();
    // With the particles ordered by x, only those within reach can pass the first test (or,
    // for a typed proximity, the third); they are visited in the same increasing order.
    constexpr int mostNear = 64;
    if (typed) {
      const double limit = proxSquared->toDouble();
      auto pair = [&](int j) {
        const double dx = xs[j].doubleValue() - x;
        const double dy = ys[j].doubleValue() - y;
        if (dx * dx + dy * dy < limit) Collide(i, j);
      };
      const double reach = SweepIndex::reachFor(x, std::sqrt(std::max(limit, 0.0)));
      if (sweep && sweep->visitNear(i, x, reach, mostNear, pair)) return;
      for (int j = i + 1; j <= last; ++j) {
        const double dx = xs[j].doubleValue() - x;
        const double dy = ys[j].doubleValue() - y;
        if (dx * dx + dy * dy < limit) Collide(i, j);
      }
      return;
    }
    const double prox = s_.collProx.toDouble();
    double limit = 0;
    bool haveLimit = false;
    auto pair = [&](int j) {
      const double dx = xs[j].doubleValue() - x;
      if (!(std::fabs(dx) < prox)) return;
      const double dy = ys[j].doubleValue() - y;
      if (!(std::fabs(dy) < prox)) return;
      if (!haveLimit) {
        limit = (s_.collProx * s_.collProx).toDouble();
        haveLimit = true;
      }
      if (dx * dx + dy * dy < limit) Collide(i, j);
    };
    if (sweep && sweep->visitNear(i, x, SweepIndex::reachFor(x, std::fabs(prox)), mostNear, pair))
      return;
    for (int j = i + 1; j <= last; ++j)
      pair(j);
    return;
  }

  for (int j = i + 1; j <= last; ++j) {
    const Cell dx = s_.posX(j) - xi;
    const Cell dy = s_.posY(j) - yi;
    if (!(abs(dx) < s_.collProx)) continue;
    if (!(abs(dy) < s_.collProx)) continue;
    if (!proxSquared) proxSquared = s_.collProx * s_.collProx;
    if (!(dx * dx + dy * dy < *proxSquared)) continue;
    Collide(i, j);
  }
}

namespace {

bool isDouble(const Cell& c) {
  return c.kind() == Kind::Double;
}

// A mass as the cell rules read it, when that reading is a plain double.
bool massValue(const Cell& m, double& out) {
  if (m.kind() == Kind::Double) return out = m.doubleValue(), true;
  return m.kind() == Kind::Text && m.textNumber(out);
}

bool allFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!detail::finite(v)) return false;
  return true;
}

}  // namespace

// With doubles everywhere (the steady state of a run) every step below gives a Double, so
// the same sequence on plain doubles gives the same bits. It writes only when every result is
// finite and no divisor is zero; otherwise the cell rules run and raise their error.
Simulation::Shortcut Simulation::collideDoubles(int i, int j) {
  const Cell &xi = s_.posX(i), &xj = s_.posX(j), &yi = s_.posY(i), &yj = s_.posY(j);
  const Cell &vxi = s_.velX(i), &vxj = s_.velX(j), &vyi = s_.velY(i), &vyj = s_.velY(j);
  double mi = 0;
  double mj = 0;
  if (!(isDouble(xi) && isDouble(xj) && isDouble(yi) && isDouble(yj) && isDouble(vxi) &&
        isDouble(vxj) && isDouble(vyi) && isDouble(vyj) && massValue(s_.partMass(i), mi) &&
        massValue(s_.partMass(j), mj)))
    return Shortcut::NotTaken;
  const double ddx = xi.doubleValue() - xj.doubleValue();
  if (ddx == 0) return Shortcut::Unchanged;
  const double run = xj.doubleValue() - xi.doubleValue();
  const double a = (yj.doubleValue() - yi.doubleValue()) / run;
  const double guarded = mj + 0.00001;
  if (guarded == 0 || mj == 0 || run == 0) return Shortcut::NotTaken;
  const double Dx =
      (2 * ((vxj.doubleValue() - vxi.doubleValue()) + a * (vyj.doubleValue() - vyi.doubleValue())) /
       (1 + a * a)) /
      (1 + mi / guarded);
  const double Dy = Dx * a;
  const double ratio = mi / mj;
  const double nvxi = vxi.doubleValue() + Dx;
  const double nvyi = vyi.doubleValue() + Dy;
  const double nvxj = vxj.doubleValue() - ratio * Dx;
  const double nvyj = vyj.doubleValue() - ratio * Dy;
  // An overflow anywhere along the way shows in one of these.
  if (!allFinite(
          {ddx, a * a, mi / guarded, Dx, Dy, ratio * Dx, ratio * Dy, nvxi, nvyi, nvxj, nvyj}))
    return Shortcut::NotTaken;
  s_.velX(i) = nvxi;
  s_.velY(i) = nvyi;
  s_.velX(j) = nvxj;
  s_.velY(j) = nvyj;
  return Shortcut::Exchanged;
}

void Simulation::Collide(int i, int j) {
  bool exchanged = false;
  switch (collideDoubles(i, j)) {
    case Shortcut::Exchanged:
      exchanged = true;
      break;
    case Shortcut::Unchanged:
      break;
    case Shortcut::NotTaken:
      try {
        exchanged = collideCells(i, j);
      } catch (const RunError& e) {
        throw withPlace(
            e, "collision of particles " + std::to_string(i) + " and " + std::to_string(j));
      }
  }
  if (exchanged && observer_) observer_->pairExchange(i, j);
}

bool Simulation::collideCells(int i, int j) {
  if (s_.posX(i) - s_.posX(j) == 0) return false;
  const Cell a = (s_.posY(j) - s_.posY(i)) / (s_.posX(j) - s_.posX(i));
  const Cell Dx = (2 * ((s_.velX(j) - s_.velX(i)) + a * (s_.velY(j) - s_.velY(i))) / (1 + a * a)) /
                  (1 + s_.partMass(i) / (s_.partMass(j) + 0.00001));
  const Cell Dy = Dx * a;
  s_.velX(i) = s_.velX(i) + Dx;
  s_.velY(i) = s_.velY(i) + Dy;
  s_.velX(j) = s_.velX(j) - (s_.partMass(i) / s_.partMass(j)) * Dx;
  s_.velY(j) = s_.velY(j) - (s_.partMass(i) / s_.partMass(j)) * Dy;
  return true;
}

}  // namespace km
