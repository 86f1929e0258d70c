// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "atmosphere.h"
#include "boltzmann_h.h"
#include "contacts.h"
#include "diffusion.h"
#include "effusion.h"
#include "gas_laws.h"
#include "heat_profile.h"
#include "histogram.h"
#include "observer.h"
#include "random_source.h"
#include "series.h"
#include "simulation.h"
#include "wall_profile.h"
#include "walls.h"

namespace km::lab {

// What the averages take: a warm-up after each restart, then a window of ticks.
struct Settings {
  long warmup = 0;
  long window = 0;  // 0: every tick after the warm-up
};

struct Event {
  long tick;  // ticks since the run began
  std::string what;
};

// A measured distribution in chart bins beside its law at the measured kT.
struct Distribution {
  std::vector<double> centres;   // bin centres, units per tick
  std::vector<double> measured;  // share per unit of velocity
  std::vector<double> theory;    // the law's mean density over the same bin
  double binWidth = 0;
  double ks = notKnown;  // Kolmogorov–Smirnov distance, over the fine bins' edges
  long samples = 0;
};

struct SpeciesResult {
  int species = 0;  // 1..4
  int count = 0;
  double mass = 0;
  double kTNow = notKnown;
  Estimate kT;
  Estimate kTRatio;  // over the gas's kT; theory 1
  Distribution speed, vx, vy;
  std::vector<double> msd;  // per lag of Results::lags
  MeanSquaredDisplacement::Fit diffusion;
  double enskogD = notKnown;     // only in a gas of one species
  Estimate contactRate;          // new contacts per tick of one disc of this species
  double enskogRate = notKnown;  // collisions per tick of one disc of this species
  // Number density of its centres against the distance from the nearest wall, over its
  // count / L², at Results::profileDistance.
  std::vector<double> profile;
};

struct Results {
  bool running = false;    // a run has been placed and is measured
  long ticks = 0;          // since the run began
  long measuredTicks = 0;  // in the averages
  long warmup = 0;
  long warmupLeft = 0;  // ticks until the averages begin; 0 once they have
  int particles = 0;
  double radius = notKnown, sigma = notKnown;
  double side = notKnown;  // L = 1000 − 2·radius, the square the centres reach
  double eta = notKnown, contactValue = notKnown;

  double kTNow = notKnown;
  Estimate kT;
  std::vector<SpeciesResult> species;  // those with particles, in order

  bool exactRule = false;  // the exact hard-disc rule, else the specified one
  Estimate pressure;       // impulse per tick per unit length of wall
  Estimate Z;              // P·L² / (N·kT), over the nominal density
  double zHenderson = notKnown;
  double zBulk = notKnown;    // the bulk fluid's reference at η
  double zWalled = notKnown;  // the same less the first-order wall term, for this box

  // The interior: centres farther than interiorFrom from every wall, where the layers at the
  // walls have faded. Pressure is the same throughout a fluid at rest, so Z over the interior
  // density is the one to set beside a bulk equation of state.
  double interiorFrom = notKnown;  // u
  Estimate interiorCount;          // centres in the interior, per tick
  Estimate etaInterior;            // the interior's packing fraction
  Estimate zInterior;              // P / (n_interior·kT)
  double zBulkInterior = notKnown, zHendersonInterior = notKnown;  // at the interior's η
  std::vector<double> profileDistance;  // bin centres, in σ from the nearest wall

  Estimate exchanges, newContacts;  // per tick
  // Exchanges that repeat the previous tick's pair: bound pairs under the specified rule,
  // under the exact rule only discs that meet the same neighbour again within a tick.
  Estimate boundShare;
  long longestBoundRun = 0;            // ticks in a row
  double enskogCollisions = notKnown;  // per tick, whole gas, at the interior's density

  std::vector<int> lags;
  std::vector<double> tracerMsd;
  MeanSquaredDisplacement::Fit tracer;
  int fitFromLag = 0;

