// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_app.h"

#include <sstream>

#include "headless_run.h"
#include "measure_options.h"
#include "messages.h"
#include "report_json.h"
#include "summary.h"

namespace km {
namespace {

// The names a setup takes: kinetic-measure's options that describe a gas and its measuring.
constexpr const char* setupNames[] = {
    "counts", "masses",           "radius",    "proximity", "vel-range", "seed",    "draws", "rule",
    "warmup", "wall-temperature", "move-wall", "piston",    "gravity",   "divider", "sides"};

// kinetic-measure's words name its options "--name"; here they are the setup's names.
std::string withoutDashes(std::string text) {
  for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at))
    text.erase(at, 2);
  return text;
}

// A value for a link: the field's text without the blanks around it, which a number's text
// carries and which read the same without.
std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The walls, by kinetic-measure's options, where they do more than reflect from fixed places:
// each wall's kT ("-" reflecting), the moving right wall from the tick it starts in the walls'
// count, or the piston. Numbers in the shortest text that reads back to them.
void wallOptions(const Boundaries& b, std::vector<std::pair<std::string, std::string>>& out) {
  std::string kT;
  bool thermal = false;
  for (int w = 0; w < wallCount; ++w) {
    const WallHeat& h = b.heat(static_cast<WallSide>(w));
    if (w) kT += ',';
    kT += h.thermal ? lab::jsonNumber(h.kT) : std::string("-");
    thermal = thermal || h.thermal;
  }
  if (thermal) out.emplace_back("wall-temperature", kT);
  const RightWallMotion& m = b.motion();
  if (m.kind == RightWallMotion::Kind::Moving)
    out.emplace_back("move-wall", lab::jsonNumber(m.target) + "," + lab::jsonNumber(m.speed) + "," +
                                      std::to_string(m.start));
  if (m.kind == RightWallMotion::Kind::Piston)
    out.emplace_back("piston", lab::jsonNumber(m.pressure) + "," + lab::jsonNumber(m.mass));
  if (b.gravity() > 0) out.emplace_back("gravity", lab::jsonNumber(b.gravity()));
  if (b.divider()) out.emplace_back("divider", lab::jsonNumber(b.opening()));
}

// Each species' side, where one is not placed on both.
void sideOptions(const std::array<StartSide, 4>& sides,
                 std::vector<std::pair<std::string, std::string>>& out) {
  if (sides == std::array<StartSide, 4>{}) return;
  std::string text;
  for (std::size_t k = 0; k < 4; ++k)
    text += std::string(k ? "," : "") + (sides[k] == StartSide::Left    ? "left"
                                         : sides[k] == StartSide::Right ? "right"
                                                                        : "both");
  out.emplace_back("sides", text);
}

}  // namespace

PageApp::PageApp(const Clock& clock, std::function<double()> nowMs)
    : page_(rnd_, clock, picture_), now_(std::move(nowMs)) {
  page_.setListener(this);
}

PageApp::~PageApp() {
  lab_.reset();
  page_.setListener(nullptr);
}

int PageApp::frame(double nowMs) {
  pacer_.setInterval(page_.pace());
  if (!page_.running()) {
    pacer_.stop();
    return 0;
  }
  return runFrame(
      pacer_, nowMs, [this](int n) { return page_.tick(n); }, now_);
}

std::string PageApp::paceText() const {
  return page_.running() ? pacer_.paceText() : std::string();
}

void PageApp::openLab() {
  if (!lab_) lab_ = std::make_unique<LabRules>(page_, page_.runSeed());
}

void PageApp::closeLab() {
  lab_.reset();
}

void PageApp::beforePlacing() {
  if (fixedSeed_) rnd_.restart(*fixedSeed_);
}

void PageApp::runStarted() {
  ticks_ = 0;
  if (lab_) lab_->runStarted(page_.runSeed());
}

void PageApp::ticked() {
  ++ticks_;
  if (lab_) lab_->ticked();
}

