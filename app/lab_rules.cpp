// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_rules.h"

#include <cmath>
#include <optional>

#include "conversions.h"
#include "lab_tabs.h"
#include "report_json.h"
#include "run_limits.h"
#include "sweep_table.h"
#include "tables.h"

namespace km {
namespace {

constexpr double lowestFactor = 0.01, highestFactor = 100;
const char* const factorRefusal = "The factor must be a number from 0.01 to 100.";

std::string trimmed(const std::string& s) {
  const auto from = s.find_first_not_of(" \t");
  if (from == std::string::npos) return {};
  return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

// A whole number typed, within [low, high].
bool wholeNumber(const std::string& text, double low, double high, double& out) {
  const NumericText n = readNumericText(trimmed(text));
  if (n.status != NumericText::Ok || n.value != std::floor(n.value) || n.value < low ||
      n.value > high)
    return false;
  out = n.value;
  return true;
}

// The typed list of numbers separated by commas, or false.
template <class T>
bool numbersOf(const std::string& text, std::vector<T>& out, double low, double high, bool whole) {
  out.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const NumericText n = readNumericText(
        trimmed(text.substr(start, comma == std::string::npos ? comma : comma - start)));
    if (n.status != NumericText::Ok || !(n.value >= low && n.value <= high)) return false;
    if (whole && n.value != std::floor(n.value)) return false;
    out.push_back(static_cast<T>(n.value));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !out.empty();
}

}  // namespace

const std::array<std::string, 4> LabRules::paceNames = {"full speed (1 ms)", "250 ticks/s",
                                                        "60 ticks/s", "10 ticks/s"};

std::string LabRules::caption(const std::string& id) {
  static const std::pair<const char*, const char*> captions[] = {
      {"labTitle", "Kinetic Model — Laboratory"},
      {"openLab", "Laboratory…"},
      {"closeLab", "Close"},
      {"paceBox", "Pace"},
      {"step", "Step"},
      {"stepTip", "Runs exactly one tick while the gas is paused."},
      {"ruleBox", "Collision rule"},
      {"ruleSpecified", "specified"},
      {"ruleExact", "exact hard discs"},
      {"ruleNote",
       "Specified: every pair closer than the proximity at a tick exchanges momentum, even while "
       "separating. Exact: discs meet at exactly the proximity, in time order, and bounce."},
      {"experimentBox", "Experiments"},
      {"heatSpeciesLabel", "species"},
      {"heatFactorLabel", "factor in energy"},
      {"heatFactor", "2"},
      {"heatFactorTip", "Energy factor from 0.01 to 100: above 1 heats, below 1 cools."},
      {"heat", "Heat / cool"},
      {"equalEnergies", "Equal energies"},
      {"equalEnergiesTip",
       "Gives every disc the gas's mean energy, directions kept: watch Maxwell–Boltzmann return."},
      {"wallsBox", "Walls"},
      {"wallLeftLabel", "left kT"},
      {"wallRightLabel", "right kT"},
      {"wallBottomLabel", "bottom kT"},
      {"wallTopLabel", "top kT"},
      {"wallTip", "The kT at which the wall holds the discs that meet it; empty: it reflects."},
      {"setWalls", "Set walls"},
      {"holdTemperature", "Hold temperature"},
      {"holdTemperatureTip",
       "All four walls at the kT typed beside, or at the gas's kT now when it is empty."},
      {"holdKTLabel", "at kT"},
      {"moveTargetLabel", "right wall to x"},
      {"moveTarget", "500"},
      {"moveSpeedLabel", "at u/tick"},
      {"moveSpeed", "0.1"},
      {"moveWall", "Move wall"},
      {"moveWallTip",
       "The right wall moves toward x at this speed: slow against the discs for a reversible "
       "compression, fast for a sudden one."},
      {"pistonPressureLabel", "piston P"},
      {"pistonPressure", "0.01"},
      {"pistonMassLabel", "mass"},
      {"pistonMass", "1000"},
      {"piston", "Piston"},
      {"pistonTip",
       "The right wall a piston of this mass in amu, pushed in by this pressure: the gas settles "
       "where it pushes back as hard."},
      {"fieldBox", "Field"},
      {"gravityLabel", "g"},
      {"gravity", "0.005"},
      {"gravityTip",
       "A uniform field toward the floor, in units per tick²: each species thins out with height "
       "on its own scale kT/(m·g). 0 for none."},
      {"setField", "Set field"},
      {"dividerBox", "Divider"},
      {"openingLabel", "opening"},
      {"opening", "40"},
      {"openingTip",
       "A wall down the middle of the box (x = 500) with an opening this many units high at its "
       "centre: the light species go through faster, as √(m₂/m₁)."},
      {"openDivider", "Open"},
      {"closeDivider", "Close"},
      {"closeDividerTip", "Closes the opening; Open with 1000 takes the divider away."},
      {"sidesLabel", "start"},
      {"sidesTip",
       "Where each species is placed at the next Run Simulation: on both sides, or on "
       "one side of the divider."},
      {"gasLawBox", "Gas laws"},
      {"gasLaw0", "Boyle"},
      {"gasLaw0Tip",
       "Walls at the gas's kT, then the right wall slowly in to half the area: P·A/(N·Z) stays "
       "at the walls' kT."},
      {"gasLaw1", "Charles"},
      {"gasLaw1Tip",
       "The right wall a heavy piston at the gas's pressure, then the walls heat the gas by half "
       "again: A/(kT·Z) stays at N/P."},
      {"gasLaw2", "Gay-Lussac"},
      {"gasLaw2Tip",
       "The walls stay where they are and heat the gas by half again: P/(kT·Z) stays at N/A."},
      {"gasLaw3", "Adiabat"},
      {"gasLaw3Tip",
       "Reflecting walls, the right wall slowly in to half the area: kT·(A − N·B₂) stays put in "
       "a dilute gas, kT·A in an ideal one."},
      {"gasLaw4", "Free expansion"},
      {"gasLaw4Tip",
       "Reflecting walls, the gas at x = 500, then the right wall withdrawn faster than any "
       "disc: no work, no heat, the same kT."},
      {"averageBox", "Averages"},
      {"warmupLabel", "warm-up"},
      {"warmupUnit", "ticks"},
      {"exportData", "Export data…"},
      {"saveCharts", "Save charts…"},
      {"copyLink", "Copy link"},
      {"speedQuantityLabel", "show"},
      {"speedQuantity0", "speed"},
      {"speedQuantity1", "velocity component x"},
      {"speedQuantity2", "velocity component y"},
      {"sweepDiscsLabel", "discs"},
      {"sweepDiscs", "500"},
      {"sweepSeedsLabel", "seeds"},
      {"sweepSeeds", "1"},
      {"sweepWarmupLabel", "warm-up"},
      {"sweepWarmup", "5000"},
      {"sweepTicksLabel", "averaged"},
      {"sweepTicks", "20000"},
      {"sweepEtasLabel", "packing fractions"},
      {"sweepEtas", "0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7"},
      {"runSweep", "Run sweep"},
      {"runSweepTip",
       "Runs each packing fraction with each seed under the exact rule, in the background; the "
       "gas on the page goes on."},
      {"stopSweep", "Stop"},
      {"loadSweep", "Load CSV…"},
      {"loadSweepTip", "Loads a sweep that kinetic-measure --sweep --format csv wrote."},
      {"saveSweep", "Save CSV…"},
      {"sweepIdle", "no sweep yet"},
      {"sweepRunning", "running"},
      {"sweepStopped", "stopped: the rows hold the runs that finished"},
      {"sweepDone", "done"},
      {"sweepLoaded", "loaded"},
      {"sweepFailed", "Some runs did not run:"},
      {"exported", "Data offered as five downloads."},
      {"chartsSaved", "Charts offered as downloads."},
      {"linkCopied", "Link copied:"},
      {"linkShown", "The link (copy it from here):"},
      // The desktop's own words around its folders (%1 is the folder, the failures or their
      // number).
      {"exportFolder", "Export the laboratory's data into"},
      {"exportFailed", "The data could not be written:\n\n%1"},
      {"exportedTo", "Data written to %1"},
      {"exportFailedNote", "Export failed: %1 of 5 files not written."},
      {"chartsFolder", "Save the charts into"},
      {"chartsFailed", "The charts could not be saved:\n\n%1"},
      {"chartsSavedTo", "Charts saved to %1"},
      {"chartsFailedNote", "Saving failed."},
  };
  for (const auto& [name, text] : captions)
    if (id == name) return text;
  return {};
}

LabRules::LabRules(MainRules& page, RunSeed seed) : page_(page), lab_(page.model()) {
  lab_.setSettings({500, 0});
  if (page_.hasRun()) runStarted(seed);
}

LabRules::~LabRules() {
  page_.setPace(1);
  page_.model().setCollisionRule(CollisionRule::Specified);
  // The walls are the laboratory's experiments: closed, the box has its four fixed reflecting
  // walls again.
  page_.model().boundaries().reset();
  page_.model().setStartSides({});
}

void LabRules::runStarted(RunSeed seed) {
  lab_.runStarted(seed);
  if (ruleExact()) lab_.restartAverages("rule: exact hard discs");
  // What the last run's experiments said is not about this one.
  note_.clear();
}

void LabRules::setPace(int index) {
  if (index >= 0 && index < 4) page_.setPace(paceIntervals[index]);
}

int LabRules::paceIndex() const {
  for (int k = 0; k < 4; ++k)
    if (paceIntervals[k] == page_.pace()) return k;
  return 0;
}

bool LabRules::ruleExact() const {
  return page_.model().collisionRule() == CollisionRule::Exact;
}

void LabRules::setRule(bool exact) {
  Simulation& sim = page_.model();
  const CollisionRule wanted = exact ? CollisionRule::Exact : CollisionRule::Specified;
  if (wanted == sim.collisionRule()) return;
  if (exact && page_.hasRun()) {
    // Discs that overlap now are pushed apart before the exact rule takes them; a gas too
    // dense for that stays under the specified rule.
    const std::string why = sim.separateOverlaps();
    if (!why.empty()) {
      note_ = why;
      return;
    }
  }
  sim.setCollisionRule(wanted);
  lab_.restartAverages(exact ? "rule: exact hard discs" : "rule: specified");
  note_ = exact ? "Exact hard discs from the next tick." : "The specified rule from the next tick.";
}

void LabRules::takeRule(bool exact) {
  page_.model().setCollisionRule(exact ? CollisionRule::Exact : CollisionRule::Specified);
}

std::string LabRules::heatFactorProblem(const std::string& text) {
  const NumericText f = readNumericText(text);
  const bool ok =
      f.status == NumericText::Ok && f.value >= lowestFactor && f.value <= highestFactor;
  return ok ? std::string() : factorRefusal;
}

void LabRules::heat(int species, const std::string& factorText) {
  if (!heatFactorProblem(factorText).empty()) {
    note_ = factorRefusal;
    return;
  }
  const std::string why = lab_.heat(species, readNumericText(factorText).value);
  note_ = why.empty()
              ? "Species " + std::to_string(species) + ": energy times " + trimmed(factorText) + "."
              : why;
}

void LabRules::equalEnergies() {
  if (!lab_.running()) {
    note_ = "No gas is running.";
    return;
  }
  lab_.equalEnergies();
  note_ = "Every disc now has the gas's mean energy.";
}

std::string LabRules::speciesJson() const {
  std::string out = "[";
  for (const lab::SpeciesResult& s : lab_.results().species) {
    if (out.size() > 1) out += ",";
    const std::string name = "species " + std::to_string(s.species) + " (" +
                             std::to_string(s.count) + (s.count == 1 ? " disc)" : " discs)");
    out += "[";
    out += std::to_string(s.species);
    out += ",";
    out += lab::jsonString(name);
    out += "]";
  }
  return out + "]";
}

namespace {

// A number typed, as the window reads numbers, or why not.
bool typedNumber(const std::string& text, double& out) {
  const NumericText n = readNumericText(trimmed(text));
  if (n.status != NumericText::Ok || !std::isfinite(n.value)) return false;
  out = n.value;
  return true;
}

const char* const wallRefusal =
    "A wall's kT must be a number above 0, or empty for a wall that reflects.";

}  // namespace

std::string LabRules::wallTemperatureProblem(const std::string& text) {
  double kT = 0;
  if (trimmed(text).empty()) return {};
  return typedNumber(text, kT) && kT > 0 ? std::string() : wallRefusal;
}

void LabRules::setWalls(const std::array<std::string, 4>& texts) {
  std::array<std::optional<double>, wallCount> kT;
  for (std::size_t w = 0; w < 4; ++w) {
    if (!wallTemperatureProblem(texts[w]).empty()) {
      note_ = wallRefusal;
      return;
    }
    double v = 0;
    if (typedNumber(texts[w], v)) kT[w] = v;
  }
  const std::string why = lab_.setWallHeat(kT);
  note_ = why.empty() ? lab_.history().events.back().what + "." : why;
}

void LabRules::holdTemperature(const std::string& kTText) {
  double kT = 0;
  if (trimmed(kTText).empty()) {
    kT = lab_.kTNow();
    if (!(kT > 0)) {
      note_ = "No gas is running: type the kT the walls are to hold.";
      return;
    }
  } else if (!typedNumber(kTText, kT) || !(kT > 0)) {
    note_ = wallRefusal;
    return;
  }
  const std::string text = lab::numberText(kT);
  setWalls({text, text, text, text});
}

void LabRules::moveWall(const std::string& targetText, const std::string& speedText) {
  double target = 0, speed = 0;
  if (!typedNumber(targetText, target) || !typedNumber(speedText, speed)) {
    note_ = "The wall's target and speed must be numbers.";
    return;
  }
  const std::string why = lab_.moveRightWall(target, speed);
  note_ = why.empty() ? lab_.history().events.back().what + "." : why;
}

void LabRules::setPiston(const std::string& pressureText, const std::string& massText) {
  double pressure = 0, mass = 0;
  if (!typedNumber(pressureText, pressure) || !typedNumber(massText, mass)) {
    note_ = "The piston's pressure and mass must be numbers.";
    return;
  }
  const std::string why = lab_.setPiston(pressure, mass);
  note_ = why.empty() ? lab_.history().events.back().what + "." : why;
}

std::array<std::string, 4> LabRules::wallTexts() const {
  std::array<std::string, 4> out;
  const Boundaries& b = page_.model().boundaries();
  for (std::size_t w = 0; w < 4; ++w) {
    const WallHeat& h = b.heat(static_cast<WallSide>(w));
    if (h.thermal) out[w] = lab::numberText(h.kT);
  }
  return out;
}

void LabRules::setField(const std::string& gText) {
  double g = 0;
  if (!gText.empty() && !typedNumber(gText, g)) {
    note_ = "The field must be a number of units per tick².";
    return;
  }
  const std::string why = lab_.setGravity(g);
  note_ = !why.empty() ? why
          : g > 0      ? "A field of " + lab::numberText(g) + " units per tick² toward the floor."
                       : std::string("No field.");
}

void LabRules::openDivider(const std::string& widthText) {
  double width = 0;
  if (!typedNumber(widthText, width)) {
    note_ = "The divider's opening must be a number of units.";
    return;
  }
  const std::string why = lab_.setDivider(width);
  note_ = !why.empty()    ? why
          : width >= 1000 ? std::string("No divider.")
          : !(width > 0)  ? std::string("The divider is closed.")
                          : "The divider's opening is " + lab::numberText(width) + " units high.";
}

void LabRules::closeDivider() {
  openDivider("0");
}

const std::array<std::string, 3> LabRules::sideNames = {"both", "left", "right"};

void LabRules::setSides(const std::array<int, 4>& sides) {
  std::array<StartSide, 4> s{};
  for (std::size_t k = 0; k < 4; ++k)
    s[k] = sides[k] == 1 ? StartSide::Left : sides[k] == 2 ? StartSide::Right : StartSide::Both;
  const std::string why = lab_.setStartSides(s);
  if (!why.empty()) {
    note_ = why;
    return;
  }
  note_ = "At the next Run Simulation:";
  for (std::size_t k = 0; k < 4; ++k)
    note_ += (k ? ", species " : " species ") + std::to_string(k + 1) +
             (s[k] == StartSide::Left    ? " on the left"
              : s[k] == StartSide::Right ? " on the right"
                                         : " on both sides");
  note_ += ".";
}

std::string LabRules::fieldText() const {
  const double g = page_.model().boundaries().gravity();
  return g > 0 ? lab::numberText(g) : std::string();
}

std::string LabRules::dividerText() const {
  const Boundaries& b = page_.model().boundaries();
  return b.divider() ? lab::numberText(b.opening()) : std::string();
}

std::array<int, 4> LabRules::sides() const {
  std::array<int, 4> out{};
  const std::array<StartSide, 4>& s = page_.model().startSides();
  for (std::size_t k = 0; k < 4; ++k)
    out[k] = s[k] == StartSide::Left ? 1 : s[k] == StartSide::Right ? 2 : 0;
  return out;
}

const std::array<std::string, 5> LabRules::gasLawNames = {
    std::string(lab::gasLawNames[0]), std::string(lab::gasLawNames[1]),
    std::string(lab::gasLawNames[2]), std::string(lab::gasLawNames[3]),
    std::string(lab::gasLawNames[4])};

void LabRules::startGasLaw(int process) {
  const std::string why = lab_.startGasLaw(process);
  note_ = why.empty() ? lab_.gasLaws().plan() : why;
}

std::string LabRules::warmupProblem(const std::string& text) {
  double ticks = 0;
  return wholeNumber(text, 0, lab::maxWarmupTicks, ticks) ? std::string() : warmupRefusal();
}

std::string LabRules::warmupRefusal() {
  return "The warm-up must be a whole number of ticks from 0 to " +
         std::to_string(lab::maxWarmupTicks) + ".";
}

void LabRules::setWarmup(const std::string& text) {
  double ticks = 0;
  if (!wholeNumber(text, 0, lab::maxWarmupTicks, ticks)) return;
  const long t = static_cast<long>(ticks);
  if (t == lab_.settings().warmup) return;
  lab_.setSettings({t, 0});
  lab_.restartAverages("warm-up " + std::to_string(t));
}

LabTab LabRules::tab(int index, int quantity) const {
  return labTab(index, quantity, lab_, page_.model(), rows_);
}

std::string LabRules::tabJson(int index, int quantity) const {
  return toJson(tab(index, quantity));
}

std::vector<std::pair<std::string, std::string>> LabRules::exportFiles() const {
  return lab::exportedFiles(lab_.results(), lab_.history());
}

std::string LabRules::readSweepSettings(const std::array<std::string, 5>& texts,
                                        lab::SweepSettings& s) {
  double discs = 0, warmup = 0, ticks = 0;
  // Every field refused is named, as "Run Simulation" names every one.
  std::vector<std::string> problems;
  if (!wholeNumber(texts[0], 1, 500, discs))
    problems.push_back("The number of discs must be a whole number from 1 to 500.");
  if (!numbersOf(texts[1], s.etas, 0.001, 0.8, false))
    problems.push_back(
        "The packing fractions must be numbers above 0 and at most 0.8, separated by commas.");
  if (!numbersOf(texts[2], s.seeds, 0, 4294967295.0, true))
    problems.push_back(
        "The seeds must be whole numbers from 0 to 4294967295, separated by commas.");
  if (!wholeNumber(texts[3], 0, lab::maxWarmupTicks, warmup)) problems.push_back(warmupRefusal());
  if (!wholeNumber(texts[4], 1, 10000000, ticks))
    problems.push_back("The ticks averaged must be a whole number from 1 to 10000000.");
  if (problems.size() == 1) return problems.front();
  if (!problems.empty()) {
    std::string text = "The sweep cannot start:\n";
    for (const std::string& p : problems)
      text += "\n\u2022 " + p;
    return text;
  }
  s.discs = static_cast<int>(discs);
  s.warmup = static_cast<long>(warmup);
  s.ticks = static_cast<long>(ticks);
  s.rule = CollisionRule::Exact;
  s.jobs = 1;
  return {};
}

std::string LabRules::showSweep(const std::string& csv) {
  std::string problem;
  std::vector<lab::SweepRow> rows = lab::readSweepCsv(csv, problem);
  if (!problem.empty()) return "The sweep could not be read:\n\n" + problem;
  rows_ = std::move(rows);
  return {};
}

std::string LabRules::sweepProblems() const {
  std::string lines;
  for (const lab::SweepRow& r : rows_)
    if (!r.problem.empty()) lines += "\nη = " + lab::numberText(r.eta) + ": " + r.problem;
  return lines.empty() ? lines : "Some runs did not run:\n" + lines;
}

std::string LabRules::sweepCsv() const {
  return lab::sweepCsv(rows_);
}

}  // namespace km
