// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "tables.h"

namespace km::lab {
namespace {

TEST(PlainNumber, ShortestTextThatReadsBack) {
  using limits = std::numeric_limits<double>;
  const std::vector<std::pair<double, std::string>> cases = {
      {0, "0"},
      {-0.0, "-0"},
      {2040, "2040"},
      {100000, "100000"},
      {-35, "-35"},
      {4294967295, "4294967295"},
      {1e15, "1000000000000000"},
      {9007199254740992, "9007199254740992"},
      {1e16, "1e+16"},
      {1e21, "1e+21"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {1.0 / 3, "0.3333333333333333"},
      {1.2131064633119797, "1.2131064633119797"},
      {0.0012804, "0.0012804"},
      {1e-5, "1e-05"},
      {1e-300, "1e-300"},
      {limits::denorm_min(), "5e-324"},
      {limits::max(), "1.7976931348623157e+308"},
      {-limits::max(), "-1.7976931348623157e+308"},
      {limits::quiet_NaN(), ""},
      {limits::infinity(), ""},
      {-limits::infinity(), ""},
  };
  for (const auto& [v, text] : cases)
    EXPECT_EQ(plainNumber(v), text) << v;
}

// Whatever the double, strtod of its text gives it back bit for bit.
TEST(PlainNumber, EveryTextReadsBackToItsDouble) {
  std::mt19937_64 gen(20240517);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_int_distribution<long long> whole(-10'000'000'000LL, 10'000'000'000LL);
  auto check = [](double v) {
    const std::string text = plainNumber(v);
    ASSERT_FALSE(text.empty()) << v;
    const double back = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << text;
  };
  for (int k = 0; k < 2000; ++k) {
    std::uint64_t bits = gen();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v);
    check(unit(gen) * std::pow(10.0, exponent(gen)));
    check(static_cast<double>(whole(gen)));
  }
}

}  // namespace
}  // namespace km::lab
