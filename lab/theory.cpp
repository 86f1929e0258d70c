// SPDX-License-Identifier: GPL-3.0-or-later
#include "theory.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace km::theory {

double speedDensity(double v, double mass, double kT) {
  if (v < 0) return 0;
  return mass * v / kT * std::exp(-mass * v * v / (2 * kT));
}

double speedCdf(double v, double mass, double kT) {
  if (v <= 0) return 0;
  return -std::expm1(-mass * v * v / (2 * kT));
}

double componentDensity(double v, double mass, double kT) {
  const double variance = kT / mass;
  return std::exp(-v * v / (2 * variance)) / std::sqrt(2 * std::numbers::pi * variance);
}

double componentCdf(double v, double mass, double kT) {
  return 0.5 * std::erfc(-v / std::sqrt(2 * kT / mass));
}

double packingFraction(int n, double sigma, double side) {
  return n * std::numbers::pi * sigma * sigma / (4 * side * side);
}

double hendersonZ(double eta) {
  if (!(eta < closePacking)) return std::numeric_limits<double>::quiet_NaN();
  return (1 + eta * eta / 8) / ((1 - eta) * (1 - eta));
}

double contactValue(double eta) {
  if (!(eta < closePacking)) return std::numeric_limits<double>::quiet_NaN();
  return (1 - 7 * eta / 16) / ((1 - eta) * (1 - eta));
}

double enskogCollisionRate(double partnerDensity, double sigma, double g, double kT, double mass,
                           double partnerMass) {
  const double mu = mass * partnerMass / (mass + partnerMass);
  return 2 * partnerDensity * sigma * g * std::sqrt(std::numbers::pi * kT / (2 * mu));
}

double enskogDiffusion(double density, double sigma, double g, double kT, double mass) {
  return std::sqrt(kT / (std::numbers::pi * mass)) / (2 * density * sigma * g);
}

double hFromRings(std::span<const double> edges, std::span<const double> p) {
  double h = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    if (p[k] <= 0) continue;
    const double area = std::numbers::pi * (edges[k + 1] * edges[k + 1] - edges[k] * edges[k]);
    h += p[k] * std::log(p[k] / area);
  }
  return h;
}

double maxwellianH(std::span<const double> edges) {
  std::vector<double> p(edges.size() - 1);
  for (std::size_t k = 0; k < p.size(); ++k)
    p[k] = std::exp(-edges[k] * edges[k] / 2) - std::exp(-edges[k + 1] * edges[k + 1] / 2);
  return hFromRings(edges, p);
}

double maxwellianHExact() {
  return -std::log(2 * std::numbers::pi) - 1;
}

}  // namespace km::theory