  double hNow = notKnown, hMaxwellian = notKnown;
  int hSpan = 0;                // ticks of speeds behind hNow
  long hSpeeds = 0;             // speeds behind hNow
  double hAveraged = notKnown;  // H of every speed of the averages

  // Σ½mv² now (with Σm·g·(1000 − y) in a field), and at the start of the run or the last
  // experiment, which sets it anew.
  double energy = notKnown, energyAtStart = notKnown;
  double driftPer10k = notKnown;  // relative change of the energy per 10,000 ticks since then
  double momentumX = notKnown, momentumY = notKnown;
  int outside = 0;            // centres outside the box now
  double worstExcursion = 0;  // farthest a centre is beyond the box's edge now, u
  // Since the run began, every tick: the share of ticks with a centre past the line at one
  // radius from a wall (where the walls turn it), the farthest past that line and past the
  // box's edge, u.
  double shareBeyondWall = notKnown;
  double farthestBeyondWall = 0, farthestBeyondEdge = 0;
  RunSeed seed;                  // where the run's random numbers began
  std::vector<Event> events;     // since the run began, as the history marks them
  WallResults walls;             // when the walls do more than reflect from fixed places
  HeatResults heat;              // the temperature across the box, when the walls are active
  AtmosphereResults atmosphere;  // the heights in a field toward the floor, when one is on
  EffusionResults effusion;      // the passage through the divider's opening, when one stands
  // The gas laws' processes run since the run began, in order.
  std::vector<GasLawRow> gasLaws;
};

// Time series from the start of the run, for charts: bins of equal ticks, at most 512.
struct History {
  std::array<BinnedSeries, 5> kT{BinnedSeries(512), BinnedSeries(512), BinnedSeries(512),
                                 BinnedSeries(512), BinnedSeries(512)};  // 0 the gas, 1..4
  BinnedSeries z{512}, exchanges{512}, newContacts{512}, repeats{512}, energy{512}, h{512};
  std::vector<Event> events;
  void clear();
};

// Why a field of g u/tick² is too strong for the discs, "" when it is not: one falling the
// box's height would pass the 10,000 units per tick that heating is held to.
std::string fieldLimit(double g);

// Measures a running gas against kinetic theory. Attached to a simulation as its observer, it
// hears the walls and collisions, reads the state after every tick, and runs experiments.
class Laboratory : public GasObserver {
 public:
  explicit Laboratory(Simulation& sim);
  ~Laboratory() override;
  Laboratory(const Laboratory&) = delete;
  Laboratory& operator=(const Laboratory&) = delete;

  void setSettings(const Settings& s);
  const Settings& settings() const { return settings_; }

  // A run was placed: reads its layout and starts every measurement and the history afresh.
  void runStarted(RunSeed seed);
  // After every tick of the simulation. A change of the discs the engine moves (a count typed
  // during the run) or of the proximity is an event that restarts the averages.
  void afterTick();
  // Starts the averages afresh (the history goes on), and marks the history.
  void restartAverages(const std::string& why);
  // While held (someone is typing a count or a proximity), a change of the same kind as the
  // event just logged replaces it, so that typing "100" makes one event and not three.
  void holdChangeEvents(bool hold);
  // Heats or cools species 1..4 by a factor in energy; "" when done, else why not.
  std::string heat(int species, double factor);
  void equalEnergies();
  // The walls' experiments, each an event that restarts the averages and the walls' path; ""
  // when done, else why not (and nothing changed). Each wall held at its kT, or reflecting
  // where none:
  std::string setWallHeat(const std::array<std::optional<double>, wallCount>& kT);
  // the right wall toward x = target at `speed` u/tick from tick `start` of the walls' own
  // count (now when none):
  std::string moveRightWall(double target, double speed, std::optional<long> start = {});
  // the right wall a piston of `mass` amu under the outside `pressure`.
  std::string setPiston(double pressure, double mass);

