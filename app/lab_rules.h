// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lab_tabs.h"
#include "laboratory.h"
#include "main_rules.h"
#include "sweep.h"

namespace km {

// The laboratory window's rules, for every front end: it measures the main window's gas while
// it is open, with its pace, Step, rule switch, experiments, warm-up, exports and tabs. Every
// text, refusal and number the laboratory shows comes from here.
class LabRules {
 public:
  // The caption of a control or label of the laboratory by its id ("heat", "ruleExact", ...),
  // "" for an id that has none. In a text with %1 the front end puts what it names.
  static std::string caption(const std::string& id);

  // Opened during a run, it measures from now on; `seed` is the one the run's generator took.
  LabRules(MainRules& page, RunSeed seed);
  // Closed, the page is as without a laboratory: full speed, the specified rule, the box's own
  // walls.
  ~LabRules();
  LabRules(const LabRules&) = delete;
  LabRules& operator=(const LabRules&) = delete;

  // What the main part of the page tells it.
  void runStarted(RunSeed seed);
  void ticked() { lab_.afterTick(); }
  // A count or the proximity is being typed: its changes make one event until it settles
  // (typing pauses or the field is left).
  void fieldEdited() { lab_.holdChangeEvents(true); }
  void fieldSettled() { lab_.holdChangeEvents(false); }

  // Pace: 0 full speed, 1 250, 2 60, 3 10 ticks per second.
  static constexpr int paceIntervals[4] = {1, 4, 17, 100};
  static const std::array<std::string, 4> paceNames;
  void setPace(int index);
  int paceIndex() const;
  bool stepEnabled() const { return page_.hasRun() && !page_.timerEnabled(); }
  void step() { page_.stepOnce(); }

  bool ruleExact() const;
  // The rule switch: a gas too dense to push apart stays under the specified rule, and the
  // note says why.
  void setRule(bool exact);
  // The rule for a run about to be placed (which pushes its discs apart itself).
  void takeRule(bool exact);

  // Experiments: "" when the factor is taken, else why not.
  static std::string heatFactorProblem(const std::string& text);
  // Heats species 1..4 by the factor typed; the note says what happened.
  void heat(int species, const std::string& factorText);
  void equalEnergies();
  // The species that can be heated, as "[[1, "species 1 (32 discs)"], ...]".
  std::string speciesJson() const;

  // The walls, in the order left, right, bottom, top. A wall's text is "" for a wall that
  // reflects, else the kT it holds; "" when taken, else why not.
  static std::string wallTemperatureProblem(const std::string& text);
  // Each wall as typed; refused as a whole when one text is, and the note says why.
  void setWalls(const std::array<std::string, 4>& texts);
  // All four walls at the kT typed, or at the gas's kT now when "".
  void holdTemperature(const std::string& kTText);
  // The right wall toward x = target at the speed typed (units per tick), from now.
  void moveWall(const std::string& targetText, const std::string& speedText);
  // The right wall a piston of the mass typed (amu) under the outside pressure typed.
  void setPiston(const std::string& pressureText, const std::string& massText);
  // What each wall does now, as its text: "" for a wall that reflects, else its kT.
  std::array<std::string, 4> wallTexts() const;

  // The field toward the floor, g as typed (units per tick²; "" or 0 for none).
  void setField(const std::string& gText);
  // The divider's opening as typed (units; 0 closes it, 1000 or more takes the divider away),
  // and closed.
  void openDivider(const std::string& widthText);
  void closeDivider();
  // Where species 1..4 (element k for species k + 1) start at the next "Run Simulation":
  // 0 both sides, 1 left, 2 right, as sideNames.
  static const std::array<std::string, 3> sideNames;
  void setSides(const std::array<int, 4>& sides);
  // What the field and the divider are now, as their texts: "" for none.
  std::string fieldText() const;
  std::string dividerText() const;
  std::array<int, 4> sides() const;

  // The gas laws as processes, 0..4 in the order of gasLawNames; the note says what started or
  // why not. Their rows are the laboratory's results' gasLaws.
  static const std::array<std::string, 5> gasLawNames;
  void startGasLaw(int process);

  // The warm-up in ticks, typed: "" when taken, else why not.
  static std::string warmupProblem(const std::string& text);
  // Why a warm-up is refused: the range it must lie in.
  static std::string warmupRefusal();
  void setWarmup(const std::string& text);
  long warmup() const { return lab_.settings().warmup; }

  // What the last experiment, switch or refusal said.
  const std::string& note() const { return note_; }
  void setNote(std::string text) { note_ = std::move(text); }

  // Tab 0..9 (tabNames) as its charts and words; `quantity` is the Speeds tab's 0 speed, 1 vx,
  // 2 vy. As JSON for the page.
  LabTab tab(int index, int quantity) const;
  std::string tabJson(int index, int quantity) const;
  static constexpr const auto& tabNames = labTabNames;
  // The five CSV files of "Export data…": name and text.
  std::vector<std::pair<std::string, std::string>> exportFiles() const;

  // The equation of state's sweep settings as typed: "" and the settings when usable, else why
  // not. The same reading serves the page and the worker that runs the sweep.
  static std::string readSweepSettings(const std::array<std::string, 5>& texts,
                                       lab::SweepSettings& s);
  // A sweep's CSV to show (kinetic-measure's, or the worker's): "" when read, else the message.
  std::string showSweep(const std::string& csv);
  std::string sweepCsv() const;
  // The runs of the sweep shown that did not run, as the desktop says it; "" when all ran.
  std::string sweepProblems() const;
  bool hasSweep() const { return !rows_.empty(); }

  lab::Laboratory& laboratory() { return lab_; }
  const lab::Laboratory& laboratory() const { return lab_; }

 private:
  MainRules& page_;
  lab::Laboratory lab_;
  std::string note_;
  std::vector<lab::SweepRow> rows_;
};

}  // namespace km
