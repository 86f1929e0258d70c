// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace km {

// Where a run's random numbers begin: the generator's seed and how many numbers had been drawn
// from it before the run was placed. The two place the same gas again.
struct RunSeed {
  std::uint32_t seed = 0;
  std::uint64_t draws = 0;
  bool operator==(const RunSeed&) const = default;
};

// Uniform single-precision numbers in [0, 1), drawn one at a time in a fixed order.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void seed(float secondsSinceMidnight) = 0;
  virtual float next() = 0;
};

// The program's generator: a Mersenne Twister whose top 24 bits make each number, so every
// value is k / 2^24 with k < 2^24 and 1.0 cannot come out (as it can from
// std::generate_canonical<float>).
class SeededGenerator : public RandomSource {
 public:
  explicit SeededGenerator(std::uint32_t seed = 5489u) : engine_(seed), seed_(seed) {}
  void seed(float secondsSinceMidnight) override;
  float next() override {
    ++draws_;
    return toUnit(engine_());
  }
  // The seed and the numbers drawn from it so far: where the next number comes from.
  RunSeed position() const { return {seed_, draws_}; }
  // Starts afresh from `at`: seeded with its seed, its draws drawn and dropped.
  void restart(RunSeed at);
  // k / 2^24 from the top 24 bits of a raw draw: exact in a float and always below 1.
  static float toUnit(std::uint32_t raw) { return static_cast<float>(raw >> 8) * 0x1p-24f; }

 private:
  std::mt19937 engine_;
  std::uint32_t seed_;
  std::uint64_t draws_ = 0;
};

}  // namespace km
