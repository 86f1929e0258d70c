// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sweep.h"

namespace km {

// A sweep run one run at a time, for a worker that has one thread: the same runs in the same
// order as lab::runSweep, and after each the rows of the runs that finished, so that a sweep
// stopped part-way keeps them.
class SweepJob {
 public:
  explicit SweepJob(const lab::SweepSettings& settings);
  // Ticks over all runs.
  long total() const { return perRun_ * static_cast<long>(jobs_.size()); }
  // Runs the next run, telling `progress` the ticks done over all runs now and then; false
  // when none was left.
  bool runNext(const std::function<void(long done)>& progress = {});
  // A row for each packing fraction with a run finished so far.
  std::vector<lab::SweepRow> rows() const;

 private:
  struct Job {
    std::size_t point;
    std::uint32_t seed;
  };
  lab::SweepSettings settings_;
  std::vector<Job> jobs_;
  std::size_t next_ = 0;
  long perRun_ = 0;
  std::vector<std::vector<lab::Results>> results_;
  std::vector<std::vector<std::pair<std::uint32_t, std::string>>> problems_;  // per point
};

}  // namespace km
