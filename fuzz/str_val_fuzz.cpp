// SPDX-License-Identifier: GPL-3.0-or-later
// Number to text and back: Val(Str(x)) is x rounded to the significant digits Str keeps
// (15 for a double, 7 for a single), and the whole-text reader takes Str's text as well.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cell.h"
#include "conversions.h"

namespace {

// x rounded to `digits` significant digits (infinite when that leaves the double range, which
// happens only next to DBL_MAX); zero of either sign gives +0, as Str writes " 0".
double rounded(double x, int digits) {
  if (x == 0) return 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, x);
  return std::strtod(buf, nullptr);
}

bool sameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void check(const km::Cell& cell, double x, int digits) {
  const std::string text = km::Str(cell);
  const double r = rounded(x, digits);
  // Val gives the largest double for a magnitude beyond the range.
  const double want = std::isinf(r) ? std::copysign(DBL_MAX, r) : r;
  const double got = km::Val(text);
  if (!sameBits(got, want)) {
    std::fprintf(stderr, "Val(Str(%a)) = %a (text \"%s\"), want %a\n", x, got, text.c_str(), want);
    std::abort();
  }
  // The whole-text reader takes Str's text as one number, or as too large when the rounding
  // left the range.
  const km::NumericText read = km::readNumericText(text);
  const bool agrees = std::isinf(r) ? read.status == km::NumericText::TooLarge
                                    : read.status == km::NumericText::Ok && sameBits(read.value, r);
  if (!agrees) {
    std::fprintf(stderr, "readNumericText(\"%s\") = status %d, %a; want %a\n", text.c_str(),
                 static_cast<int>(read.status), read.value, r);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 8) {
    double d;
    std::memcpy(&d, data, 8);
    if (std::isfinite(d)) check(km::Cell(d), d, 15);
  }
  if (size >= 12) {
    float f;
    std::memcpy(&f, data + 8, 4);
    if (std::isfinite(f)) check(km::Cell(f), f, 7);
  }
  return 0;
}
