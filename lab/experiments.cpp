// SPDX-License-Identifier: GPL-3.0-or-later
#include "experiments.h"

#include <algorithm>
#include <cmath>

namespace km::lab {

Heating planHeating(const State& s, int first, int last, double factor) {
  Heating h;
  if (first > last || !(factor >= 0)) return h;
  double mass = 0, px = 0, py = 0;
  for (int i = first; i <= last; ++i) {
    const double m = s.partMass(i).toDouble();
    mass += m;
    px += m * s.velX(i).toDouble();
    py += m * s.velY(i).toDouble();
  }
  double meanX = 0, meanY = 0;
  if (last > first && mass > 0) {
    meanX = px / mass;
    meanY = py / mass;
  }
  const double scale = std::sqrt(factor);
  for (int i = first; i <= last; ++i) {
    const double m = s.partMass(i).toDouble();
    const double ux = s.velX(i).toDouble() - meanX, uy = s.velY(i).toDouble() - meanY;
    h.energyBefore += 0.5 * m * (ux * ux + uy * uy);
    h.vx.push_back(meanX + scale * ux);
    h.vy.push_back(meanY + scale * uy);
    h.energyAfter += 0.5 * m * factor * (ux * ux + uy * uy);
    h.fastest = std::max(h.fastest, std::hypot(h.vx.back(), h.vy.back()));
  }
  return h;
}

void applyHeating(State& s, int first, const Heating& h) {
  for (std::size_t k = 0; k < h.vx.size(); ++k) {
    const int i = first + static_cast<int>(k);
    s.velX(i) = h.vx[k];
    s.velY(i) = h.vy[k];
  }
}

void equalizeEnergies(State& s, int n) {
  if (n < 1) return;
  double energy = 0;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    energy += 0.5 * s.partMass(i).toDouble() * (vx * vx + vy * vy);
  }
  const double each = energy / n;
  for (int i = 1; i <= n; ++i) {
    const double vx = s.velX(i).toDouble(), vy = s.velY(i).toDouble();
    const double m = s.partMass(i).toDouble();
    const double speed = std::hypot(vx, vy);
    const double target = m > 0 ? std::sqrt(2 * each / m) : 0;
    if (speed > 0) {
      s.velX(i) = vx / speed * target;
      s.velY(i) = vy / speed * target;
    } else {
      s.velX(i) = target;
      s.velY(i) = 0.0;
    }
  }
}

}  // namespace km::lab
