// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_rules.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "conversions.h"
#include "lab_tabs.h"
#include "messages.h"
#include "run_error.h"

namespace km {
namespace {

enum : int { kCount0 = 0, kMass0 = 4, kRadius = 8, kProximity = 9, kVelRange = 10 };

}  // namespace

template <class F>
bool MainRules::guarded(std::string_view doing, F&& procedure) {
  try {
    procedure();
    return true;
  } catch (const RunError& e) {
    message_ = stoppedMessage(doing, e);
    setTimer(false, timerInterval_);
    if (listener_) listener_->messageLeft();
    return false;
  }
}

MainRules::MainRules(SeededGenerator& rnd, const Clock& clock, DrawingSurface& picture)
    : rnd_(rnd), model_(rnd, clock), picture_(picture) {
  texts_[kRadius] = "12";
  texts_[kProximity] = "24";
  texts_[kVelRange] = "20";
  // The desktop window's start-up, each text set as the window sets it (and taken as typed).
  guarded("starting up", [this] {
    model_.startUp(picture_);
    for (int i = 0; i <= 3; ++i) {
      massIds_[i] = "mass #" + Str(Cell(i + 1));
      typeInto(fieldNames[kMass0 + i], Str(pow(Cell(4), Cell(i))));
      typeInto(fieldNames[kCount0 + i], Str(Cell(2) * pow(Cell(4), Cell(2 - i))));
      typeInto(fieldNames[kCount0 + 3], "1");
      model_.setDefaultSpeciesColors();
    }
  });
}

std::string MainRules::caption(std::string_view name) const {
  static const std::pair<std::string_view, std::string_view> fixed[] = {
      {"KineticModel", "Kinetic Model (monatomic)"},
      {"Picture1", "The gas: each disc in its species' colour, particle 1 leaving a trail"},
      {"message", "Kinetic Model"},
      {"messageOk", "OK"},
      {"runSImulation", "Run Simulation"},
      {"cmd_stop_simulation", "pause"},
      {"Command2", "restart"},
      {"mass_in_amu", "mass in amu"},
      {"number_of_masses", "number of masses"},
      {"lblVelRange", "vel range"},
      {"lblProximity", "coll prox"},
      {"lbl_particleRadius", "part rad"},
      {"Label4", "KE_x:"},
      {"Label5", "KE_y:"},
      {"Label6", "speed"},
      // The page's own words: what the program is, what the readouts mean, what each setting
      // does (shown on hover and focus).
      {"heading", "Kinetic Model"},
      {"intro",
       "A gas of hard discs bouncing in a square box. Choose how many discs of each mass, then "
       "press Run Simulation; the Laboratory measures the gas while it runs."},
      {"timeCaption", "time of day"},
      {"Label1.unit", "at the last tick"},
      {"Label7.unit", "disc 1, the one with the trail: 0.7 \u00d7 its speed in box units a tick"},
      {"Label2.unit", "\u03a3 m\u00b7vx\u00b2 over all discs, in amu \u00b7 (units a tick)\u00b2"},
      {"Label3.unit", "\u03a3 m\u00b7vy\u00b2 over all discs, in amu \u00b7 (units a tick)\u00b2"},
      {"runSImulation.hint", "Places the discs at random with random speeds and starts the gas."},
      {"cmd_stop_simulation.hint", "Stops the clock; the gas stays as it is."},
      {"Command2.hint", "Starts the clock again after pause."},
      {"txtVelRange.hint",
       "Velocity range: kept as typed but not read; the speeds' spread stays 20 units a tick."},
      {"txtProximity.hint",
       "Collision proximity: two discs collide when their centres come closer than this, in box "
       "units (the box is 1000 across). Taken as typed."},
      {"txtParticleRad.hint",
       "Particle radius in box units (the box is 1000 across), used when the gas is next placed."},
      {"mass.hint", "Mass of each disc of this species, in atomic mass units (amu)."},
      {"count.hint", "How many discs of this species; 0 leaves the species out."},
      {"color.hint", "The colour the species' discs are drawn in."},
      // The desktop's own words: the readout it shows before the first tick, its Quit button,
      // the picture's tip, its context menu and its About box (%1 is the version).
      {"Label1", "Label1"},
      {"cmd_exit_program", "Quit "},
      {"Picture1.tip", "Right-click for the laboratory (Ctrl+L)"},
      {"menuLaboratory", "Laboratory\u2026"},
      {"menuAbout", "About Kinetic Model\u2026"},
      {"aboutTitle", "About Kinetic Model"},
      {"aboutText",
       "<b>Kinetic Model</b> %1<br><br>A two-dimensional gas of hard discs in a box, to see and "
       "measure kinetic theory: equal energy per species whatever the mass, the "
       "Maxwell\u2013Boltzmann speeds, the pressure and the random walk of one particle.<br><br>"
       "Free software under the GNU General Public License, version 3 or later."},
  };
  for (const auto& [n, text] : fixed)
    if (n == name) return std::string(text);
  for (int k = 0; k < 4; ++k) {
    const std::string index = std::to_string(k);
    if (name == "lbl_mass_id_" + index) return massIds_[k];
    if (name == "lbl_how_many_m_" + index) return "how many?";
    if (name == "cmd_color_" + index) return "color";
  }
  return {};
}

int MainRules::fieldIndex(std::string_view name) const {
  for (std::size_t f = 0; f < fieldNames.size(); ++f)
    if (fieldNames[f] == name) return static_cast<int>(f);
  return -1;
}

std::string MainRules::fieldText(std::string_view name) const {
  const int f = fieldIndex(name);
  return f < 0 ? std::string() : texts_[f];
}

RunInput MainRules::runInput() const {
  RunInput input;
  for (int k = 0; k < 4; ++k) {
    input.rows.counts[k] = texts_[kCount0 + k];
    input.rows.masses[k] = texts_[kMass0 + k];
  }
  input.radius = texts_[kRadius];
  input.velocityRange = texts_[kVelRange];
  return input;
}

std::string MainRules::fieldProblem(std::string_view name) const {
  const int f = fieldIndex(name);
  if (f < 0) return {};
  if (f == kProximity) return proximityProblem(texts_[kProximity], model_.state().collProx);
  const auto problems = checkRunInput(runInput());
  if (f < kMass0) return problemsOf(problems, Field::Count, f - kCount0);
  if (f < kRadius) return problemsOf(problems, Field::Mass, f - kMass0);
  return problemsOf(problems, f == kRadius ? Field::Radius : Field::VelocityRange, -1);
}

std::string MainRules::fieldPlaceholder(std::string_view name) const {
  if (fieldIndex(name) != kProximity) return {};
  return readerText(model_.state().collProx);
}

void MainRules::typeInto(std::string_view name, std::string_view text) {
  const int f = fieldIndex(name);
  if (f < 0) return;
  texts_[f] = std::string(text);
  fieldChanged(f);
}

// Nothing typed stops the clock. A count or mass total that overflows is not taken: the gas
// runs on the last total that was a number, and the field's mark says what overflows.
void MainRules::fieldChanged(int f) {
  const std::string& text = texts_[f];
  try {
    if (f < kMass0)
      model_.takeSpeciesCount(f - kCount0, text);
    else if (f < kRadius)
      model_.takeSpeciesMass(f - kMass0, text);
    else if (f == kRadius)
      model_.takeParticleRadius(text);
    // A proximity that is no number, or out of range, is not taken: the last one stays.
    else if (f == kProximity && isUsableProximity(text))
      model_.takeProximity(text);
  } catch (const RunError&) {
  }
}

void MainRules::runSimulation() {
  const RunInput input = runInput();
  const auto problems = checkRunInput(input);
  if (!problems.empty()) {
    std::vector<std::string> reasons;
    for (const auto& p : problems)
      reasons.push_back(p.message);
    message_ = cannotStartMessage(reasons);
    if (listener_) listener_->messageLeft();
    return;
  }
  std::string doesNotFit;
  const bool placed = guarded("starting the run", [&] {
    picture_.setBackColor(0);
    model_.takeVelocityScale(input.velocityRange);
    model_.SetUpSpecies(input.rows);
    // A new run fills the whole box: a right wall moved or made a piston goes back to x = 1000,
    // fixed, and the walls count their ticks from this run; each wall keeps its kT, and the
    // field and the divider stay as they were, for the sides to place the discs by.
    Boundaries& walls = model_.boundaries();
    std::array<WallHeat, wallCount> heat;
    for (int w = 0; w < wallCount; ++w)
      heat[static_cast<std::size_t>(w)] = walls.heat(static_cast<WallSide>(w));
    const double g = walls.gravity(), opening = walls.opening();
    walls.reset();
    for (int w = 0; w < wallCount; ++w)
      if (heat[static_cast<std::size_t>(w)].thermal)
        walls.setHeat(static_cast<WallSide>(w), heat[static_cast<std::size_t>(w)]);
    walls.setGravity(g);
    walls.setDivider(opening);
    if (listener_) listener_->beforePlacing();
    runSeed_ = rnd_.position();
    model_.PlaceParticles(picture_);
    // Exact hard discs must start apart; a gas too dense for that does not start.
    if (model_.collisionRule() == CollisionRule::Exact) doesNotFit = model_.separateOverlaps();
  });
  if (!placed) return;
  if (!doesNotFit.empty()) {
    // As before any run: "restart" must not set a gas going that could not start.
    setTimer(false, 0);
    message_ = cannotStartMessage({doesNotFit});
    if (listener_) listener_->messageLeft();
    return;
  }
  lastRun_ = input;
  lastProximity_ = texts_[kProximity];
  setTimer(true, paceInterval_);
  if (listener_) listener_->runStarted();
}

void MainRules::setPace(int intervalMs) {
  paceInterval_ = intervalMs;
  // Before the first run the interval stays 0, so that "restart" still starts nothing.
  if (timerInterval_ > 0) setTimer(timerEnabled_, intervalMs);
}

void MainRules::stepOnce() {
  if (!hasRun() || timerEnabled_) return;
  if (guarded("running the simulation", [this] { model_.Timer1_Timer(picture_, readouts_); }) &&
      listener_)
    listener_->ticked();
}

void MainRules::pause() {
  setTimer(false, timerInterval_);
}

void MainRules::restart() {
  setTimer(true, timerInterval_);
}

std::string MainRules::speciesColor(int k) const {
  if (k < 0 || k > 3) return {};
  return hexColor(model_.state().speciesColor(k + 1).toIndex());
}

std::string MainRules::captionColor(int k) const {
  if (k < 0 || k > 3) return {};
  const Color c = model_.state().speciesColor(k + 1).toIndex();
  // The desktop's grey level (11 r + 16 g + 5 b) / 32: white on a dark face, black on a light.
  const int grey = ((c & 255) * 11 + ((c >> 8) & 255) * 16 + ((c >> 16) & 255) * 5) / 32;
  return grey < 110 ? "white" : "black";
}

std::string MainRules::colorTitle(int k) const {
  if (k < 0 || k > 3) return {};
  return "Select color for mass # " + Str(Cell(k + 1));
}

void MainRules::pickColor(int k, std::string_view hex) {
  if (k < 0 || k > 3 || hex.size() != 7 || hex[0] != '#') return;
  int rgb[3];
  for (int c = 0; c < 3; ++c) {
    int v = 0;
    for (char ch : hex.substr(1 + 2 * c, 2)) {
      const int d = ch >= '0' && ch <= '9'   ? ch - '0'
                    : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                    : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                             : -1;
      if (d < 0) return;
      v = v * 16 + d;
    }
    rgb[c] = v;
  }
  model_.takeSpeciesColor(k, RGB(rgb[0], rgb[1], rgb[2]));
}

int MainRules::tick(int n) {
  int done = 0;
  while (done < n && running()) {
    if (!guarded("running the simulation", [this] { model_.Timer1_Timer(picture_, readouts_); }))
      break;
    if (listener_) listener_->ticked();
    ++done;
  }
  return done;
}

std::string MainRules::readout(std::string_view name) const {
  static constexpr std::string_view names[] = {"Label1", "Label2", "Label3", "Label7"};
  for (std::size_t k = 0; k < 4; ++k)
    if (names[k] == name) return readouts_.text_[k];
  return {};
}

std::string MainRules::takeMessage() {
  return std::exchange(message_, std::string());
}

void MainRules::setTimer(bool enabled, int interval) {
  timerEnabled_ = enabled;
  timerInterval_ = interval;
  if (listener_) listener_->clockChanged();
}

}  // namespace km
