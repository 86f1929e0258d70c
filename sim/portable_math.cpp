// SPDX-License-Identifier: GPL-3.0-or-later
#include "portable_math.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace km {
namespace {

// ln 2 split so that e·ln2Hi is exact for the exponents of a double.
constexpr double ln2Hi = 6.93147180369123816490e-01;
constexpr double ln2Lo = 1.90821492927058770002e-10;

}  // namespace

double portableLog1p(double x) {
  if (!(x > -1)) return x == -1 ? -HUGE_VAL : std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return x;
  const double y = 1 + x;
  // y = m·2^e with m in [√½, √2): ln y = e·ln 2 + 2·atanh(s), s = (m − 1)/(m + 1).
  int e = 0;
  double m = std::frexp(y, &e);
  if (m < std::numbers::sqrt2 / 2) {
    m *= 2;
    --e;
  }
  // What 1 + x rounded away, carried as a correction to m (ln(y + c) ≈ ln y + c/y).
  const double c = e > 0 ? 1 - (y - x) : x - (y - 1);
  const double f = m - 1;
  const double s = f / (2 + f);
  const double s2 = s * s;
  // 2·atanh(s) = 2s·(1 + s²/3 + s⁴/5 + …); |s| ≤ 0.1716, so 12 terms reach below 1e-18.
  double sum = 1.0 / 23;
  for (int k = 21; k >= 1; k -= 2)
    sum = 1.0 / k + s2 * sum;
  const double atanh2 = 2 * s * sum;
  return e * ln2Hi + (atanh2 + (e * ln2Lo + c / y));
}

double portableCosTurn(double t) {
  if (!(t >= 0 && t < 1)) return std::numeric_limits<double>::quiet_NaN();
  // Eight octants of the turn: t·8 and its fraction are exact.
  const double t8 = t * 8;
  const int octant = static_cast<int>(t8);
  const double f = t8 - octant;
  // Within the octant, the angle from its nearer end, in [0, π/4].
  const bool rising = octant % 2 == 0;
  const double a = (rising ? f : 1 - f) * (std::numbers::pi / 4);
  const double a2 = a * a;
  // Taylor series to the 18th power: the first term left out is below 1e-19 at π/4.
  const double cosA =
      1 -
      a2 / 2 *
          (1 -
           a2 / 12 *
               (1 - a2 / 30 *
                        (1 - a2 / 56 *
                                 (1 - a2 / 90 *
                                          (1 - a2 / 132 *
                                                   (1 - a2 / 182 *
                                                            (1 - a2 / 240 * (1 - a2 / 306))))))));
  const double sinA =
      a *
      (1 -
       a2 / 6 *
           (1 -
            a2 / 20 *
                (1 -
                 a2 / 42 *
                     (1 - a2 / 72 *
                              (1 - a2 / 110 * (1 - a2 / 156 * (1 - a2 / 210 * (1 - a2 / 272))))))));
  // cos(2πt) in each octant, from cos and sin of the angle within it.
  switch (octant) {
    case 0:
      return cosA;
    case 1:
      return sinA;
    case 2:
      return -sinA;
    case 3:
      return -cosA;
    case 4:
      return -cosA;
    case 5:
      return -sinA;
    case 6:
      return sinA;
    default:
      return cosA;
  }
}

}  // namespace km
