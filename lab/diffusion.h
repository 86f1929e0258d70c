// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <vector>

#include "observer.h"
#include "series.h"

namespace km::lab {

// Positions with the walls unfolded: each turn at a wall mirrors the box about the place where
// the turn happened, so that the unfolded path goes straight on and the box bounds nothing.
class Unfolder {
 public:
  void reset(int particles);
  void turn(int i, Axis axis, double at, double before, double after);
  double x(int i, double posX) const { return x_[i].offset + x_[i].sign * posX; }
  double y(int i, double posY) const { return y_[i].offset + y_[i].sign * posY; }

 private:
  struct Mirror {
    double offset = 0, sign = 1;
  };
  std::vector<Mirror> x_, y_;
};

// The mean-squared displacement of the unfolded positions against lag, for particle 1 alone
// (group 0) and for the particles of each species (groups 1..4), averaged over time origins
// every `originSpacing` ticks. Lags are log-spaced, so each tick costs O(N · lags / spacing).
class MeanSquaredDisplacement {
 public:
  static constexpr int groups = 5;
  static constexpr int originSpacing = 16;
  static constexpr int maxLag = 8192;

  MeanSquaredDisplacement();
  const std::vector<int>& lags() const { return lags_; }

  // groupOf[i] is the species group of particle i (1..4), for particles 1..n.
  void reset(const std::vector<int>& groupOf);
  // The unfolded positions of particles 1..n at the next tick of the window (x[0] unused).
  void add(const std::vector<double>& x, const std::vector<double>& y);
  long ticks() const { return tick_; }

  struct Fit {
    double D = notKnown;      // units² per tick, from MSD = a + 4·D·lag
    double a = notKnown;      // units²
    double error = notKnown;  // standard error from at least 10 blocks of time origins
    int fromLag = 0, toLag = 0;
    double logSlope = notKnown;  // d ln MSD / d ln lag over the fit range: 1 when diffusive
  };
  // MSD per lag of a group (NaN where no origin has reached it yet).
  std::vector<double> curve(int group) const;
  // The straight line through the lags from `fromLag` up to a tenth of the ticks measured,
  // from where the curve has turned straight.
  Fit fit(int group, int fromLag) const;
  // The straight line through lags fromLag..toLag as they are.
  Fit fitOver(int group, int fromLag, int toLag) const;

 private:
  struct Origin {
    long tick = -1;
    std::vector<double> x, y;
  };
  // Sums per origin block, lag and group; the block width doubles when there are too many.
  struct Sums {
    std::vector<double> sq;
    std::vector<double> n;
  };
  std::size_t slot(std::size_t block, std::size_t lag, int group) const;
  // fitOver on a curve already worked out.
  Fit fitCurve(int group, const std::vector<double>& msd, int fromLag, int toLag) const;
  void mergeBlocks();

  std::vector<int> lags_;
  std::vector<int> groupOf_;
  std::array<int, groups> members_{};
  std::vector<Origin> ring_;
  long tick_ = 0;
  long blockTicks_ = 256;
  std::vector<double> sq_, n_;  // [block][lag][group]
};

}  // namespace km::lab
