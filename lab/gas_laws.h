// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "boundaries.h"
#include "series.h"

namespace km {
class Simulation;
}

namespace km::lab {

class Laboratory;

// The five processes, by number 0..4.
inline constexpr std::array<std::string_view, 5> gasLawNames = {"Boyle", "Charles", "Gay-Lussac",
                                                                "adiabat", "free expansion"};

// How the processes run, in ticks and units per tick.
struct GasLawTiming {
  long window = 5000;        // measured at each end
  long settle = 1000;        // after the change, before the end's window
  double slowSpeed = 0.1;    // a slow wall: about 1 % of the discs' mean speed at kT 50
  long heatBlock = 500;      // the heating is checked over blocks of this many ticks
  double heatWithin = 0.02;  // of the walls' kT, for a block's mean kT
  double areaWithin = 0.01;  // of the last block's, for a block's mean area under the piston
  long budget = 30000;       // the most a heating takes before the end is measured anyway
  double heating = 1.5;      // the walls' kT over the gas's
  double pistonMass = 2000;  // amu
};

// The gas over the window at one end of a process.
struct GasLawEnd {
  long fromTick = 0, toTick = 0;  // ticks of the run
  Estimate pressure;              // all four walls' impulse over their lengths met, per tick
  Estimate area;                  // the area the centres reach, u²
  Estimate kT;
  double eta = notKnown, z = notKnown;  // at the mean area; Henderson's Z there
  double kTNow = notKnown;              // the gas's kT at the window's last tick
  Estimate invariant;                   // the process's invariant, tick by tick
};

// One process as it ran, with its invariant measured at both ends and the end value the laws
// predict from the start's.
struct GasLawRow {
  int process = 0;
  std::string name;       // gasLawNames[process]
  std::string invariant;  // what it keeps, as a formula
  std::string quantity;   // the end value predicted: "P", "A" or "kT"
  std::string ending;     // how the change ended, or why the process stopped early
  bool complete = false;  // both ends measured
  GasLawEnd start, end;
  // The invariant's value by the hard-disc law: the walls' kT (Boyle), N / P outside
  // (Charles), N / A (Gay-Lussac), the start's (adiabat, free expansion).
  double expected = notKnown;
  double measured = notKnown;  // the quantity at the end
  double ideal = notKnown;     // the ideal gas's prediction of it
  double hardDisc = notKnown;  // with Henderson's Z along the path
  // The energy the walls gave the gas from the change to the end (free expansion: none).
  double work = 0, heat = 0;
};

// The error of the end value a row predicts: the end's window's, except for the free
// expansion's kT, which is a single tick's (not known).
double measuredError(const GasLawRow& r);

// Henderson's Z integrated along a slow compression of reflecting walls, d ln kT = −Z d ln A,
// with η ∝ 1/A: the gas's kT at packing fraction eta1 after kT0 at eta0. In closed form,
// kT0·(η1/η0)·exp(F(η1) − F(η0)), F(η) = 9 / 8(1 − η) − (7/8)·ln(1 − η).
double hendersonAdiabatKT(double kT0, double eta0, double eta1);
// The area at which A / Z(η(A)), Henderson's Z, takes the value c > 0, for n discs of diameter
// sigma: where the hard-disc law P·A = N·kT·Z puts a gas of A / (kT·Z) = c / kT.
double hardDiscAreaFor(double c, int n, double sigma);

// What the laboratory knows of its gas at a tick.
struct GasNow {
  int n = 0;
  double radius = 0, sigma = 0;
  double kT = 0;         // this tick's
  double kTAverage = 0;  // over the averages, else this tick's
};

// The five processes as set-ups of the present gas, driven tick by tick by the laboratory. Each
// starts from the gas as it is, measures a window, changes it, waits for it to settle, measures
// another window and leaves a row. The laboratory's own experiments make the changes, so each is
// an event in its history.
//   Boyle: the walls hold the gas's kT; after the start's window the right wall moves in at the
//     slow speed to half the area; it has changed when the wall arrives.
//   Charles: the walls hold the gas's kT, the gas settles, its pressure is measured over a
//     window, the right wall becomes a piston at that pressure, the gas settles again; then the
//     walls heat it. Gay-Lussac: the right wall held where it is, the walls hold the gas's kT,
//     then heat it. A heating has changed the gas once a block's mean kT is within heatWithin
//     of the walls' and, under the piston, its mean area within areaWithin of the last
//     block's; or, failing that, after `budget` ticks, as the row's ending says.
//   adiabat: reflecting walls, the right wall in at the slow speed to half the area.
//   free expansion: reflecting walls; the right wall first to x = 500 at the slow speed if it
//     is elsewhere, then settling; after the start's window, withdrawn to x = 1000 in one tick
//     (or at twice the fastest disc's speed, if that is more); it has changed on arrival.
// After the change the gas settles for `settle` ticks before the end's window.
class GasLaws {
 public:
  // Starts process 0..4: "" when started, else why not, nothing changed.
  std::string start(int process, Laboratory& lab, Simulation& sim, const GasNow& gas);
  // After every tick, once the laboratory has read it.
  void afterTick(Laboratory& lab, Simulation& sim, const GasNow& gas);
  // Every event of the laboratory: one the process did not make itself ends it early.
  void heard(const std::string& what);
  // A new run: no process and no rows.
  void clear();

  bool running() const { return phase_ != Phase::Idle; }
  // What started last, in words.
  const std::string& plan() const { return plan_; }
  const std::vector<GasLawRow>& rows() const { return rows_; }
  void setTiming(const GasLawTiming& t) { timing_ = t; }
  const GasLawTiming& timing() const { return timing_; }

 private:
  enum class Phase { Idle, Prepare, Before, Change, Settle, After };
  struct Window {
    BinnedSeries pressure, area, kT, invariant;
    long from = 0;
    void clear(long tick);
  };
  // The experiments the process makes itself: their events are its own.
  std::string act(const std::function<std::string()>& f);
  std::string wallsAt(Laboratory& lab, double kT);
  double invariantOf(double p, double a, double kT, const GasNow& gas) const;
  void prepare(Laboratory& lab, const Boundaries& b);
  void beginBefore();
  void endBefore(Laboratory& lab, Simulation& sim, const GasNow& gas);
  void stop(const std::string& why);
  void change(const Boundaries& b, const GasNow& gas);
  void endChange(const std::string& how);
  GasLawEnd measured(const GasNow& gas) const;
  void finish(const Boundaries& b, const GasNow& gas);

  GasLawTiming timing_;
  Phase phase_ = Phase::Idle;
  int process_ = 0;
  long tick_ = 0;       // ticks of the run
  long phaseFrom_ = 0;  // when the phase (or the preparation's step) began
  bool acting_ = false;
  // The preparation: 0 waiting (for the wall to arrive, or to settle), 1 measuring the
  // pressure for Charles's piston, 2 settling after it.
  int prepStep_ = 0;
  double prepTarget_ = notKnown;  // where the preparation takes the right wall
  double target_ = 0;             // the right wall's, when the change moves it
  double wallKT_ = 0;             // the walls' kT of the change, when it heats
  double lastBlockArea_ = notKnown;
  Window window_;
  BinnedSeries block_, blockArea_;  // the heating's present block
  WallTally last_, atChange_;
  std::string plan_;
  GasLawRow row_;
  std::vector<GasLawRow> rows_;
};

}  // namespace km::lab
