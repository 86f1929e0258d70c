// SPDX-License-Identifier: GPL-3.0-or-later
// Val on arbitrary bytes: it never fails, never reads outside the text, and gives the same
// bits as a plain reference reading written here independently of the engine's code.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "conversions.h"

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks, tabs and line breaks are dropped first, since they count nowhere; then the longest
// leading number is taken from what is left.
double referenceVal(std::string_view text) {
  std::string s;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') s += c;

  std::size_t p = 0;
  std::string number;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) number += s[p++];
  bool digits = false;
  while (p < s.size() && isDigit(s[p]))
    number += s[p++], digits = true;
  if (p < s.size() && s[p] == '.') {
    number += s[p++];
    while (p < s.size() && isDigit(s[p]))
      number += s[p++], digits = true;
  }
  if (!digits) return 0;

  if (p < s.size() && (s[p] == 'E' || s[p] == 'e' || s[p] == 'D' || s[p] == 'd')) {
    std::size_t q = p + 1;
    std::string exponent = "e";
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) exponent += s[q++];
    bool exponentDigits = false;
    while (q < s.size() && isDigit(s[q]))
      exponent += s[q++], exponentDigits = true;
    if (exponentDigits) number += exponent;
  }

  double v = std::strtod(number.c_str(), nullptr);
  if (std::isinf(v)) return v < 0 ? -DBL_MAX : DBL_MAX;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A heap copy of exactly the input's size: a read past its end is an ASan report.
  auto bytes = std::make_unique<char[]>(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>(data[i]);
  const std::string_view text(bytes.get(), size);

  const double got = km::Val(text);
  const double want = referenceVal(text);
  if (std::isnan(got) || std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(want)) {
    std::fprintf(stderr, "Val disagrees with the reference: got %a, want %a for \"%.*s\"\n", got,
                 want, static_cast<int>(size), bytes.get());
    std::abort();
  }
  return 0;
}
