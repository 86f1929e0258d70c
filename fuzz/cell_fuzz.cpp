// SPDX-License-Identifier: GPL-3.0-or-later
// Cell operations on fuzzed operands against a model of the cell rules written out here: each
// operation either gives the kind and value the rules give, or raises a RunError of the kind
// the rules name. Any other exception, a crash or undefined behaviour is a fault.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "cell.h"
#include "conversions.h"
#include "run_error.h"

namespace {

using km::Cell;
using km::Kind;

// The input, consumed from the front.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  bool byte(std::uint8_t& out) { return take(out); }
  template <typename T>
  bool take(T& out) {
    if (n_ < sizeof(T)) return false;
    std::memcpy(&out, p_, sizeof(T));
    p_ += sizeof(T), n_ -= sizeof(T);
    return true;
  }
  std::string slice(std::size_t n) {
    n = n < n_ ? n : n_;
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n, n_ -= n;
    return s;
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

// An operand: the cell and the plain value it was built from.
struct Operand {
  Kind kind = Kind::Empty;
  std::int32_t i = 0;
  float f = 0;
  double d = 0;
  std::string text;
  Cell cell;
};

bool readOperand(Bytes& in, Operand& a) {
  std::uint8_t k;
  if (!in.byte(k)) return false;
  a.kind = static_cast<Kind>(k % 5);
  switch (a.kind) {
    case Kind::Empty:
      return true;
    case Kind::Integer:
      if (!in.take(a.i)) return false;
      a.cell = Cell(a.i);
      return true;
    case Kind::Single:
      if (!in.take(a.f) || !std::isfinite(a.f)) return false;
      a.cell = Cell(a.f);
      return true;
    case Kind::Double:
      if (!in.take(a.d) || !std::isfinite(a.d)) return false;
      a.cell = Cell(a.d);
      return true;
    case Kind::Text: {
      std::uint8_t n;
      if (!in.byte(n)) return false;
      a.text = in.slice(n % 17);
      a.cell = Cell::text(a.text);
      return true;
    }
  }
  return false;
}

std::string describe(const Operand& a) {
  char buf[64];
  switch (a.kind) {
    case Kind::Empty:
      return "Empty";
    case Kind::Integer:
      std::snprintf(buf, sizeof buf, "Integer %d", a.i);
      return buf;
    case Kind::Single:
      std::snprintf(buf, sizeof buf, "Single %a", static_cast<double>(a.f));
      return buf;
    case Kind::Double:
      std::snprintf(buf, sizeof buf, "Double %a", a.d);
      return buf;
    case Kind::Text:
      break;
  }
  return "Text \"" + a.text + "\"";
}

// What an operation should give: a value of a kind, or a RunError of one of the kinds in
// `errors` (a bit per ErrorKind).
struct Expected {
  unsigned errors = 0;
  Kind kind = Kind::Empty;
  double number = 0;  // Integer, Single (exactly the float) and Double results
  std::string text;   // Text results
};

unsigned bit(km::ErrorKind k) {
  return 1u << static_cast<int>(k);
}
Expected error(km::ErrorKind k) {
  return {bit(k), Kind::Empty, 0, {}};
}
Expected integer(std::int64_t v) {
  return {0, Kind::Integer, static_cast<double>(v), {}};
}
Expected single(float v) {
  return {0, Kind::Single, v, {}};
}
Expected dbl(double v) {
  return {0, Kind::Double, v, {}};
}
Expected text(std::string s) {
  return {0, Kind::Text, 0, std::move(s)};
}

// The number an operand stands for: Empty is 0; a text must read as one number (else a type
// mismatch) within the double range (else an overflow).
struct Number {
  unsigned errors;  // 0 when read
  double value;
};
Number number(const Operand& a) {
  switch (a.kind) {
    case Kind::Empty:
      return {0, 0};
    case Kind::Integer:
      return {0, static_cast<double>(a.i)};
    case Kind::Single:
      return {0, a.f};
    case Kind::Double:
      return {0, a.d};
    case Kind::Text:
      break;
  }
  const km::NumericText t = km::readNumericText(a.text);
  switch (t.status) {
    case km::NumericText::Ok:
      return {0, t.value};
    case km::NumericText::TooLarge:
      return {bit(km::ErrorKind::Overflow), 0};
    case km::NumericText::NotANumber:
      break;
  }
  return {bit(km::ErrorKind::TypeMismatch), 0};
}

// Both operands are read before the operation. When both fail, either error may come first:
// the inline operators read the two in one unsequenced expression.
bool readFails(const Number& x, const Number& y, Expected& out) {
  out = Expected{x.errors | y.errors, Kind::Empty, 0, {}};
  return out.errors != 0;
}

// Integer < Single < Double; Empty counts as an integer, a text as a double.
int rank(Kind k) {
  return k == Kind::Single ? 1 : (k == Kind::Double || k == Kind::Text) ? 2 : 0;
}

enum class Op { Add, Sub, Mul, Div, Pow, Neg, Abs, Compare, Int, Str, ToIndex, ToSingle, Assign };
constexpr int opCount = 13;
const char* opNames[opCount] = {"+",       "-",   "*",   "/",       "^",        "unary -", "abs",
                                "compare", "Int", "Str", "toIndex", "toSingle", "assign"};

Expected arithmetic(Op op, const Operand& a, const Operand& b) {
  if (op == Op::Add) {
    // Text + Text joins; Empty + Text and Text + Empty give the text.
    if (a.kind == Kind::Text && b.kind == Kind::Text) return text(a.text + b.text);
    if (a.kind == Kind::Empty && b.kind == Kind::Text) return text(b.text);
    if (a.kind == Kind::Text && b.kind == Kind::Empty) return text(a.text);
  }
  const Number x = number(a), y = number(b);
  Expected failed;
  if (readFails(x, y, failed)) return failed;
  const int r = std::max(rank(a.kind), rank(b.kind));
  if (r == 0 && op != Op::Div) {
    // Exact in 64 bits; a result outside the 32-bit range becomes a Double.
    const std::int64_t p = a.i, q = b.i;
    const std::int64_t v = op == Op::Add ? p + q : op == Op::Sub ? p - q : p * q;
    if (v >= INT32_MIN && v <= INT32_MAX) return integer(v);
    return dbl(static_cast<double>(v));
  }
  if (op == Op::Div && y.value == 0) return error(km::ErrorKind::DivisionByZero);
  const double v = op == Op::Add   ? x.value + y.value
                   : op == Op::Sub ? x.value - y.value
                   : op == Op::Mul ? x.value * y.value
                                   : x.value / y.value;
  if (r == 1) {
    // Worked out in double, rounded to single; beyond the single range is an overflow.
    const float s = static_cast<float>(v);
    return std::isfinite(s) ? single(s) : error(km::ErrorKind::Overflow);
  }
  // Two integers (or Empty) divide to a Double, like everything of rank 2.
  return std::isfinite(v) ? dbl(v) : error(km::ErrorKind::Overflow);
}

Expected power(const Operand& a, const Operand& b) {
  const Number x = number(a), y = number(b);
  Expected failed;
  if (readFails(x, y, failed)) return failed;
  if (x.value < 0 && y.value != std::floor(y.value))
    return error(km::ErrorKind::InvalidProcedureCall);  // no real power
  if (x.value == 0 && y.value < 0) return error(km::ErrorKind::DivisionByZero);
  const double v = std::pow(x.value, y.value);
  return std::isfinite(v) ? dbl(v) : error(km::ErrorKind::Overflow);
}

// Unary minus and abs keep the kind; -INT32_MIN and abs(INT32_MIN) leave the Integer range.
Expected unary(Op op, const Operand& a) {
  switch (a.kind) {
    case Kind::Empty:
      return integer(0);
    case Kind::Integer: {
      const std::int64_t v = op == Op::Neg ? -std::int64_t{a.i} : std::llabs(a.i);
      return v <= INT32_MAX ? integer(v) : dbl(static_cast<double>(v));
    }
    case Kind::Single:
      return single(op == Op::Neg ? -a.f : std::fabs(a.f));
    case Kind::Double:
    case Kind::Text:
      break;
  }
  const Number x = number(a);
  if (x.errors) return {x.errors, Kind::Empty, 0, {}};
  return dbl(op == Op::Neg ? -x.value : std::fabs(x.value));
}

// Texts compare by their bytes, unsigned.
int compareBytes(const std::string& s, const std::string& t) {
  for (std::size_t k = 0; k < s.size() && k < t.size(); ++k) {
    const auto c = static_cast<unsigned char>(s[k]), d = static_cast<unsigned char>(t[k]);
    if (c != d) return c < d ? -1 : 1;
  }
  return s.size() < t.size() ? -1 : s.size() > t.size() ? 1 : 0;
}

// Numbers by value, any number below any text, texts by bytes; Empty is 0 against a number
// and "" against a text. Never an error.
int expectedCompare(const Operand& a, const Operand& b) {
  const bool at = a.kind == Kind::Text, bt = b.kind == Kind::Text;
  if (at && bt) return compareBytes(a.text, b.text);
  if (at) return b.kind == Kind::Empty ? compareBytes(a.text, "") : 1;
  if (bt) return a.kind == Kind::Empty ? compareBytes("", b.text) : -1;
  const double x = number(a).value, y = number(b).value;
  return (x > y) - (x < y);
}

// The next whole number downward, of the same kind.
Expected expectedInt(const Operand& a) {
  switch (a.kind) {
    case Kind::Empty:
      return integer(0);
    case Kind::Integer:
      return integer(a.i);
    case Kind::Single:
      return single(std::floor(a.f));
    case Kind::Double:
    case Kind::Text:
      break;
  }
  const Number x = number(a);
  if (x.errors) return {x.errors, Kind::Empty, 0, {}};
  return dbl(std::floor(x.value));
}

// The nearest whole number, halves to even, as an Integer; outside the 32-bit range is an
// overflow.
Expected expectedIndex(const Operand& a) {
  const Number x = number(a);
  if (x.errors) return {x.errors, Kind::Empty, 0, {}};
  const double r = std::nearbyint(x.value);
  if (!(r >= INT32_MIN && r <= INT32_MAX)) return error(km::ErrorKind::Overflow);
  return integer(static_cast<std::int64_t>(r));
}

// The value as a Single; beyond the single range is an overflow.
Expected expectedSingle(const Operand& a) {
  const Number x = number(a);
  if (x.errors) return {x.errors, Kind::Empty, 0, {}};
  if (std::fabs(x.value) > FLT_MAX) return error(km::ErrorKind::Overflow);
  return single(static_cast<float>(x.value));
}

[[noreturn]] void fail(const std::string& what, Op op, const Operand& a, const Operand* b) {
  std::fprintf(stderr, "cell_fuzz: %s for %s %s%s%s\n", what.c_str(), opNames[static_cast<int>(op)],
               describe(a).c_str(), b ? ", " : "", b ? describe(*b).c_str() : "");
  std::abort();
}

std::string describe(const Expected& e) {
  if (e.errors) {
    std::string kinds = "a RunError (";
    for (int k = 0; k <= static_cast<int>(km::ErrorKind::InvalidProcedureCall); ++k)
      if (e.errors & (1u << k))
        kinds += std::string(kinds.back() == '(' ? "" : " or ") +
                 km::errorKindName(static_cast<km::ErrorKind>(k));
    return kinds + ")";
  }
  char buf[64];
  switch (e.kind) {
    case Kind::Integer:
      std::snprintf(buf, sizeof buf, "Integer %.0f", e.number);
      return buf;
    case Kind::Single:
      std::snprintf(buf, sizeof buf, "Single %a", e.number);
      return buf;
    case Kind::Double:
      std::snprintf(buf, sizeof buf, "Double %a", e.number);
      return buf;
    case Kind::Text:
      return "Text \"" + e.text + "\"";
    case Kind::Empty:
      break;
  }
  return "Empty";
}

std::string describe(const Cell& c) {
  Operand o;
  o.kind = c.kind();
  o.i = c.kind() == Kind::Integer ? c.intValue() : 0;
  o.f = c.kind() == Kind::Single ? c.singleValue() : 0;
  o.d = c.kind() == Kind::Double ? c.doubleValue() : 0;
  o.text = std::string(c.textValue());
  return describe(o);
}

// Numbers compare by value (a zero's sign is not part of the rules).
bool matches(const Cell& c, const Expected& e) {
  if (c.kind() != e.kind) return false;
  switch (c.kind()) {
    case Kind::Empty:
      return true;
    case Kind::Integer:
      return c.intValue() == e.number;
    case Kind::Single:
      return std::isfinite(c.singleValue()) && c.singleValue() == e.number;
    case Kind::Double:
      return std::isfinite(c.doubleValue()) && c.doubleValue() == e.number;
    case Kind::Text:
      return c.textValue() == e.text;
  }
  return false;
}

// Runs `f`, which gives a Cell, and holds it to `e`.
template <typename F>
void expectCell(F f, const Expected& e, Op op, const Operand& a, const Operand* b) {
  std::optional<Cell> got;
  try {
    got = f();
  } catch (const km::RunError& err) {
    if (!(e.errors & bit(err.kind())) || std::string_view(err.what()).empty())
      fail(std::string(km::errorKindName(err.kind())) + " \"" + err.what() + "\", want " +
               describe(e),
           op, a, b);
    return;
  }
  if (e.errors || !matches(*got, e))
    fail("got " + describe(*got) + ", want " + describe(e), op, a, b);
}

void run(Op op, const Operand& a, const Operand& b) {
  const Cell& x = a.cell;
  const Cell& y = b.cell;
  switch (op) {
    case Op::Add:
      return expectCell([&] { return x + y; }, arithmetic(op, a, b), op, a, &b);
    case Op::Sub:
      return expectCell([&] { return x - y; }, arithmetic(op, a, b), op, a, &b);
    case Op::Mul:
      return expectCell([&] { return x * y; }, arithmetic(op, a, b), op, a, &b);
    case Op::Div:
      return expectCell([&] { return x / y; }, arithmetic(op, a, b), op, a, &b);
    case Op::Pow:
      return expectCell([&] { return km::pow(x, y); }, power(a, b), op, a, &b);
    case Op::Neg:
      return expectCell([&] { return -x; }, unary(op, a), op, a, nullptr);
    case Op::Abs:
      return expectCell([&] { return km::abs(x); }, unary(op, a), op, a, nullptr);
    case Op::Int:
      return expectCell([&] { return km::Int(x); }, expectedInt(a), op, a, nullptr);
    case Op::Compare: {
      const int want = expectedCompare(a, b);
      const int got = km::compare(x, y);
      const bool consistent = (x < y) == (want < 0) && (x > y) == (want > 0) &&
                              (x <= y) == (want <= 0) && (x >= y) == (want >= 0) &&
                              (x == y) == (want == 0) && km::compare(y, x) == -want;
      if (got != want || !consistent)
        fail("compare gave " + std::to_string(got) + ", want " + std::to_string(want), op, a, &b);
      return;
    }
    case Op::Str: {
      // A number is always written; a text must read as a number first.
      const Number v = number(a);
      std::string s;
      try {
        s = km::Str(x);
      } catch (const km::RunError& err) {
        if (!(v.errors & bit(err.kind())))
          fail(std::string("RunError \"") + err.what() + "\" from Str", op, a, nullptr);
        return;
      }
      if (v.errors) fail("Str gave \"" + s + "\", want a RunError", op, a, nullptr);
      // A sign place first: "-" exactly for a negative number.
      if (s.size() < 2 || s[0] != (v.value < 0 ? '-' : ' '))
        fail("Str gave \"" + s + "\"", op, a, nullptr);
      if (a.kind == Kind::Integer && km::Val(s) != a.i)
        fail("Str gave \"" + s + "\" for an Integer", op, a, nullptr);
      return;
    }
    case Op::ToIndex:
      return expectCell([&] { return Cell(x.toIndex()); }, expectedIndex(a), op, a, nullptr);
    case Op::ToSingle:
      return expectCell([&] { return Cell(x.toSingle()); }, expectedSingle(a), op, a, nullptr);
    case Op::Assign: {
      // Copies share a text: assigning over, onto itself and destroying must keep it alive
      // exactly as long as a cell refers to it (ASan reports a use after free or a leak).
      Cell c = x;
      Cell d;
      d = c;
      c = y;
      const Cell& self = c;
      c = self;
      if (c.kind() != b.kind || d.kind() != a.kind || c.textValue() != b.text ||
          d.textValue() != a.text)
        fail("a copy changed its value", op, a, &b);
      return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  std::uint8_t opByte;
  Operand a, b;
  if (!in.byte(opByte) || !readOperand(in, a) || !readOperand(in, b)) return 0;
  const auto op = static_cast<Op>(opByte % opCount);
  try {
    run(op, a, b);
  } catch (const std::exception& e) {
    fail(std::string("unexpected exception: ") + e.what(), op, a, &b);
  } catch (...) {
    fail("unexpected exception", op, a, &b);
  }
  return 0;
}
