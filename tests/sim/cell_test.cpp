// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>

#include "cell.h"
#include "conversions.h"
#include "run_error.h"

namespace km {
namespace {

const Cell E{};
Cell T(const char* s) {
  return Cell::text(s);
}

ErrorKind errorOf(auto&& f) {
  try {
    f();
  } catch (const RunError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no run-time error";
  return ErrorKind::InvalidProcedureCall;
}

TEST(CellKinds, ResultKindsFollowTheWiderOperand) {
  struct Row {
    Cell a, b;
    Kind sum, quotient;
  } rows[] = {
      {Cell(2), Cell(3), Kind::Integer, Kind::Double},
      {Cell(2), Cell(3.0f), Kind::Single, Kind::Single},
      {Cell(2.0f), Cell(3.0f), Kind::Single, Kind::Single},
      {Cell(2.0f), Cell(3.0), Kind::Double, Kind::Double},
      {Cell(2), Cell(3.0), Kind::Double, Kind::Double},
      {E, Cell(3), Kind::Integer, Kind::Double},
      {E, Cell(3.0f), Kind::Single, Kind::Single},
      {Cell(2), T(" 3 "), Kind::Double, Kind::Double},
      {Cell(2.0f), T("3"), Kind::Double, Kind::Double},
  };
  for (const Row& r : rows) {
    EXPECT_EQ((r.a + r.b).kind(), r.sum) << Str(r.a) << " + " << Str(r.b);
    EXPECT_EQ((r.a - r.b).kind(), r.sum);
    EXPECT_EQ((r.a * r.b).kind(), r.sum);
    EXPECT_EQ((r.a / r.b).kind(), r.quotient);
    EXPECT_EQ(pow(r.a, r.b).kind(), Kind::Double);
  }
  EXPECT_EQ((E + E).kind(), Kind::Integer);
  EXPECT_EQ((E + E).intValue(), 0);
}

TEST(CellKinds, SingleResultsAreRoundedToFloat) {
  Cell sum = Cell(0.1f) + Cell(0.2f);
  EXPECT_EQ(sum.singleValue(), 0.1f + 0.2f);
  Cell product = Cell(1.0f / 3.0f) * Cell(3);
  EXPECT_EQ(product.singleValue(), static_cast<float>(double(1.0f / 3.0f) * 3));
  // A single rounded position differs from the double it came from.
  Cell placed = Cell(0.123456789f) * 1000;
  EXPECT_EQ(placed.kind(), Kind::Single);
  EXPECT_EQ(placed.singleValue(), static_cast<float>(double(0.123456789f) * 1000));
}

TEST(CellKinds, IntegerResultsWidenInsteadOfWrapping) {
  EXPECT_EQ((Cell(INT_MAX) + Cell(1)).kind(), Kind::Double);
  EXPECT_EQ((Cell(INT_MAX) + Cell(1)).doubleValue(), 2147483648.0);
  EXPECT_EQ((Cell(INT_MIN) - Cell(1)).doubleValue(), -2147483649.0);
  EXPECT_EQ((Cell(65536) * Cell(65536)).doubleValue(), 4294967296.0);
  EXPECT_EQ((-Cell(INT_MIN)).doubleValue(), 2147483648.0);
  EXPECT_EQ(abs(Cell(INT_MIN)).doubleValue(), 2147483648.0);
  EXPECT_EQ((Cell(INT_MAX) + Cell(0)).kind(), Kind::Integer);
  EXPECT_EQ((Cell(7) / Cell(2)).doubleValue(), 3.5);
}

TEST(CellText, TextOperandsAreReadAsNumbers) {
  EXPECT_EQ((T(" 12 ") * Cell(2)).doubleValue(), 24);
  EXPECT_EQ((T("1e3") - Cell(1)).doubleValue(), 999);
  EXPECT_EQ((Cell(1) + T("-.5")).doubleValue(), 0.5);
  EXPECT_EQ((T("30") * T("-30")).doubleValue(), -900);
  EXPECT_EQ(pow(T("4"), Cell(0.5)).doubleValue(), 2);
  EXPECT_EQ((T("ab") + T("cd")).textValue(), "abcd");
  EXPECT_EQ((E + T("ab")).textValue(), "ab");
  EXPECT_EQ((T("ab") + E).textValue(), "ab");
  EXPECT_EQ((-T("3")).doubleValue(), -3);
}

TEST(CellText, TextThatIsNoNumberIsATypeMismatch) {
  for (const char* bad : {"", " ", "abc", "1,5", "7 abc", "--1", ".", "1e", "1 2"}) {
    EXPECT_EQ(errorOf([&] { (void)(T(bad) * Cell(2)); }), ErrorKind::TypeMismatch) << bad;
    EXPECT_EQ(errorOf([&] { (void)(Cell(2) + T(bad)); }), ErrorKind::TypeMismatch) << bad;
  }
  EXPECT_EQ(errorOf([] { (void)(T("1e400") * Cell(1)); }), ErrorKind::Overflow);
}

TEST(CellErrors, DivisionOverflowAndPowers) {
  EXPECT_EQ(errorOf([] { (void)(Cell(1) / Cell(0)); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(errorOf([] { (void)(Cell(1.0) / Cell(0.0)); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(errorOf([] { (void)(Cell(0.0) / Cell(-0.0)); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(errorOf([] { (void)(Cell(1.0f) / E); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(errorOf([] { (void)(Cell(1e308) * Cell(10)); }), ErrorKind::Overflow);
  EXPECT_EQ(errorOf([] { (void)(Cell(1e308) + Cell(1e308)); }), ErrorKind::Overflow);
  EXPECT_EQ(errorOf([] { (void)(Cell(3e38f) * Cell(10.0f)); }), ErrorKind::Overflow);
  EXPECT_EQ(errorOf([] { (void)pow(Cell(-4), Cell(0.5)); }), ErrorKind::InvalidProcedureCall);
  EXPECT_EQ(errorOf([] { (void)pow(Cell(0), Cell(-1)); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(errorOf([] { (void)pow(Cell(10), Cell(400)); }), ErrorKind::Overflow);
  EXPECT_EQ(pow(Cell(-2), Cell(2)).doubleValue(), 4);
  // Numbers in the messages read as in a sentence: one blank, a zero before the point.
  auto messageOf = [](auto&& f) -> std::string {
    try {
      f();
    } catch (const RunError& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(messageOf([] { (void)pow(Cell(-4), Cell(0.5)); }),
            "a negative number -4 has no real power 0.5");
  EXPECT_EQ(messageOf([] { (void)Cell(1e151).toSingle(); }),
            "the value 1E+151 is too large for single precision");
  EXPECT_EQ(pow(Cell(0), Cell(0.5)).doubleValue(), 0);
}

TEST(CellCompare, NumbersRankBelowTexts) {
  struct Row {
    Cell a, b;
    int sign;
  } rows[] = {
      {Cell(5), T("1"), -1},
      {Cell(1e300), T(""), -1},
      {T("-30"), Cell(-1e300), 1},
      {Cell(2), Cell(2.0f), 0},
      {Cell(0.1f), Cell(0.1), 1},
      {E, Cell(0), 0},
      {E, Cell(-1), 1},
      {E, T(""), 0},
      {E, T("a"), -1},
      {T("abc"), T("abd"), -1},
      {T("b"), T("abc"), 1},
      {T("x"), T("x"), 0},
      {Cell(-0.0), Cell(0), 0},
  };
  for (const Row& r : rows) {
    int c = compare(r.a, r.b);
    EXPECT_EQ((c > 0) - (c < 0), r.sign) << Str(r.a);
    EXPECT_EQ(-((compare(r.b, r.a) > 0) - (compare(r.b, r.a) < 0)), r.sign);
  }
}

TEST(CellIndex, RoundsHalvesToEven) {
  struct Row {
    Cell v;
    int index;
  } rows[] = {
      {Cell(0.5), 0},    {Cell(1.5), 2},    {Cell(2.5), 2},  {Cell(3.5), 4},  {Cell(-0.5), 0},
      {Cell(2.4999), 2}, {Cell(2.5001), 3}, {Cell(2.5f), 2}, {T(" 2.5 "), 2}, {E, 0},
      {Cell(7), 7},      {Cell(-1.5), -2},
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.v.toIndex(), r.index) << Str(r.v);
  EXPECT_EQ(errorOf([] { (void)Cell(1e10).toIndex(); }), ErrorKind::Overflow);
  EXPECT_EQ(errorOf([] { (void)T("x").toIndex(); }), ErrorKind::TypeMismatch);
  EXPECT_EQ(errorOf([] { (void)Cell(1e39).toSingle(); }), ErrorKind::Overflow);
}

TEST(CellCopies, TextsAreSharedAndOutliveTheirSource) {
  Cell a = T("4");
  Cell b = a;
  Cell c;
  c = b;
  a = Cell(1);
  Cell& alias = b;
  b = alias;  // self-assignment keeps the text alive
  EXPECT_EQ(b.textValue(), "4");
  EXPECT_EQ(c.textValue(), "4");
  EXPECT_EQ((c * Cell(2)).doubleValue(), 8);
}

}  // namespace
}  // namespace km
