// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "clock.h"
#include "input_check.h"
#include "random_source.h"
#include "simulation.h"
#include "surface.h"

namespace km {

// The main window's rules, for every front end: its start-up texts, field changes, marks,
// commands, clock, readouts and messages, without any toolkit. A front end only shows what
// this says and reports what the user does. Controls and readouts are named as the window
// names them ("txt_how_many_0", "Label7", ...).
class MainRules {
 public:
  // Told of what the laboratory follows, as the desktop window's signals tell its laboratory.
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void beforePlacing() {}
    virtual void runStarted() {}
    virtual void ticked() {}
    // The clock was started, stopped or given another interval.
    virtual void clockChanged() {}
    // A message waits to be shown (takeMessage).
    virtual void messageLeft() {}
  };

  // Draws the gas on `picture`, which must outlive it.
  MainRules(SeededGenerator& rnd, const Clock& clock, DrawingSurface& picture);
  void setListener(Listener* l) { listener_ = l; }

  // The caption of a label or button, "" for a name that has none. Also the window's title
  // ("KineticModel"), tips ("<name>.tip", "<name>.hint") and the desktop's menu and About box.
  std::string caption(std::string_view name) const;

  // Text fields: the count and mass of each row, part rad, coll prox, vel range.
  static constexpr std::array<std::string_view, 11> fieldNames{
      "txt_how_many_0", "txt_how_many_1", "txt_how_many_2", "txt_how_many_3",
      "txt_masses_0",   "txt_masses_1",   "txt_masses_2",   "txt_masses_3",
      "txtParticleRad", "txtProximity",   "txtVelRange"};
  std::string fieldText(std::string_view name) const;
  // Why "Run Simulation" would refuse the field's text (or, for coll prox, why it is not
  // taken), one reason a line; "" when it is fine.
  std::string fieldProblem(std::string_view name) const;
  // Shown in grey in an empty field: the proximity still in force.
  std::string fieldPlaceholder(std::string_view name) const;
  // The user changed a field's text. Unknown names are ignored.
  void typeInto(std::string_view name, std::string_view text);

  // Commands.
  void runSimulation();
  void pause();
  void restart();
  // Species row k (0..3): its colour as "#rrggbb", the caption colour that reads on it, and
  // the title of its colour picker.
  std::string speciesColor(int k) const;
  std::string captionColor(int k) const;
  std::string colorTitle(int k) const;
  // A colour chosen for row k, as "#rrggbb"; anything else changes nothing.
  void pickColor(int k, std::string_view hex);

  // The clock's interval in ms: 1 (full speed), or a slower pace; runs keep it.
  void setPace(int intervalMs);
  int pace() const { return paceInterval_; }
  // One tick while paused after a run, as the laboratory's Step.
  void stepOnce();
  bool timerEnabled() const { return timerEnabled_; }
  // The clock's interval in ms; 0 before the first run, when it never fires.
  int timerInterval() const { return timerInterval_; }
  // Where the last run's random numbers began: placing from it places the same gas.
  RunSeed runSeed() const { return runSeed_; }
  // The texts the last run was placed from, and the proximity typed then.
  const RunInput& lastRun() const { return lastRun_; }
  const std::string& lastProximity() const { return lastProximity_; }

  // Runs up to n ticks while the clock runs; a run-time error stops the clock and leaves a
  // message. Returns the ticks run.
  int tick(int n);
  // Whether the clock runs.
  bool running() const { return timerEnabled_ && timerInterval_ > 0; }
  bool hasRun() const { return timerInterval_ > 0; }

  // The readouts as the tick last wrote them: "Label1" (time), "Label2", "Label3" (the energy
  // sums) and "Label7" (the tracer's speed).
  std::string readout(std::string_view name) const;
  // Grows whenever a tick writes a readout, so a front end shows them only when they change.
  std::uint64_t readoutVersion() const { return readouts_.version_; }

  // The message to show the user since the last call, "" for none.
  std::string takeMessage();

  DrawingSurface& picture() { return picture_; }
  Simulation& model() { return model_; }
  const Simulation& model() const { return model_; }

 private:
  class Readouts : public TextDisplay {
   public:
    void show(Readout which, std::string_view text) override {
      text_[static_cast<std::size_t>(which)].assign(text);
      ++version_;
    }
    // Empty until the first tick: the page shows no placeholder where the time goes.
    std::array<std::string, 4> text_{};
    std::uint64_t version_ = 0;
  };

  int fieldIndex(std::string_view name) const;
  void fieldChanged(int f);
  RunInput runInput() const;
  void setTimer(bool enabled, int interval);
  // Runs a procedure; a run-time error stops the clock and becomes the message. Whether it
  // ran to its end.
  template <class F>
  bool guarded(std::string_view doing, F&& procedure);

  SeededGenerator& rnd_;
  Simulation model_;
  DrawingSurface& picture_;
  RunSeed runSeed_;
  Readouts readouts_;
  std::array<std::string, 11> texts_;
  std::array<std::string, 4> massIds_;
  bool timerEnabled_ = true;
  int timerInterval_ = 0;
  int paceInterval_ = 1;
  std::string message_;
  Listener* listener_ = nullptr;
  RunInput lastRun_;
  std::string lastProximity_;
};

}  // namespace km
