// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "laboratory.h"
#include "simulation.h"

namespace km::lab {

// The walls of a run, when they do more than reflect from fixed places.
struct WallSetup {
  std::array<std::optional<double>, wallCount> kT;  // a thermal wall's kT; none: it reflects
  // The right wall moving toward x = target at speed u/tick from tick start of the run.
  std::optional<double> target;
  double speed = 0;
  long start = 0;
  // Or a piston of mass amu under the outside pressure.
  std::optional<double> pressure;
  double mass = 0;
  // A field toward the floor, u/tick²; a divider along x = 500 with an opening this wide.
  std::optional<double> gravity, divider;
};

// A gas to run without a window: the texts of the window's fields, the rule, the seed of the
// placement, and the ticks of warm-up and of averaging.
struct GasSetup {
  SpeciesTexts rows{{"32", "8", "2", "1"}, {"1", "4", "16", "64"}};
  std::string radius = "12", proximity = "24", velocityRange = "20";
  CollisionRule rule = CollisionRule::Specified;
  std::uint32_t seed = 1;
  std::uint64_t draws = 0;  // random numbers drawn and dropped before the placement
  long warmup = 1000, ticks = 10000;
  WallSetup walls;
  std::array<StartSide, 4> sides{};  // where each species is placed
};

// Sets the walls of a placed gas; Refused with the reason where they cannot be set.
void setWalls(Simulation& sim, const WallSetup& walls);

// A gas the engine will not run as asked (too dense to separate under the exact rule): refused
// input, with the engine's reason.
class Refused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a caller may do while a run goes.
struct Control {
  std::function<bool()> stop;                // asked before every tick; true ends the run there
  std::function<void(long, long)> progress;  // after every tick: ticks done, ticks in all
};

struct Outcome {
  Results results;
  long total = 0;        // warm-up and measured ticks asked for
  bool stopped = false;  // ended by Control::stop after results.ticks ticks
};

// A gas placed as "Run Simulation" would place it, with the seed given whatever the time of
// day, its laboratory attached and set to the setup's warm-up and ticks (0 ticks: every tick
// after the warm-up), then stepped by its owner one tick at a time. Not for two threads at once.
class HeadlessGas {
 public:
  // Throws Refused for a gas that does not fit under the exact rule, RunError where the model
  // fails.
  explicit HeadlessGas(const GasSetup& setup);
  ~HeadlessGas();
  HeadlessGas(const HeadlessGas&) = delete;
  HeadlessGas& operator=(const HeadlessGas&) = delete;

  // One tick of the engine, then the laboratory's reading of it; RunError where the model fails.
  void step();
  long ticks() const;  // since the gas was placed
  // The discs the engine moves: particles 1..particles().
  int particles() const;

  // Per disc, in particle order: x, y pairs of the centres (u, y downward) and of the
  // velocities (u/tick), the masses (amu) and the species (1..4). Each span holds particles()
  // entries (pairs: twice that). A cell holding no number gives NaN.
  void positions(std::span<double> xy) const;
  void velocities(std::span<double> xy) const;
  void masses(std::span<double> out) const;
  void species(std::span<int> out) const;

  // Switches the collision rule as the laboratory window does, an event that restarts the
  // averages; a gas too dense for the exact rule stays under the specified one. "" when done
  // (or already so), else why not.
  std::string setRule(CollisionRule rule);
  // A new warm-up after which the averages begin again, an event like the window's.
  void setWarmup(long ticks);
  // The walls given in `walls` set anew (a wall not named keeps what it does), an event that
  // restarts the averages, named `what`; a field or a divider is an event of its own, as the
  // laboratory's. Refused with the reason where they cannot be set.
  void setWalls(const WallSetup& walls, const std::string& what);

  Laboratory& laboratory();
  const Laboratory& laboratory() const;
  Simulation& simulation();
  const Simulation& simulation() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> p_;
};

// Places the gas as "Run Simulation" would, with the seed given whatever the time of day, runs
// it through its warm-up and measured ticks, or until `control.stop` says so, and returns the
// laboratory's results. A run-time error of the model is thrown as RunError; a gas that does not
// fit under the exact rule as Refused. The same setup gives the same results, bit for bit.
Outcome runGas(const GasSetup& setup, const Control& control = {});

}  // namespace km::lab
