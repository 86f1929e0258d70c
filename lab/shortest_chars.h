// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace km::lab {

// std::to_chars of a finite double, shortest (fixed = false) or fixed: into [first, last),
// returning the end. Standard libraries without the floating-point overloads (the browser
// build's) get the same texts from printf: the fewest digits that read back, in the shorter
// of the fixed and scientific forms, fixed on a tie. `last - first` must be at least 32, and
// a fixed text is asked only for whole numbers below 2^53.
inline char* shortestChars(char* first, char* last, double v, bool fixed) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  return fixed ? std::to_chars(first, last, v, std::chars_format::fixed).ptr
               : std::to_chars(first, last, v).ptr;
#else
  if (fixed) return first + std::snprintf(first, last - first, "%.0f", v);
  char sci[40];
  for (int precision = 0; precision < 17; ++precision) {
    std::snprintf(sci, sizeof sci, "%.*e", precision, v);
    if (std::strtod(sci, nullptr) == v) break;
  }
  // sci is [-]d[.ddd]e[+-]x: its digits and the power of ten of the first one.
  std::string text(sci), digits;
  const bool negative = text[0] == '-';
  const std::size_t e = text.find('e');
  for (std::size_t k = negative ? 1 : 0; k < e; ++k)
    if (text[k] != '.') digits += text[k];
  const int power = std::atoi(text.c_str() + e + 1);
  const int n = static_cast<int>(digits.size());

  std::string scientific = digits.substr(0, 1);
  if (n > 1) scientific += "." + digits.substr(1);
  const int magnitude = power < 0 ? -power : power;
  scientific += std::string(power < 0 ? "e-" : "e+") + (magnitude < 10 ? "0" : "") +
                std::to_string(magnitude);
  std::string plain;
  if (power < 0)
    plain = "0." + std::string(static_cast<std::size_t>(-power - 1), '0') + digits;
  else if (n <= power + 1)
    plain = digits + std::string(static_cast<std::size_t>(power + 1 - n), '0');
  else
    plain = digits.substr(0, power + 1) + "." + digits.substr(power + 1);
  const std::string& best = plain.size() <= scientific.size() ? plain : scientific;
  char* out = first;
  if (negative) *out++ = '-';
  for (char c : best)
    *out++ = c;
  return out;
#endif
}

}  // namespace km::lab
