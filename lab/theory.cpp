// SPDX-License-Identifier: GPL-3.0-or-later
#include "theory.h"

#include <algorithm>
#include <array>
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
  if (!(eta >= 0 && eta < closePacking)) return std::numeric_limits<double>::quiet_NaN();
  return (1 + eta * eta / 8) / ((1 - eta) * (1 - eta));
}

double contactValue(double eta) {
  if (!(eta >= 0 && eta < closePacking)) return std::numeric_limits<double>::quiet_NaN();
  return (1 - 7 * eta / 16) / ((1 - eta) * (1 - eta));
}

namespace {

// b_k = B_k / B_2^(k−1) for hard discs, k = 1 … 10 (b_1 = b_2 = 1); b_3 and b_4 are known in
// closed form, b_5 … b_10 to the digits given by Clisby and McCoy (2006).
constexpr std::array<double, 10> virial = {1,         1,         0.78200443, 0.53223180, 0.33355604,
                                           0.1988425, 0.1148728, 0.0649930,  0.0362193,  0.0199537};

// The [5/4] Padé approximant P(x) / Q(x) of Σ virial[k]·x^k, x = 2η: Q's coefficients solve the
// four equations that make the series of P / Q match through x^9.
struct Pade {
  std::array<double, 6> p{};
  std::array<double, 5> q{};
  Pade() {
    constexpr int L = 5, M = 4;
    std::array<std::array<double, M + 1>, M> a{};  // augmented rows
    for (int i = 0; i < M; ++i) {
      const int k = L + 1 + i;
      for (int j = 1; j <= M; ++j)
        a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j - 1)] =
            virial[static_cast<std::size_t>(k - j)];
      a[static_cast<std::size_t>(i)][M] = -virial[static_cast<std::size_t>(k)];
    }
    // Gaussian elimination with partial pivoting.
    for (int c = 0; c < M; ++c) {
      int best = c;
      for (int r = c + 1; r < M; ++r)
        if (std::fabs(a[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) >
            std::fabs(a[static_cast<std::size_t>(best)][static_cast<std::size_t>(c)]))
          best = r;
      std::swap(a[static_cast<std::size_t>(c)], a[static_cast<std::size_t>(best)]);
      for (int r = 0; r < M; ++r) {
        if (r == c) continue;
        const double f = a[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] /
                         a[static_cast<std::size_t>(c)][static_cast<std::size_t>(c)];
        for (int j = c; j <= M; ++j)
          a[static_cast<std::size_t>(r)][static_cast<std::size_t>(j)] -=
              f * a[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
      }
    }
    q[0] = 1;
    for (int j = 1; j <= M; ++j)
      q[static_cast<std::size_t>(j)] =
          a[static_cast<std::size_t>(j - 1)][M] /
          a[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(j - 1)];
    for (int k = 0; k <= L; ++k)
      for (int j = 0; j <= std::min(k, M); ++j)
        p[static_cast<std::size_t>(k)] +=
            q[static_cast<std::size_t>(j)] * virial[static_cast<std::size_t>(k - j)];
  }
};

template <std::size_t N>
double polynomial(const std::array<double, N>& c, double x) {
  double v = 0;
  for (std::size_t k = N; k-- > 0;)
    v = v * x + c[k];
  return v;
}

}  // namespace

double virialZ(double eta) {
  if (!(eta >= 0 && eta < closePacking)) return std::numeric_limits<double>::quiet_NaN();
  return polynomial(virial, 2 * eta);
}

double bulkZ(double eta) {
  if (!(eta >= 0 && eta < fluidEnds)) return std::numeric_limits<double>::quiet_NaN();
  static const Pade pade;
  return polynomial(pade.p, 2 * eta) / polynomial(pade.q, 2 * eta);
}

double bulkContactValue(double eta) {
  // (Z − 1) / 2η tends to b_2 = 1 as η goes to 0, where the quotient would lose its digits.
  if (eta >= 0 && eta < 1e-8) return 1 + virial[2] * 2 * eta;
  return (bulkZ(eta) - 1) / (2 * eta);
}

double walledZ(double eta, double sigma, double side) {
  return bulkZ(eta) - 32 / (3 * std::numbers::pi) * eta * sigma / side;
}

double enskogCollisionRate(double partnerDensity, double sigma, double g, double kT, double mass,
                           double partnerMass) {
  const double mu = mass * partnerMass / (mass + partnerMass);
  return 2 * partnerDensity * sigma * g * std::sqrt(std::numbers::pi * kT / (2 * mu));
}

double chapmanEnskogConductivity(double sigma, double kT, double mass) {
  return 2 / sigma * std::sqrt(kT / (std::numbers::pi * mass));
}

double enskogConductivity(double eta, double g, double sigma, double kT, double mass) {
  const double flights = (1 + 1.5 * eta * g) * (1 + 1.5 * eta * g) / g;
  return chapmanEnskogConductivity(sigma, kT, mass) *
         (flights + 4 / std::numbers::pi * eta * eta * g);
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
