// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "conversions.h"
#include "random_source.h"
#include "run_error.h"

namespace km {
namespace {

TEST(StrTable, NumbersToText) {
  struct Row {
    Cell v;
    const char* text;
  } rows[] = {
      {Cell(0), " 0"},
      {Cell(1), " 1"},
      {Cell(-1), "-1"},
      {Cell(12), " 12"},
      {Cell(INT32_MIN), "-2147483648"},
      {Cell(0.5), " .5"},
      {Cell(-0.5), "-.5"},
      {Cell(0.0), " 0"},
      {Cell(-0.0), " 0"},
      {Cell(12.0), " 12"},
      {Cell(1.0 / 3), " .333333333333333"},
      {Cell(2.0 / 3), " .666666666666667"},
      {Cell(1.0f / 3), " .3333333"},
      {Cell(0.1f), " .1"},
      {Cell(16777216.0f), " 1.677722E+07"},
      {Cell(9999999.0f), " 9999999"},
      {Cell(123456789012345.0), " 123456789012345"},
      {Cell(1e15), " 1E+15"},
      {Cell(1.5e20), " 1.5E+20"},
      {Cell(1e100), " 1E+100"},
      {Cell(-2.5e-7), "-2.5E-07"},
      {Cell(0.0001), " .0001"},
      {Cell(0.00001), " 1E-05"},
      {Cell(100.25), " 100.25"},
      {Cell(DBL_MAX), " 1.79769313486232E+308"},
      {Cell(), " 0"},
      {Cell::text("12"), " 12"},
      {Cell::text(" 2.5e1 "), " 25"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Str(r.v), r.text);
  EXPECT_EQ(Str(Cell(HUGE_VAL)), " Infinity");
  EXPECT_EQ(Str(Cell(-HUGE_VAL)), "-Infinity");
  EXPECT_EQ(Str(Cell(std::nan(""))), " NaN");
  EXPECT_THROW(Str(Cell::text("abc")), RunError);
  EXPECT_THROW(Str(Cell::text("")), RunError);
}

TEST(ReaderText, NumbersInMessages) {
  struct Row {
    Cell v;
    const char* text;
  } rows[] = {
      {Cell(0.5), "0.5"},        {Cell(-0.5), "-0.5"},           {Cell(0.1), "0.1"},
      {Cell(12), "12"},          {Cell(-999), "-999"},           {Cell(1000), "1,000"},
      {Cell(1e6), "1,000,000"},  {Cell(-1e9), "-1,000,000,000"}, {Cell(12345.25), "12,345.25"},
      {Cell(1e151), "1E+151"},   {Cell(-2.5e-7), "-2.5E-07"},    {Cell(HUGE_VAL), "Infinity"},
      {Cell::text(" 24"), "24"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(readerText(r.v), r.text);
}

TEST(ValTable, LeadingNumberOfAText) {
  struct Row {
    const char* text;
    double v;
  } rows[] = {
      {"7 abc", 7},  {"", 0},         {"abc", 0},      {" 1 2 3", 123}, {"-.5", -0.5},
      {" .5", 0.5},  {"1e3", 1000},   {"1E+3x", 1000}, {"1e", 1},       {"1e+", 1},
      {"1e-", 1},    {"1.5.5", 1.5},  {"+5", 5},       {"--5", 0},      {"1D2", 100},
      {"\t\n 4", 4}, {"- 5", -5},     {"1e-400", 0},   {"&H10", 0},     {".", 0},
      {"-", 0},      {"12abc34", 12}, {"0.1", 0.1},    {" 32", 32},     {"1 e 2", 100},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Val(r.text), r.v) << '"' << r.text << '"';
  EXPECT_EQ(Val("1e400"), DBL_MAX);
  EXPECT_EQ(Val("-1e999"), -DBL_MAX);
  EXPECT_TRUE(std::signbit(Val("-0")));
  EXPECT_EQ(Val(std::string(10000, '9')), DBL_MAX);
}

TEST(NumericTextTable, WholeTextMustBeOneNumber) {
  struct Row {
    const char* text;
    NumericText::Status status;
    double v;
  } rows[] = {
      {" 12 ", NumericText::Ok, 12},       {"12a", NumericText::NotANumber, 0},
      {"", NumericText::NotANumber, 0},    {" ", NumericText::NotANumber, 0},
      {".", NumericText::NotANumber, 0},   {"1.", NumericText::Ok, 1},
      {".5", NumericText::Ok, .5},         {"+.5e-1", NumericText::Ok, .05},
      {"1e", NumericText::NotANumber, 0},  {"1e400", NumericText::TooLarge, 0},
      {"- 5", NumericText::NotANumber, 0}, {"\t-24\t", NumericText::Ok, -24},
      {"2d3", NumericText::Ok, 2000},      {"1e-400", NumericText::Ok, 0},
      {"nan", NumericText::NotANumber, 0}, {"inf", NumericText::NotANumber, 0},
  };
  for (const Row& r : rows) {
    NumericText n = readNumericText(r.text);
    EXPECT_EQ(n.status, r.status) << '"' << r.text << '"';
    if (r.status == NumericText::Ok) {
      EXPECT_EQ(n.value, r.v) << r.text;
    }
  }
}

TEST(IntTable, FloorKeepingTheKind) {
  struct Row {
    Cell v;
    Kind kind;
    double floor;
  } rows[] = {
      {Cell(2.7), Kind::Double, 2},   {Cell(-2.5), Kind::Double, -3},
      {Cell(-0.5), Kind::Double, -1}, {Cell(2.5f), Kind::Single, 2},
      {Cell(3), Kind::Integer, 3},    {Cell::text("3.7"), Kind::Double, 3},
      {Cell(), Kind::Integer, 0},     {Cell(1e300), Kind::Double, 1e300},
  };
  for (const Row& r : rows) {
    Cell i = Int(r.v);
    EXPECT_EQ(i.kind(), r.kind);
    EXPECT_EQ(i.toDouble(), r.floor);
  }
}

TEST(ReadoutText, PlainDigitsOfInt) {
  struct Row {
    Cell v;
    const char* text;
  } rows[] = {
      {Cell(0.0), "0"},
      {Cell(-0.0), "0"},
      {Cell(12.9), "12"},
      {Cell(-12.1), "-13"},
      {Cell(4.0), "4"},
      {Cell(0.99), "0"},
      {Cell(999999999999999.9), "999999999999999"},
      {Cell(-1e14), "-100000000000000"},
      {Cell(1e15), "1e+15"},
      {Cell(7), "7"},
      {Cell(), "0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(readoutText(r.v), r.text);
}

TEST(TimeOfDay, TwoDigitsEachOnTheTwentyFourHourClock) {
  EXPECT_EQ(timeOfDayText(0), "00:00:00");
  EXPECT_EQ(timeOfDayText(45296.9), "12:34:56");
  EXPECT_EQ(timeOfDayText(86399.99), "23:59:59");
  EXPECT_EQ(timeOfDayText(3600 * 9 + 5), "09:00:05");
}

TEST(RoundTrip, StrThenValGivesTheNumberBack) {
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int n = 0; n < 20000; ++n) {
    double x = mantissa(gen) * std::pow(10.0, exponent(gen));
    double back = Val(Str(Cell(x)));
    EXPECT_NEAR(back, x, std::fabs(x) * 6e-15) << Str(Cell(x));
    // Fifteen digits are what Str keeps, so a fifteen-digit number comes back exactly.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    double d15 = std::strtod(buf, nullptr);
    EXPECT_EQ(Val(Str(Cell(d15))), d15) << buf;
  }
  for (int k : {0, 1, -1, 42, 500, 2147483647, -2147483647})
    EXPECT_EQ(Val(Str(Cell(k))), k);
  std::uniform_real_distribution<float> f(-1000, 1000);
  for (int n = 0; n < 2000; ++n) {
    float x = f(gen);
    EXPECT_NEAR(Val(Str(Cell(x))), x, std::fabs(x) * 6e-7);
  }
}

TEST(Generator, UniformSinglesBelowOne) {
  EXPECT_LT(SeededGenerator::toUnit(0xFFFFFFFFu), 1.0f);
  EXPECT_EQ(SeededGenerator::toUnit(0), 0.0f);
  SeededGenerator a(1), b(1), c(2);
  a.seed(45296.75f);
  b.seed(45296.75f);
  c.seed(45296.80f);
  bool differs = false;
  for (int n = 0; n < 100000; ++n) {
    float x = a.next();
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 1.0f);
    ASSERT_EQ(x * 0x1p24f, std::floor(x * 0x1p24f));
    ASSERT_EQ(x, b.next());
    differs = differs || x != c.next();
  }
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace km
