// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clock.h"
#include "lab_rules.h"
#include "main_rules.h"
#include "pacer.h"
#include "random_source.h"
#include "raster_surface.h"

namespace km {

// The whole page: the main part (MainRules), its frame pacing, the laboratory while it is
// open, a setup given by name (the link's parameters, the scripting interface) and the
// measurements as kinetic-measure reports them.
class PageApp : private MainRules::Listener {
 public:
  PageApp(const Clock& clock, std::function<double()> nowMs);
  ~PageApp() override;

  MainRules& page() { return page_; }
  const MainRules& page() const { return page_; }
  RasterSurface& picture() { return picture_; }

  // One display frame at `nowMs`: the ticks the frame owes and affords. Returns the ticks run.
  int frame(double nowMs);
  std::string paceText() const;

  void openLab();
  void closeLab();
  LabRules* lab() { return lab_.get(); }

  // A setup by kinetic-measure's option names (counts, masses, radius, proximity, vel-range,
  // seed, rule, warmup, wall-temperature, move-wall, piston), each as "name" and its text; what
  // is not named takes kinetic-measure's default. Fills the fields, opens the laboratory with
  // the rule, warm-up and walls, fixes the seed, places the gas as "Run Simulation" and leaves
  // it paused. "" when done, else why not.
  std::string setup(const std::vector<std::pair<std::string, std::string>>& options);
  // The present setup by the same names, for a link that sets it up again.
  std::vector<std::pair<std::string, std::string>> setupOptions() const;
  // Runs n ticks now, whether the clock runs or not; stops at a run-time error. Returns the
  // ticks run.
  int step(int n);
  // Ticks since the gas was placed.
  long ticks() const { return ticks_; }
  // The laboratory's measurements as `kinetic-measure --format json` prints them; "" while the
  // laboratory is closed.
  std::string measureJson() const;
  // The seed and draws fixed for every run, if a setup fixed them.
  std::optional<RunSeed> fixedSeed() const { return fixedSeed_; }
  // Where the present run's random numbers began: a link with it places the same gas.
  RunSeed runSeed() const { return page_.runSeed(); }

 private:
  void beforePlacing() override;
  void runStarted() override;
  void ticked() override;

  SeededGenerator rnd_;
  RasterSurface picture_;
  MainRules page_;
  Pacer pacer_;
  std::function<double()> now_;
  std::unique_ptr<LabRules> lab_;
  std::optional<RunSeed> fixedSeed_;
  long ticks_ = 0;
};

}  // namespace km
