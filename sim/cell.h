// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace km {

enum class Kind : std::uint8_t { Empty, Integer, Single, Double, Text };

// A dynamically typed value: never assigned (Empty), a 32-bit integer, a single- or
// double-precision number, or a text. Texts are immutable and shared, so copying a cell
// never allocates.
class Cell {
 public:
  Cell() noexcept : kind_(Kind::Empty) { d_ = 0; }
  Cell(int v) noexcept : kind_(Kind::Integer) { i_ = v; }
  Cell(float v) noexcept : kind_(Kind::Single) { s_ = v; }
  Cell(double v) noexcept : kind_(Kind::Double) { d_ = v; }
  static Cell text(std::string_view s);

  Cell(const Cell& o) noexcept : kind_(o.kind_) {
    d_ = o.d_;
    if (kind_ == Kind::Text) retain();
  }
  Cell& operator=(const Cell& o) noexcept {
    if (o.kind_ == Kind::Text) o.retain();
    if (kind_ == Kind::Text) release();
    kind_ = o.kind_;
    d_ = o.d_;
    return *this;
  }
  ~Cell() {
    if (kind_ == Kind::Text) release();
  }

  Kind kind() const { return kind_; }
  bool isNumber() const {
    return kind_ == Kind::Integer || kind_ == Kind::Single || kind_ == Kind::Double;
  }

  // Raw payloads; valid only for the matching kind.
  std::int32_t intValue() const { return i_; }
  float singleValue() const { return s_; }
  double doubleValue() const { return d_; }
  std::string_view textValue() const;
  // For a text cell: whether the text reads as a number, and that number (read once).
  bool textNumber(double& out) const;

  // The value as a number: Empty is 0, a text must be numeric (else TypeMismatch, or Overflow
  // when it is beyond the double range).
  double toDouble() const {
    switch (kind_) {
      case Kind::Double:
        return d_;
      case Kind::Single:
        return s_;
      case Kind::Integer:
        return i_;
      case Kind::Empty:
        return 0;
      case Kind::Text:
        break;
    }
    return textToDouble();
  }
  // The value converted to single precision, as a drawing call needs it (Overflow if too large).
  float toSingle() const {
    if (kind_ == Kind::Double && d_ <= 3.4028234663852886e38 && d_ >= -3.4028234663852886e38)
      return static_cast<float>(d_);
    return toSingleSlow();
  }
  // The value rounded to the nearest whole number, halves to even, as an array index or a
  // 32-bit colour needs it (Overflow outside the 32-bit range).
  std::int32_t toIndex() const {
    if (kind_ == Kind::Integer) return i_;
    return toIndexSlow();
  }

 private:
  struct TextRep;
  double textToDouble() const;
  float toSingleSlow() const;
  std::int32_t toIndexSlow() const;
  void retain() const noexcept;
  void release() noexcept;

  Kind kind_;
  union {
    std::int32_t i_;
    float s_;
    double d_;
    TextRep* t_;
  };
};

namespace detail {
Cell addSlow(const Cell& a, const Cell& b);
Cell subSlow(const Cell& a, const Cell& b);
Cell mulSlow(const Cell& a, const Cell& b);
Cell divSlow(const Cell& a, const Cell& b);
Cell absSlow(const Cell& a);
int compareSlow(const Cell& a, const Cell& b);
// Operands of which at least one is a Double or a text (read as a number): the result is
// a Double computed on doubles. For + a text with a text or with Empty is joined instead.
inline bool wide(Kind k) {
  return k == Kind::Double || k == Kind::Text;
}
inline bool doubleResult(const Cell& a, const Cell& b) {
  return wide(a.kind()) || wide(b.kind());
}
inline bool doubleSum(const Cell& a, const Cell& b) {
  Kind ka = a.kind();
  Kind kb = b.kind();
  bool joins = (kb == Kind::Text && (ka == Kind::Text || ka == Kind::Empty)) ||
               (ka == Kind::Text && kb == Kind::Empty);
  return doubleResult(a, b) && !joins;
}
inline bool finite(double v) {
  return v - v == 0;
}
inline bool bothInteger(const Cell& a, const Cell& b) {
  return a.kind() == Kind::Integer && b.kind() == Kind::Integer;
}
inline bool fitsInteger(std::int64_t v) {
  return v >= INT32_MIN && v <= INT32_MAX;
}
}  // namespace detail

