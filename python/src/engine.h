// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gas_arguments.h"
#include "headless_run.h"
#include "sweep.h"
#include "turn_lock.h"

namespace km::python {

// One gas for Python: the headless gas behind a lock of its own, served in turn, so that
// threads stepping or reading it take turns slice by slice, and stepped with the interpreter's
// lock released.
class Engine {
 public:
  explicit Engine(const GasArguments& arguments);

  // n ticks, in slices of about 20 ms between which Ctrl+C is noticed: KeyboardInterrupt,
  // the gas left after its last whole tick.
  void step(long long n);
  long ticks() const;
  int particles() const { return particles_; }

  pybind11::array_t<double> positions() const;
  pybind11::array_t<double> velocities() const;
  pybind11::array_t<double> masses() const;
  pybind11::array_t<int> species() const;
  double energy() const;

  // kinetic-measure's JSON report of the run so far: the settings the gas was given, with the
  // rule and warm-up in force now, the ticks the averages cover and the events since the start.
  std::string resultsJson() const;
  std::string timeSeriesCsv() const;
  std::string eventsCsv() const;
  std::string histogramsCsv() const;
  std::string msdCsv() const;
  // Tab `index` of the laboratory (labTabNames) as the windows describe it, as JSON;
  // `quantity` is the Speeds tab's 0 speed, 1 vx, 2 vy; `rows` a sweep for Equation of state.
  std::string tabJson(int index, int quantity, const std::vector<lab::SweepRow>& rows) const;
  // The gas as the windows draw it, `width` pixels square: an (H, W, 4) array of R, G, B, A.
  pybind11::array_t<std::uint8_t> picture(int width) const;
  // This run's share of an equation-of-state row.
  lab::SweepRow sweepRun() const;

  void heat(int species, double factor);
  void equalEnergies();
  void setRule(const std::string& rule);
  std::string rule() const;
  void setWarmup(long long ticks);
  // Each wall held at its kT, or reflecting where none; an event that restarts the averages.
  void setWalls(const std::vector<std::optional<double>>& kT);
  // The right wall toward x = target at speed u/tick from tick `start` of the walls' count (now
  // when none); Refused where the gas cannot fit.
  void moveWall(double target, double speed, std::optional<long long> start);
  void setPiston(double pressure, double mass);
  // The field toward the floor, and the divider's opening (0 closes it, 1000 or more takes it
  // away): events, as the walls' are.
  void setGravity(double g);
  void setDivider(double width);
  // Starts the gas-law process of this name (lab::gasLawNames); Refused with the laboratory's
  // reason where it cannot start.
  void startGasLaw(const std::string& name);
  // Every process run since the gas was placed, as the laboratory keeps it.
  std::vector<lab::GasLawRow> gasLaws() const;
  long warmup() const;
  // Writes the laboratory's five CSV files into the folder; OSError naming each not written.
  void exportData(const std::string& folder) const;

  // An experiment as it is replayed: at which tick, which, and its arguments (a kT of NaN for
  // a wall that reflects).
  struct Operation {
    long tick = 0;
    // "heat", "equal_energies", "rule", "warmup", "walls", "move_wall", "piston", "gas_law"
    std::string kind;
    std::vector<double> values;
    std::string text;
  };
  // Every experiment so far and the ticks run, read at one moment: with the arguments, what
  // places this gas again bit for bit.
  std::pair<std::vector<Operation>, long> replay() const;

  std::uint32_t seed() const { return setup_.seed; }
  std::uint64_t draws() const { return setup_.draws; }

 private:
  // The gas's lock; while another thread holds it, waits without the interpreter's lock.
  std::unique_lock<TurnLock> hold() const;

  lab::GasSetup setup_;
  mutable TurnLock turns_;
  lab::HeadlessGas gas_;
  int particles_ = 0;
  std::vector<Operation> operations_;
};

void bindEngine(pybind11::module_& m);

}  // namespace km::python