std::string PageApp::setup(const std::vector<std::pair<std::string, std::string>>& options) {
  std::vector<std::string> args, problems;
  for (const auto& [name, value] : options) {
    bool known = false;
    for (const char* n : setupNames)
      known = known || name == n;
    if (!known)
      problems.push_back("unknown setting \"" + name + "\"");
    else
      args.push_back("--" + name + "=" + value);
  }
  const measure::Parsed p = measure::parseOptions(args);
  for (const std::string& problem : p.problems)
    problems.push_back(withoutDashes(problem));
  if (!problems.empty()) return cannotStartMessage(problems);

  const measure::Options& o = p.options;
  for (int k = 0; k < 4; ++k) {
    page_.typeInto(MainRules::fieldNames[static_cast<std::size_t>(k)], o.input.rows.counts[k]);
    page_.typeInto(MainRules::fieldNames[static_cast<std::size_t>(4 + k)], o.input.rows.masses[k]);
  }
  page_.typeInto("txtParticleRad", o.input.radius);
  page_.typeInto("txtProximity", o.proximity);
  page_.typeInto("txtVelRange", o.input.velocityRange);
  fixedSeed_ = RunSeed{o.seed, o.draws};
  openLab();
  lab_->takeRule(o.rule == "exact");
  lab_->setWarmup(std::to_string(o.warmup));
  // The walls are the setup's alone: those of an earlier gas go. The divider and the sides
  // place the discs, as kinetic-measure's do.
  page_.model().boundaries().reset();
  page_.model().setStartSides(o.sides);
  if (o.walls.divider) page_.model().boundaries().setDivider(*o.walls.divider);
  // The field too, so that the laboratory's starting energy holds its potential part.
  if (o.walls.gravity) page_.model().boundaries().setGravity(*o.walls.gravity);
  page_.runSimulation();
  const std::string refused = page_.takeMessage();
  if (!refused.empty()) return refused;
  page_.pause();
  // Set on the gas placed, before its first tick, as kinetic-measure sets them.
  try {
    lab::setWalls(page_.model(), o.walls);
  } catch (const lab::Refused& why) {
    page_.model().boundaries().reset();
    return cannotStartMessage({why.what()});
  }
  return {};
}

std::vector<std::pair<std::string, std::string>> PageApp::setupOptions() const {
  // After a run, the texts it was placed from: the gas on screen, whatever was typed since.
  const bool ran = page_.hasRun();
  RunInput input;
  if (ran) {
    input = page_.lastRun();
  } else {
    for (int k = 0; k < 4; ++k) {
      input.rows.counts[k] = page_.fieldText(MainRules::fieldNames[static_cast<std::size_t>(k)]);
      input.rows.masses[k] =
          page_.fieldText(MainRules::fieldNames[static_cast<std::size_t>(4 + k)]);
    }
    input.radius = page_.fieldText("txtParticleRad");
    input.velocityRange = page_.fieldText("txtVelRange");
  }
  auto four = [](const auto& texts) {
    std::string out;
    for (int k = 0; k < 4; ++k) {
      if (k) out += ',';
      out += trimmed(texts[k]);
    }
    return out;
  };
  std::vector<std::pair<std::string, std::string>> out = {
      {"counts", four(input.rows.counts)},
      {"masses", four(input.rows.masses)},
      {"radius", trimmed(input.radius)},
      {"proximity", trimmed(ran ? page_.lastProximity() : page_.fieldText("txtProximity"))},
      {"vel-range", trimmed(input.velocityRange)}};
  if (ran) {
    out.emplace_back("seed", std::to_string(page_.runSeed().seed));
    out.emplace_back("draws", std::to_string(page_.runSeed().draws));
  }
  // The rule and the warm-up are the laboratory's: a link names them only while it is open,
  // and a link that names neither leaves it closed.
  if (lab_) {
    const bool exact = page_.model().collisionRule() == CollisionRule::Exact;
    out.emplace_back("rule", exact ? "exact" : "specified");
    out.emplace_back("warmup", std::to_string(lab_->warmup()));
    wallOptions(page_.model().boundaries(), out);
    sideOptions(page_.model().startSides(), out);
  }
  return out;
}

int PageApp::step(int n) {
  int done = 0;
  for (; done < n && page_.hasRun(); ++done) {
    const long before = ticks_;
    if (page_.running())
      page_.tick(1);
    else
      page_.stepOnce();
    // A run-time error stopped the clock: the message says why.
    if (ticks_ == before) break;
  }
  return done;
}

std::string PageApp::measureJson() const {
  if (!lab_) return {};
  const lab::Results r = lab_->laboratory().results();
  lab::RunSettings s;
  s.input = page_.lastRun();
  s.proximity = page_.lastProximity();
  s.rule = page_.model().collisionRule() == CollisionRule::Exact ? "exact" : "specified";
  s.seed = r.seed.seed;
  s.draws = r.seed.draws;
  s.warmup = r.warmup;
  s.ticks = r.measuredTicks;
  std::ostringstream out;
  lab::writeJson(out, s, r, -1, lab::summarize(r));
  return out.str();
}

}  // namespace km
