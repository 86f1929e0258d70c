// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <numbers>
#include <system_error>
#include <thread>

#include "run_error.h"
#include "tables.h"
#include "theory.h"

namespace km::lab {
namespace {

// Mean of the values and the error of the mean of independent estimates.
Estimate combine(const std::vector<Estimate>& e) {
  if (e.empty()) return {};
  if (e.size() == 1) return e.front();
  Estimate out{0, 0, notKnown, 0};
  for (const Estimate& x : e) {
    out.value += x.value;
    out.error += x.error * x.error;
    out.blocks += x.blocks;
  }
  const double k = static_cast<double>(e.size());
  out.value /= k;
  out.error = std::sqrt(out.error) / k;
  return out;
}

double mean(const std::vector<double>& v) {
  if (v.empty()) return notKnown;
  double s = 0;
  for (double x : v)
    s += x;
  return s / static_cast<double>(v.size());
}

}  // namespace

std::string radiusFor(int discs, double eta) {
  // σ/L = a, L = 1000 − σ: σ = 1000·a / (1 + a).
  const double a = std::sqrt(4 * eta / (discs * std::numbers::pi));
  return plainNumber(1000 * a / (1 + a) / 2);
}

GasSetup sweepSetup(const SweepSettings& s, double eta, std::uint32_t seed) {
  GasSetup g;
  g.rows = {{std::to_string(s.discs), "0", "0", "0"}, {"1", "1", "1", "1"}};
  g.radius = radiusFor(s.discs, eta);
  g.proximity = plainNumber(2 * std::stod(g.radius));
  g.velocityRange = s.velocityRange;
  g.rule = s.rule;
  g.seed = seed;
  g.warmup = s.warmup;
  g.ticks = s.ticks;
  return g;
}

void noteRefused(SweepRow& row, std::vector<std::pair<std::uint32_t, std::string>> refusals) {
  std::sort(refusals.begin(), refusals.end());
  row.refused.clear();
  row.problem.clear();
  for (const auto& [seed, why] : refusals) {
    row.refused.push_back(seed);
    row.problem += (row.problem.empty() ? "" : "; ") + std::string("seed ") + std::to_string(seed) +
                   " refused: " + why;
  }
}

SweepRow runRow(const Results& r) {
  SweepRow row;
  row.runs = 1;
  row.seeds = {r.seed.seed};
  row.etaMeasured = r.eta;
  row.zHenderson = r.zHenderson;
  row.zBulk = r.zBulk;
  row.zWalled = r.zWalled;
  row.z = r.Z;
  row.zInterior = r.zInterior;
  row.etaInterior = r.etaInterior;
  row.zBulkInterior = theory::bulkZ(r.etaInterior.value);
  const double discs = r.particles > 0 ? r.particles : notKnown;
  row.collisionRate = {r.exchanges.value / discs, r.exchanges.error / discs,
                       r.exchanges.correlationTicks, r.exchanges.blocks};
  row.enskogRate = r.enskogCollisions / discs;
  if (!r.species.empty()) {
    row.discsMoved = true;
    row.diffusion = {r.species[0].diffusion.D, r.species[0].diffusion.error, notKnown, 0};
    row.enskogD = r.species[0].enskogD;
  }
  return row;
}

SweepRow sweepRow(double eta, const std::string& radius, const std::vector<SweepRow>& runs) {
  SweepRow row;
  row.eta = eta;
  row.radius = radius;
  row.runs = static_cast<int>(runs.size());
  if (runs.empty()) return row;
  std::vector<Estimate> z, zi, ei, rate, d;
  std::vector<double> enskogRate, enskogD;
  for (const SweepRow& r : runs) {
    row.seeds.insert(row.seeds.end(), r.seeds.begin(), r.seeds.end());
    z.push_back(r.z);
    zi.push_back(r.zInterior);
    ei.push_back(r.etaInterior);
    rate.push_back(r.collisionRate);
    enskogRate.push_back(r.enskogRate);
    if (r.discsMoved) {
      d.push_back(r.diffusion);
      enskogD.push_back(r.enskogD);
    }
  }
  const SweepRow& first = runs.front();
  row.etaMeasured = first.etaMeasured;
  row.zHenderson = first.zHenderson;
  row.zBulk = first.zBulk;
  row.zWalled = first.zWalled;
  row.z = combine(z);
  row.zInterior = combine(zi);
  row.etaInterior = combine(ei);
  row.zBulkInterior = theory::bulkZ(row.etaInterior.value);
  row.collisionRate = combine(rate);
  row.enskogRate = mean(enskogRate);
  row.diffusion = combine(d);
  row.enskogD = mean(enskogD);
  return row;
}

SweepRow sweepRow(double eta, const std::string& radius, const std::vector<Results>& runs) {
  std::vector<SweepRow> rows;
  for (const Results& r : runs)
    rows.push_back(runRow(r));
  return sweepRow(eta, radius, rows);
}

std::vector<SweepRow> runSweep(const SweepSettings& settings, const Control& control) {
  struct Job {
    std::size_t point;
    std::uint32_t seed;
  };
  std::vector<Job> jobs;
  for (std::size_t p = 0; p < settings.etas.size(); ++p)
    for (std::uint32_t seed : settings.seeds)
      jobs.push_back({p, seed});
  // Denser gases take longer a tick: started first, they leave the short runs to fill the
  // threads' last minutes rather than one long run alone at the end.
  std::stable_sort(jobs.begin(), jobs.end(), [&](const Job& a, const Job& b) {
    return settings.etas[a.point] > settings.etas[b.point];
  });
  const long perRun = settings.warmup + settings.ticks;
  const long total = perRun * static_cast<long>(jobs.size());

  std::vector<std::vector<Results>> results(settings.etas.size());
  std::vector<std::vector<std::pair<std::uint32_t, std::string>>> problems(settings.etas.size());
  std::atomic<std::size_t> next{0};
  std::atomic<long> done{0};
  std::mutex lock;  // guards results, problems and the progress calls
  auto work = [&] {
    for (std::size_t k = next++; k < jobs.size(); k = next++) {
      const Job& job = jobs[k];
      Control one;
      one.stop = control.stop;
      long reported = 0;
      one.progress = [&](long t, long) {
        // Every hundred ticks, and at the end, so that threads seldom wait on the lock.
        if (t % 100 != 0 && t != perRun) return;
        const long now = done += t - reported;
        reported = t;
        if (control.progress) {
          const std::lock_guard<std::mutex> hold(lock);
          control.progress(now, total);
        }
      };
      std::string problem;
      Outcome outcome;
      try {
        outcome = runGas(sweepSetup(settings, settings.etas[job.point], job.seed), one);
      } catch (const std::exception& e) {
        problem = e.what();
      }
      const std::lock_guard<std::mutex> hold(lock);
      if (!problem.empty())
        problems[job.point].emplace_back(job.seed, problem);
      else if (!outcome.stopped)
        results[job.point].push_back(outcome.results);
    }
  };
  const int threads = std::max(1, std::min<int>(settings.jobs, static_cast<int>(jobs.size())));
  std::vector<std::thread> pool;
  // Where no thread can be had (a build without threads), the calling thread does it all.
  try {
    for (int t = 1; t < threads; ++t)
      pool.emplace_back(work);
  } catch (const std::system_error&) {
  }
  work();
  for (std::thread& t : pool)
    t.join();

  std::vector<SweepRow> rows;
  for (std::size_t p = 0; p < settings.etas.size(); ++p) {
    // Seeds in increasing order whichever thread finished first, so that the means add them in
    // one order and the rows come out the same on any number of threads.
    std::vector<Results>& runs = results[p];
    std::sort(runs.begin(), runs.end(),
              [](const Results& a, const Results& b) { return a.seed.seed < b.seed.seed; });
    SweepRow row = sweepRow(settings.etas[p], radiusFor(settings.discs, settings.etas[p]), runs);
    noteRefused(row, problems[p]);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace km::lab