  // A uniform field of g u/tick² toward the floor (0 for none), and a divider along x = 500
  // with an opening of `width` centred on y = 500 (0 closed, 1000 or more none): each an
  // event as the walls' are, "" when done, else why not (and the setting unchanged). Under
  // the exact rule the discs a new divider cuts are moved beside it; a gas too dense for that
  // keeps its old divider, its discs pushed as far as they went.
  std::string setGravity(double g);
  std::string setDivider(double width);
  // Where each species (element k for species k + 1) is placed at the next "Run Simulation";
  // the history marks it, the averages go on. "" when done, else why not.
  std::string setStartSides(const std::array<StartSide, 4>& sides);

  // Starts gas-law process 0..4 (gasLawNames) on the gas as it is, an event; "" when started,
  // else why not (and nothing changed). It then runs tick by tick and leaves a row.
  std::string startGasLaw(int process);
  GasLaws& gasLaws() { return gasLaws_; }
  const GasLaws& gasLaws() const { return gasLaws_; }

  bool running() const { return started_; }
  long ticks() const { return tick_; }
  // The gas's kT at the last tick, 0 before it.
  double kTNow() const { return kTNow_[0]; }
  // Σ½mv² of the discs measured now, with their potential energy Σm·g·(1000 − y) in a field.
  double totalEnergy() const;
  Results results() const;
  const History& history() const { return history_; }

  void wallTurn(int i, Axis axis, double at, double before, double after) override;
  void pairExchange(int i, int j) override;

 private:
  enum class Change { None, Count, Proximity };
  void logEvent(const std::string& why, Change kind);
  void clearAverages();
  void beginAverages();
  // Counts of each species among the discs the engine moves now, particles 1..n_.
  void countSpecies();
  // The energy that later drift is measured against: the gas's now.
  void markEnergy();
  double proximity() const;
  std::array<int, 5> speciesFirst() const;
  Distribution distribution(const Histogram& h, double mass, double kT, bool speed) const;
  GasNow gasNow() const;

  Simulation& sim_;
  Settings settings_;
  bool started_ = false;
  RunSeed seed_;
  long tick_ = 0;         // since the run began
  long restartTick_ = 0;  // when the averages last restarted
  long ticksBeyondWall_ = 0;
  double farthestBeyondWall_ = 0, farthestBeyondEdge_ = 0;
  bool averaging_ = false;

  int placed_ = 0;              // particles the run placed: the most the engine can move
  int n_ = 0;                   // particles the engine moves now, 1..n_, all measured
  std::array<int, 5> count_{};  // per species, among 1..n_
  std::vector<int> speciesOf_;  // per placed particle, 1..4
  std::vector<double> mass_;    // per placed particle
  std::array<double, 5> speciesMass_{};
  double radius_ = 0, sigma_ = 0;
  double energyAtStart_ = 0;  // at the run's start or the last experiment, at energyTick_
  long energyTick_ = 0;

  std::array<double, 5> kTNow_{};  // the last tick's, gas and species
  double hNow_ = notKnown;
  double impulse_ = 0;           // delivered to the walls this tick
  std::array<double, 5> met_{};  // new contacts of each species this tick
  ContactTracker contacts_;
  Unfolder unfolder_;
  MeanSquaredDisplacement msd_;
  HTracker h_;

  // The averages.
  std::array<BinnedSeries, 5> kT_;  // gas, species 1..4
  BinnedSeries impulseSeries_, exchanges_, newContacts_, repeats_;
  std::array<BinnedSeries, 5> speciesContacts_;  // new contacts per disc, species 1..4
  std::array<Histogram, 5> speed_, vx_, vy_;
  WallProfile profile_;
  WallMeter walls_;
  HeatProfile heat_;
  AtmosphereMeter atmosphere_;
  EffusionMeter effusion_;
  BinnedSeries interior_;  // centres in the interior, every WallProfile::everyTicks ticks

  History history_;
  GasLaws gasLaws_;
  bool holdChanges_ = false;
  Change heldKind_ = Change::None;  // of the last event, while it may still be replaced
  // Scratch, reused every tick.
  std::vector<double> vxNow_, vyNow_, ux_, uy_, reduced_;
  std::vector<double> x_, y_;  // centres from the corner of the square they reach
};

}  // namespace km::lab
