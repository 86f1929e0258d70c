// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "headless_run.h"

namespace km::lab {

// The equation of state, swept: one species of mass 1 at each packing fraction, proximity equal
// to the diameter, each run with each seed.
struct SweepSettings {
  int discs = 500;
  std::vector<double> etas{0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7};
  std::vector<std::uint32_t> seeds{1};
  long warmup = 20000, ticks = 100000;
  CollisionRule rule = CollisionRule::Exact;
  std::string velocityRange = "20";
  int jobs = 1;  // runs at once, each on a thread of its own
};

// The radius, as text that reads back to the same number, that gives n discs of diameter 2r
// the packing fraction eta over the square their centres reach: η = n·π·(2r)²/(4·(1000 − 2r)²).
std::string radiusFor(int discs, double eta);
// The run of one packing fraction and seed, as kinetic-measure would run it.
GasSetup sweepSetup(const SweepSettings& s, double eta, std::uint32_t seed);

// One packing fraction: the means over its seeds, errors combined as independent runs'.
struct SweepRow {
  double eta = notKnown;  // asked for
  std::string radius;
  int runs = 0;                        // seeds that ran whole
  std::vector<std::uint32_t> seeds;    // those seeds, in increasing order
  std::vector<std::uint32_t> refused;  // seeds whose runs did not, in increasing order
  std::string problem;                 // why each refused seed did not: "seed 1: …; seed 3: …"
  double etaMeasured = notKnown;       // N·π·σ²/(4·L²) of the gas as placed
  Estimate z, zInterior, etaInterior;
  double zHenderson = notKnown, zBulk = notKnown, zWalled = notKnown, zBulkInterior = notKnown;
  Estimate collisionRate;  // collisions per disc per tick (the exact rule's exchanges)
  double enskogRate = notKnown;
  Estimate diffusion;  // D, u²/tick
  double enskogD = notKnown;
  bool discsMoved = false;  // of one run's row: it had discs, so its D enters the means
};

// Marks the seeds whose runs did not run whole, each with why (in increasing order of seed):
// row.refused and row.problem, "seed 1 refused: …; seed 3 refused: …".
void noteRefused(SweepRow& row, std::vector<std::pair<std::uint32_t, std::string>> refusals);

// One run's share of a row: its estimates as the row takes them (eta and radius left unset).
SweepRow runRow(const Results& run);
// Combines the rows of one packing fraction's runs (each from runRow, in the order of their
// seeds) into its row: means, errors combined as independent runs'.
SweepRow sweepRow(double eta, const std::string& radius, const std::vector<SweepRow>& runs);
// The same from the runs' results.
SweepRow sweepRow(double eta, const std::string& radius, const std::vector<Results>& runs);

// Runs every packing fraction with every seed, `settings.jobs` at a time, and returns a row per
// packing fraction in the order asked. control.stop (asked from every run's thread) ends the
// sweep early: rows then hold the runs that finished. control.progress(done, total) counts
// ticks over all runs; calls never overlap.
std::vector<SweepRow> runSweep(const SweepSettings& settings, const Control& control = {});

}  // namespace km::lab
