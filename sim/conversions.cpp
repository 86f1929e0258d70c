// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "run_error.h"

namespace km {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isValBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// strtod on a cleaned number text: "D" exponents become "E".
double toDouble(std::string& clean) {
  for (char& c : clean)
    if (c == 'd' || c == 'D') c = 'E';
  return std::strtod(clean.c_str(), nullptr);
}

}  // namespace

NumericText readNumericText(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && isBlank(text[b]))
    ++b;
  while (e > b && isBlank(text[e - 1]))
    --e;
  std::string clean;
  std::size_t p = b;
  if (p < e && (text[p] == '+' || text[p] == '-')) clean += text[p++];
  int mantissaDigits = 0;
  while (p < e && isDigit(text[p]))
    clean += text[p++], ++mantissaDigits;
  if (p < e && text[p] == '.') {
    clean += text[p++];
    while (p < e && isDigit(text[p]))
      clean += text[p++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return {NumericText::NotANumber, 0};
  if (p < e && (text[p] == 'e' || text[p] == 'E' || text[p] == 'd' || text[p] == 'D')) {
    clean += text[p++];
    if (p < e && (text[p] == '+' || text[p] == '-')) clean += text[p++];
    int exponentDigits = 0;
    while (p < e && isDigit(text[p]))
      clean += text[p++], ++exponentDigits;
    if (exponentDigits == 0) return {NumericText::NotANumber, 0};
  }
  if (p != e) return {NumericText::NotANumber, 0};
  double v = toDouble(clean);
  if (!std::isfinite(v)) return {NumericText::TooLarge, 0};
  return {NumericText::Ok, v};
}

double Val(std::string_view text) {
  std::string clean;
  std::size_t p = 0;
  auto skip = [&] {
    while (p < text.size() && isValBlank(text[p]))
      ++p;
  };
  auto at = [&](auto pred) {
    skip();
    return p < text.size() && pred(text[p]);
  };
  if (at([](char c) { return c == '+' || c == '-'; })) clean += text[p++];
  int mantissaDigits = 0;
  while (at(isDigit))
    clean += text[p++], ++mantissaDigits;
  if (at([](char c) { return c == '.'; })) {
    clean += text[p++];
    while (at(isDigit))
      clean += text[p++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return 0;
  if (at([](char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; })) {
    std::string exponent(1, 'E');
    std::size_t mark = p++;
    if (at([](char c) { return c == '+' || c == '-'; })) exponent += text[p++];
    bool any = false;
    while (at(isDigit))
      exponent += text[p++], any = true;
    if (any)
      clean += exponent;
    else
      p = mark;
  }
  double v = toDouble(clean);
  if (std::isinf(v)) return std::copysign(std::numeric_limits<double>::max(), v);
  return v;
}

namespace {

// Significant digits of |v| rounded to `digits`, trailing zeros removed, and the decimal
// exponent of the first digit.
void decompose(double v, int digits, std::string& mantissa, int& exponent) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(v));
  mantissa.clear();
  const char* c = buf;
  for (; *c != 'e'; ++c)
    if (isDigit(*c)) mantissa += *c;
  exponent = std::atoi(c + 1);
  while (mantissa.size() > 1 && mantissa.back() == '0')
    mantissa.pop_back();
}

std::string formatNumber(double v, int digits) {
  std::string out(1, v < 0 ? '-' : ' ');
  if (v == 0) return out.append(1, '0');
  // Arithmetic never makes these, but a number handed in from outside may be one.
  if (std::isnan(v)) return " NaN";
  if (std::isinf(v)) return out.append("Infinity");
  std::string m;
  int e = 0;
  decompose(v, digits, m, e);
  if (e < -4 || e >= digits) {
    out.append(1, m[0]);
    if (m.size() > 1) out.append(1, '.').append(m, 1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    return out.append(exp);
  }
  if (e < 0) return out.append(1, '.').append(-e - 1, '0').append(m);
  const auto whole = static_cast<std::size_t>(e) + 1;
  if (m.size() <= whole) return out.append(m).append(whole - m.size(), '0');
  return out.append(m, 0, whole).append(1, '.').append(m, whole);
}

}  // namespace

std::string Str(const Cell& value) {
  switch (value.kind()) {
    case Kind::Empty:
      return " 0";
    case Kind::Integer: {
      std::int64_t v = value.intValue();
      return std::string(1, v < 0 ? '-' : ' ').append(std::to_string(v < 0 ? -v : v));
    }
    case Kind::Single:
      return formatNumber(value.singleValue(), 7);
    case Kind::Double:
      return formatNumber(value.doubleValue(), 15);
    case Kind::Text:
      break;
  }
  return formatNumber(value.toDouble(), 15);
}

std::string readerText(const Cell& value) {
  const std::string s = Str(value);
  std::size_t at = s[0] == ' ' ? 1 : 0;
  std::string out;
  if (s[at] == '-') out += s[at++];
  if (s[at] == '.') out += '0';
  if (s.find_first_of("EI") != std::string::npos) return out + s.substr(at);
  const std::size_t point = std::min(s.find('.'), s.size());
  for (std::size_t i = at; i < point; ++i) {
    out += s[i];
    if (i + 1 < point && (point - i - 1) % 3 == 0) out += ',';
  }
  return out + s.substr(point);
}

Cell Int(const Cell& value) {
  switch (value.kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Integer:
      return value;
    case Kind::Single:
      return std::floor(value.singleValue());
    case Kind::Double:
      return std::floor(value.doubleValue());
    case Kind::Text:
      break;
  }
  return std::floor(value.toDouble());
}

std::size_t readoutText(const Cell& value, char* out) {
  double v = Int(value).toDouble();
  if (std::fabs(v) < 1e15) {
    auto r = std::to_chars(out, out + 31, static_cast<std::int64_t>(v));
    return static_cast<std::size_t>(r.ptr - out);
  }
  int n = std::snprintf(out, 32, "%.15g", v);
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::string readoutText(const Cell& value) {
  char buf[32];
  return std::string(buf, readoutText(value, buf));
}

std::string timeOfDayText(double secondsSinceMidnight) {
  long s =
      std::isfinite(secondsSinceMidnight) ? static_cast<long>(std::floor(secondsSinceMidnight)) : 0;
  s = ((s % 86400) + 86400) % 86400;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

}  // namespace km
