// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep_job.h"

#include <algorithm>
#include <exception>

namespace km {

SweepJob::SweepJob(const lab::SweepSettings& settings) : settings_(settings) {
  for (std::size_t p = 0; p < settings_.etas.size(); ++p)
    for (std::uint32_t seed : settings_.seeds)
      jobs_.push_back({p, seed});
  // The densest first, as lab::runSweep orders them.
  std::stable_sort(jobs_.begin(), jobs_.end(), [&](const Job& a, const Job& b) {
    return settings_.etas[a.point] > settings_.etas[b.point];
  });
  perRun_ = settings_.warmup + settings_.ticks;
  results_.resize(settings_.etas.size());
  problems_.resize(settings_.etas.size());
}

bool SweepJob::runNext(const std::function<void(long done)>& progress) {
  if (next_ >= jobs_.size()) return false;
  const Job job = jobs_[next_];
  const long before = perRun_ * static_cast<long>(next_);
  lab::Control control;
  if (progress)
    control.progress = [&](long t, long) {
      if (t % 500 == 0 || t == perRun_) progress(before + t);
    };
  try {
    const lab::Outcome outcome =
        lab::runGas(lab::sweepSetup(settings_, settings_.etas[job.point], job.seed), control);
    results_[job.point].push_back(outcome.results);
  } catch (const std::exception& e) {
    problems_[job.point].emplace_back(job.seed, e.what());
  }
  ++next_;
  return true;
}

std::vector<lab::SweepRow> SweepJob::rows() const {
  std::vector<lab::SweepRow> rows;
  for (std::size_t p = 0; p < settings_.etas.size(); ++p) {
    // Only the points with a run finished (or refused): a sweep part-way shows what it has.
    if (results_[p].empty() && problems_[p].empty()) continue;
    // Seeds in the order asked.
    std::vector<lab::Results> runs = results_[p];
    std::sort(runs.begin(), runs.end(), [](const lab::Results& a, const lab::Results& b) {
      return a.seed.seed < b.seed.seed;
    });
    lab::SweepRow row =
        lab::sweepRow(settings_.etas[p], lab::radiusFor(settings_.discs, settings_.etas[p]), runs);
    lab::noteRefused(row, problems_[p]);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace km
