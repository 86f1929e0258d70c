// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "laboratory.h"
#include "page_model.h"
#include "sweep.h"

namespace km {

// The laboratory window's rules for the page: it measures the page's gas while it is open,
// with the desktop's pace, Step, rule switch, experiments, warm-up, exports and tabs. Every
// text, refusal and number the page shows comes from here.
class LabPage {
 public:
  // The caption of a control or label of the laboratory by its id ("heat", "ruleExact", ...),
  // "" for an id that has none.
  static std::string caption(const std::string& id);

  // Opened during a run, it measures from now on; `seed` is the one the run's generator took.
  LabPage(PageModel& page, RunSeed seed);
  // Closed, the page is as without a laboratory: full speed, the specified rule.
  ~LabPage();
  LabPage(const LabPage&) = delete;
  LabPage& operator=(const LabPage&) = delete;

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

  // The warm-up in ticks, typed: "" when taken, else why not.
  static std::string warmupProblem(const std::string& text);
  // Why a warm-up is refused: the range it must lie in.
  static std::string warmupRefusal();
  void setWarmup(const std::string& text);
  long warmup() const { return lab_.settings().warmup; }

  // What the last experiment, switch or refusal said.
  const std::string& note() const { return note_; }
  void setNote(std::string text) { note_ = std::move(text); }

  // Tab 0..7 as JSON (web/lab_charts.h); `quantity` is the Speeds tab's 0 speed, 1 vx, 2 vy.
  std::string tabJson(int tab, int quantity) const;
  static const std::array<std::string, 8> tabNames;
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
  PageModel& page_;
  lab::Laboratory lab_;
  std::string note_;
  std::vector<lab::SweepRow> rows_;
};

}  // namespace km
