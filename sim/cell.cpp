// SPDX-License-Identifier: GPL-3.0-or-later
#include "cell.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "conversions.h"
#include "run_error.h"

namespace km {

// A shared text with its numeric reading cached: a typed mass or radius is read once, not
// at every use in the tick.
struct Cell::TextRep {
  int refs;
  std::string s;
  mutable NumericText number;
  mutable bool read = false;
};

Cell Cell::text(std::string_view s) {
  Cell c;
  c.kind_ = Kind::Text;
  c.t_ = new TextRep{1, std::string(s), {NumericText::NotANumber, 0}};
  return c;
}

std::string_view Cell::textValue() const {
  return kind_ == Kind::Text ? std::string_view(t_->s) : "";
}

void Cell::retain() const noexcept {
  ++t_->refs;
}

void Cell::release() noexcept {
  if (--t_->refs == 0) delete t_;
}

bool Cell::textNumber(double& out) const {
  if (kind_ != Kind::Text) return false;
  if (!t_->read) {
    t_->number = readNumericText(t_->s);
    t_->read = true;
  }
  out = t_->number.value;
  return t_->number.status == NumericText::Ok;
}

double Cell::textToDouble() const {
  if (!t_->read) {
    t_->number = readNumericText(t_->s);
    t_->read = true;
  }
  switch (t_->number.status) {
    case NumericText::Ok:
      return t_->number.value;
    case NumericText::TooLarge:
      throw RunError(ErrorKind::Overflow, "the number \"" + t_->s + "\" is too large");
    case NumericText::NotANumber:
      break;
  }
  throw RunError(ErrorKind::TypeMismatch, "\"" + t_->s + "\" is not a number");
}

float Cell::toSingleSlow() const {
  if (kind_ == Kind::Single) return s_;
  double v = toDouble();
  if (std::fabs(v) > FLT_MAX)
    throw RunError(ErrorKind::Overflow,
                   "the value " + readerText(*this) + " is too large for single precision");
  return static_cast<float>(v);
}

std::int32_t Cell::toIndexSlow() const {
  double r = std::nearbyint(toDouble());  // the default rounding mode sends halves to even
  if (!(r >= INT32_MIN && r <= INT32_MAX))
    throw RunError(ErrorKind::Overflow,
                   "the value " + readerText(*this) + " is too large for a whole number");
  return static_cast<std::int32_t>(r);
}

namespace {

enum class Op { Add, Sub, Mul, Div };

// Integer < Single < Double; Empty counts as an integer and a text as a double.
int rank(Kind k) {
  switch (k) {
    case Kind::Empty:
    case Kind::Integer:
      return 0;
    case Kind::Single:
      return 1;
    case Kind::Double:
    case Kind::Text:
      return 2;
  }
  return 2;
}

[[noreturn]] void overflow() {
  throw RunError(ErrorKind::Overflow, "a result is too large for a number");
}

double apply(Op op, double x, double y) {
  switch (op) {
    case Op::Add:
      return x + y;
    case Op::Sub:
      return x - y;
    case Op::Mul:
      return x * y;
    case Op::Div:
      break;
  }
  if (y == 0) throw RunError(ErrorKind::DivisionByZero, "division by zero");
  return x / y;
}

Cell arith(Op op, const Cell& a, const Cell& b) {
  double x = a.toDouble();
  double y = b.toDouble();
  int r = std::max(rank(a.kind()), rank(b.kind()));
  if (r == 0 && op != Op::Div) {
    std::int64_t p = a.kind() == Kind::Integer ? a.intValue() : 0;
    std::int64_t q = b.kind() == Kind::Integer ? b.intValue() : 0;
    std::int64_t v = op == Op::Add ? p + q : op == Op::Sub ? p - q : p * q;
    if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
    return static_cast<double>(v);
  }
  double v = apply(op, x, y);
  if (r == 1) {
    float f = static_cast<float>(v);
    if (!std::isfinite(f)) overflow();
    return f;
  }
  if (!std::isfinite(v)) overflow();
  return v;
}

}  // namespace

namespace detail {

Cell addSlow(const Cell& a, const Cell& b) {
  if (b.kind() == Kind::Text && (a.kind() == Kind::Text || a.kind() == Kind::Empty)) {
    if (a.kind() == Kind::Empty) return b;
    std::string s(a.textValue());
    s += b.textValue();
    return Cell::text(s);
  }
  if (a.kind() == Kind::Text && b.kind() == Kind::Empty) return a;
  return arith(Op::Add, a, b);
}
Cell subSlow(const Cell& a, const Cell& b) {
  return arith(Op::Sub, a, b);
}
Cell mulSlow(const Cell& a, const Cell& b) {
  return arith(Op::Mul, a, b);
}
Cell divSlow(const Cell& a, const Cell& b) {
  return arith(Op::Div, a, b);
}

Cell absSlow(const Cell& a) {
  switch (a.kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Integer:
      if (a.intValue() == INT32_MIN) return -static_cast<double>(INT32_MIN);
      return a.intValue() < 0 ? -a.intValue() : a.intValue();
    case Kind::Single:
      return std::fabs(a.singleValue());
    case Kind::Double:
    case Kind::Text:
      break;
  }
  return std::fabs(a.toDouble());
}

int compareSlow(const Cell& a, const Cell& b) {
  bool at = a.kind() == Kind::Text;
  bool bt = b.kind() == Kind::Text;
  if (at && bt)
    return a.textValue().compare(b.textValue()) < 0 ? -1 : a.textValue() == b.textValue() ? 0 : 1;
  if (at) return b.kind() == Kind::Empty ? (a.textValue().empty() ? 0 : 1) : 1;
  if (bt) return a.kind() == Kind::Empty ? (b.textValue().empty() ? 0 : -1) : -1;
  double x = a.toDouble();
  double y = b.toDouble();
  return (x > y) - (x < y);
}

}  // namespace detail

Cell operator-(const Cell& a) {
  switch (a.kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Integer:
      if (a.intValue() == INT32_MIN) return -static_cast<double>(INT32_MIN);
      return -a.intValue();
    case Kind::Single:
      return -a.singleValue();
    case Kind::Double:
    case Kind::Text:
      break;
  }
  return -a.toDouble();
}

Cell pow(const Cell& base, const Cell& exponent) {
  double x = base.toDouble();
  double y = exponent.toDouble();
  if (x < 0 && y != std::floor(y))
    throw RunError(
        ErrorKind::InvalidProcedureCall,
        "a negative number " + readerText(base) + " has no real power " + readerText(exponent));
  if (x == 0 && y < 0)
    throw RunError(ErrorKind::DivisionByZero, "division by zero (zero to a negative power)");
  double v = std::pow(x, y);
  if (!std::isfinite(v)) overflow();
  return v;
}

const char* errorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::TypeMismatch:
      return "Type mismatch";
    case ErrorKind::SubscriptOutOfRange:
      return "Subscript out of range";
    case ErrorKind::DivisionByZero:
      return "Division by zero";
    case ErrorKind::Overflow:
      return "Overflow";
    case ErrorKind::InvalidProcedureCall:
      return "Invalid procedure call";
  }
  return "Run-time error";
}

}  // namespace km