// Arithmetic. + - * take the wider kind (Integer < Single < Double); single results are
// rounded to float; integer results that leave the 32-bit range become Double. A text operand
// counts as a Double (non-numeric text: TypeMismatch); Text + Text joins the texts and
// Empty + Text gives the text. / gives Double for two integers, else the wider kind; a zero
// divisor is DivisionByZero. ^ gives Double. A result beyond the range of its kind is Overflow.
// A Double result is the common case in the tick, so it is decided inline.
inline Cell operator+(const Cell& a, const Cell& b) {
  if (detail::doubleSum(a, b)) {
    double r = a.toDouble() + b.toDouble();
    if (detail::finite(r)) return r;
  }
  if (detail::bothInteger(a, b)) {
    std::int64_t r = std::int64_t{a.intValue()} + b.intValue();
    if (detail::fitsInteger(r)) return static_cast<std::int32_t>(r);
  }
  return detail::addSlow(a, b);
}
inline Cell operator-(const Cell& a, const Cell& b) {
  if (detail::doubleResult(a, b)) {
    double r = a.toDouble() - b.toDouble();
    if (detail::finite(r)) return r;
  }
  if (detail::bothInteger(a, b)) {
    std::int64_t r = std::int64_t{a.intValue()} - b.intValue();
    if (detail::fitsInteger(r)) return static_cast<std::int32_t>(r);
  }
  return detail::subSlow(a, b);
}
inline Cell operator*(const Cell& a, const Cell& b) {
  if (detail::doubleResult(a, b)) {
    double r = a.toDouble() * b.toDouble();
    if (detail::finite(r)) return r;
  }
  if (detail::bothInteger(a, b)) {
    std::int64_t r = std::int64_t{a.intValue()} * b.intValue();
    if (detail::fitsInteger(r)) return static_cast<std::int32_t>(r);
  }
  return detail::mulSlow(a, b);
}
inline Cell operator/(const Cell& a, const Cell& b) {
  if (detail::doubleResult(a, b) && b.toDouble() != 0) {
    double r = a.toDouble() / b.toDouble();
    if (detail::finite(r)) return r;
  }
  return detail::divSlow(a, b);
}
inline Cell abs(const Cell& a) {
  if (a.kind() == Kind::Double) return a.doubleValue() < 0 ? -a.doubleValue() : a.doubleValue();
  return detail::absSlow(a);
}
Cell operator-(const Cell& a);
Cell pow(const Cell& base, const Cell& exponent);

// Comparison: numbers by value; a number ranks below any text; texts by their bytes; Empty
// is 0 against a number and "" against a text. Returns <0, 0 or >0.
inline int compare(const Cell& a, const Cell& b) {
  if (a.isNumber() && b.isNumber()) {
    double x = a.toDouble();
    double y = b.toDouble();
    return (x > y) - (x < y);
  }
  return detail::compareSlow(a, b);
}
inline bool operator<(const Cell& a, const Cell& b) {
  return compare(a, b) < 0;
}
inline bool operator>(const Cell& a, const Cell& b) {
  return compare(a, b) > 0;
}
inline bool operator<=(const Cell& a, const Cell& b) {
  return compare(a, b) <= 0;
}
inline bool operator>=(const Cell& a, const Cell& b) {
  return compare(a, b) >= 0;
}
inline bool operator==(const Cell& a, const Cell& b) {
  return compare(a, b) == 0;
}

}  // namespace km
