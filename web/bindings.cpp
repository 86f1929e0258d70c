// SPDX-License-Identifier: GPL-3.0-or-later
// The page's objects, as the script sees them: the page (the main window's rules, the picture's
// pixels, the frame pacing, the laboratory, setups and measurements) and the sweep a worker
// runs. Every text the page shows comes from here.
#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/val.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "golden_run.h"
#include "page_app.h"
#include "report_json.h"
#include "sweep_job.h"
#include "sweep_table.h"
#include "tick_timing.h"

namespace km {
namespace {

using emscripten::val;

// The time of day in the browser's time zone.
class LocalClock : public Clock {
 public:
  double secondsSinceMidnight() const override {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double fraction =
        duration<double>(now.time_since_epoch()).count() - static_cast<double>(t);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction;
  }
};

// [["name", "text"], ...] from the script.
std::vector<std::pair<std::string, std::string>> pairsOf(const val& list) {
  std::vector<std::pair<std::string, std::string>> out;
  const int n = list["length"].as<int>();
  for (int k = 0; k < n; ++k)
    out.emplace_back(list[k][0].as<std::string>(), list[k][1].as<std::string>());
  return out;
}

std::string pairsJson(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string out = "[";
  for (const auto& [name, text] : pairs)
    out += (out.size() > 1 ? "," : "") + std::string("[") + lab::jsonString(name) + "," +
           lab::jsonString(text) + "]";
  return out + "]";
}

class WebPage {
 public:
  WebPage() : app_(clock_, [] { return emscripten_get_now(); }) {}

  std::string caption(const std::string& name) const { return page().caption(name); }
  std::string fieldText(const std::string& name) const { return page().fieldText(name); }
  std::string fieldProblem(const std::string& name) const { return page().fieldProblem(name); }
  std::string fieldPlaceholder(const std::string& name) const {
    return page().fieldPlaceholder(name);
  }
  void typeInto(const std::string& name, const std::string& text) {
    app_.page().typeInto(name, text);
  }
  void runSimulation() { app_.page().runSimulation(); }
  void pause() { app_.page().pause(); }
  void restart() { app_.page().restart(); }
  std::string speciesColor(int k) const { return page().speciesColor(k); }
  std::string captionColor(int k) const { return page().captionColor(k); }
  std::string colorTitle(int k) const { return page().colorTitle(k); }
  void pickColor(int k, const std::string& hex) { app_.page().pickColor(k, hex); }
  bool running() const { return page().running(); }
  bool hasRun() const { return page().hasRun(); }
  std::string readout(const std::string& name) const { return page().readout(name); }
  std::string takeMessage() { return app_.page().takeMessage(); }

  int frame(double nowMs) { return app_.frame(nowMs); }
  std::string paceText() const { return app_.paceText(); }

  // The picture in device pixels, R, G, B, A bytes row after row.
  void resizePicture(int width, int height) { app_.picture().resize(width, height); }
  int pictureWidth() { return app_.picture().pixels().width(); }
  int pictureHeight() { return app_.picture().pixels().height(); }
  double pictureVersion() { return static_cast<double>(app_.picture().version()); }
  val pixels() {
    const PixelBuffer& p = app_.picture().pixels();
    return val(emscripten::typed_memory_view(p.byteCount(),
                                             reinterpret_cast<const unsigned char*>(p.data())));
  }

  // For the page's tests: particle i (placed) moved to (x, y) with mass m, as the desktop's
  // tests set up a run-time error.
  void setParticle(int i, double x, double y, double m) {
    State& s = app_.page().model().state();
    if (i < 1 || i > s.placedCount) return;
    s.posX(i) = x;
    s.posY(i) = y;
    s.partMass(i) = m;
  }

  // The laboratory.
  void openLab() { app_.openLab(); }
  void closeLab() { app_.closeLab(); }
  bool labOpen() { return app_.lab() != nullptr; }
  std::string labCaption(const std::string& name) const { return LabRules::caption(name); }
  std::string tabNames() const {
    std::string out = "[";
    for (std::string_view n : LabRules::tabNames)
      out += (out.size() > 1 ? "," : "") + lab::jsonString(std::string(n));
    return out + "]";
  }
  std::string paceNames() const {
    std::string out = "[";
    for (const std::string& n : LabRules::paceNames)
      out += (out.size() > 1 ? "," : "") + lab::jsonString(std::string(n));
    return out + "]";
  }
  std::string tabJson(int tab, int quantity) {
    return app_.lab() ? app_.lab()->tabJson(tab, quantity) : std::string();
  }
  void fieldEdited() {
    if (app_.lab()) app_.lab()->fieldEdited();
  }
  void fieldSettled() {
    if (app_.lab()) app_.lab()->fieldSettled();
  }
  void setPace(int index) {
    if (app_.lab()) app_.lab()->setPace(index);
  }
  int paceIndex() { return app_.lab() ? app_.lab()->paceIndex() : 0; }
  bool stepEnabled() { return app_.lab() && app_.lab()->stepEnabled(); }
  void step() {
    if (app_.lab()) app_.lab()->step();
  }
  bool ruleExact() { return app_.page().model().collisionRule() == CollisionRule::Exact; }
  void setRule(bool exact) {
    if (app_.lab()) app_.lab()->setRule(exact);
  }
  std::string heatFactorProblem(const std::string& text) {
    return LabRules::heatFactorProblem(text);
  }
  void heat(int species, const std::string& factor) {
    if (app_.lab()) app_.lab()->heat(species, factor);
  }
  void equalEnergies() {
    if (app_.lab()) app_.lab()->equalEnergies();
  }
  std::string speciesJson() { return app_.lab() ? app_.lab()->speciesJson() : "[]"; }
  // The walls: left, right, bottom and top, as the laboratory window has them.
  std::string wallTemperatureProblem(const std::string& text) {
    return LabRules::wallTemperatureProblem(text);
  }
  void setWalls(const std::string& left, const std::string& right, const std::string& bottom,
                const std::string& top) {
    if (app_.lab()) app_.lab()->setWalls({left, right, bottom, top});
  }
  void holdTemperature(const std::string& kT) {
    if (app_.lab()) app_.lab()->holdTemperature(kT);
  }
  void moveWall(const std::string& target, const std::string& speed) {
    if (app_.lab()) app_.lab()->moveWall(target, speed);
  }
  void setPiston(const std::string& pressure, const std::string& mass) {
    if (app_.lab()) app_.lab()->setPiston(pressure, mass);
  }
  // The field, the divider and each species' side, as the laboratory window has them.
  void setField(const std::string& g) {
    if (app_.lab()) app_.lab()->setField(g);
  }
  void openDivider(const std::string& width) {
    if (app_.lab()) app_.lab()->openDivider(width);
  }
  void closeDivider() {
    if (app_.lab()) app_.lab()->closeDivider();
  }
  void setSides(int s1, int s2, int s3, int s4) {
    if (app_.lab()) app_.lab()->setSides({s1, s2, s3, s4});
  }
  // [g, opening, s1, s2, s3, s4]: the field's and the opening's texts ("" for none) and each
  // species' side, 0 both, 1 left, 2 right.
  std::string fieldTexts() {
    if (!app_.lab()) return "[\"\",\"\",0,0,0,0]";
    std::string out = "[" + lab::jsonString(app_.lab()->fieldText()) + "," +
                      lab::jsonString(app_.lab()->dividerText());
    for (int s : app_.lab()->sides())
      out += "," + std::to_string(s);
    return out + "]";
  }
  std::string sideName(int k) {
    return k >= 0 && k < 3 ? LabRules::sideNames[static_cast<std::size_t>(k)] : std::string();
  }
  // The gas laws' processes, 0..4 as LabRules::gasLawNames has them.
  void startGasLaw(int process) {
    if (app_.lab()) app_.lab()->startGasLaw(process);
  }
  // ["", "40", "", ""]: each wall's kT as its field shows it, "" for one that reflects.
  std::string wallTexts() {
    std::string out = "[";
    if (app_.lab())
      for (const std::string& t : app_.lab()->wallTexts())
        out += (out.size() > 1 ? "," : "") + lab::jsonString(t);
    return out + "]";
  }
  std::string warmupProblem(const std::string& text) { return LabRules::warmupProblem(text); }
  void setWarmup(const std::string& text) {
    if (app_.lab()) app_.lab()->setWarmup(text);
  }
  double warmup() { return app_.lab() ? static_cast<double>(app_.lab()->warmup()) : 500; }
  std::string note() { return app_.lab() ? app_.lab()->note() : std::string(); }
  void setNote(const std::string& text) {
    if (app_.lab()) app_.lab()->setNote(text);
  }
  double labTicks() {
    return app_.lab() ? static_cast<double>(app_.lab()->laboratory().ticks()) : 0;
  }
  std::string exportFiles() {
    return app_.lab() ? pairsJson(app_.lab()->exportFiles()) : std::string("[]");
  }
  std::string sweepProblem(const std::string& discs, const std::string& etas,
                           const std::string& seeds, const std::string& warmup,
                           const std::string& ticks) {
    lab::SweepSettings s;
    return LabRules::readSweepSettings({discs, etas, seeds, warmup, ticks}, s);
  }
  std::string showSweep(const std::string& csv) {
    return app_.lab() ? app_.lab()->showSweep(csv) : std::string();
  }
  std::string sweepCsv() { return app_.lab() ? app_.lab()->sweepCsv() : std::string(); }
  std::string sweepProblems() { return app_.lab() ? app_.lab()->sweepProblems() : std::string(); }
  bool hasSweep() { return app_.lab() && app_.lab()->hasSweep(); }

  // Setups and measurements (the links and the scripting interface).
  std::string setup(const val& options) { return app_.setup(pairsOf(options)); }
  std::string setupOptions() const { return pairsJson(app_.setupOptions()); }
  int stepTicks(int n) { return app_.step(n); }
  double ticks() const { return static_cast<double>(app_.ticks()); }
  std::string measure() const { return app_.measureJson(); }

 private:
  const MainRules& page() const { return app_.page(); }

  LocalClock clock_;
  PageApp app_;
};

// A sweep in a worker: its settings as typed on the Equation of state tab.
class WebSweep {
 public:
  WebSweep(const std::string& discs, const std::string& etas, const std::string& seeds,
           const std::string& warmup, const std::string& ticks) {
    lab::SweepSettings s;
    problem_ = LabRules::readSweepSettings({discs, etas, seeds, warmup, ticks}, s);
    job_ = std::make_unique<SweepJob>(s);
  }
  std::string problem() const { return problem_; }
  double total() const { return problem_.empty() ? static_cast<double>(job_->total()) : 0; }
  // Runs the next run, calling progress(ticksDone) now and then; false when none was left.
  bool runNext(val progress) {
    if (!problem_.empty()) return false;
    return job_->runNext([&](long done) { progress(static_cast<double>(done)); });
  }
  std::string csv() const { return lab::sweepCsv(job_->rows()); }

 private:
  std::string problem_;
  std::unique_ptr<SweepJob> job_;
};

std::string goldenChecksumHex() {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(goldenChecksum()));
  return buf;
}

double tickMicroseconds(int particles, bool exact, int ticks, int repeats) {
  return medianTickMicroseconds(particles, exact ? CollisionRule::Exact : CollisionRule::Specified,
                                ticks, repeats, [] { return emscripten_get_now(); });
}

}  // namespace
}  // namespace km

EMSCRIPTEN_BINDINGS(kinetic_model) {
  using km::WebPage;
  using km::WebSweep;
  emscripten::class_<WebPage>("WebPage")
      .constructor<>()
      .function("caption", &WebPage::caption)
      .function("fieldText", &WebPage::fieldText)
      .function("fieldProblem", &WebPage::fieldProblem)
      .function("fieldPlaceholder", &WebPage::fieldPlaceholder)
      .function("typeInto", &WebPage::typeInto)
      .function("runSimulation", &WebPage::runSimulation)
      .function("pause", &WebPage::pause)
      .function("restart", &WebPage::restart)
      .function("speciesColor", &WebPage::speciesColor)
      .function("captionColor", &WebPage::captionColor)
      .function("colorTitle", &WebPage::colorTitle)
      .function("pickColor", &WebPage::pickColor)
      .function("running", &WebPage::running)
      .function("hasRun", &WebPage::hasRun)
      .function("readout", &WebPage::readout)
      .function("takeMessage", &WebPage::takeMessage)
      .function("frame", &WebPage::frame)
      .function("paceText", &WebPage::paceText)
      .function("resizePicture", &WebPage::resizePicture)
      .function("pictureWidth", &WebPage::pictureWidth)
      .function("pictureHeight", &WebPage::pictureHeight)
      .function("pictureVersion", &WebPage::pictureVersion)
      .function("pixels", &WebPage::pixels)
      .function("setParticle", &WebPage::setParticle)
      .function("openLab", &WebPage::openLab)
      .function("closeLab", &WebPage::closeLab)
      .function("labOpen", &WebPage::labOpen)
      .function("labCaption", &WebPage::labCaption)
      .function("tabNames", &WebPage::tabNames)
      .function("paceNames", &WebPage::paceNames)
      .function("tabJson", &WebPage::tabJson)
      .function("fieldEdited", &WebPage::fieldEdited)
      .function("fieldSettled", &WebPage::fieldSettled)
      .function("setPace", &WebPage::setPace)
      .function("paceIndex", &WebPage::paceIndex)
      .function("stepEnabled", &WebPage::stepEnabled)
      .function("step", &WebPage::step)
      .function("ruleExact", &WebPage::ruleExact)
      .function("setRule", &WebPage::setRule)
      .function("heatFactorProblem", &WebPage::heatFactorProblem)
      .function("heat", &WebPage::heat)
      .function("equalEnergies", &WebPage::equalEnergies)
      .function("speciesJson", &WebPage::speciesJson)
      .function("wallTemperatureProblem", &WebPage::wallTemperatureProblem)
      .function("setWalls", &WebPage::setWalls)
      .function("holdTemperature", &WebPage::holdTemperature)
      .function("moveWall", &WebPage::moveWall)
      .function("setPiston", &WebPage::setPiston)
      .function("wallTexts", &WebPage::wallTexts)
      .function("setField", &WebPage::setField)
      .function("openDivider", &WebPage::openDivider)
      .function("closeDivider", &WebPage::closeDivider)
      .function("setSides", &WebPage::setSides)
      .function("fieldTexts", &WebPage::fieldTexts)
      .function("sideName", &WebPage::sideName)
      .function("startGasLaw", &WebPage::startGasLaw)
      .function("warmupProblem", &WebPage::warmupProblem)
      .function("setWarmup", &WebPage::setWarmup)
      .function("warmup", &WebPage::warmup)
      .function("note", &WebPage::note)
      .function("setNote", &WebPage::setNote)
      .function("labTicks", &WebPage::labTicks)
      .function("exportFiles", &WebPage::exportFiles)
      .function("sweepProblem", &WebPage::sweepProblem)
      .function("showSweep", &WebPage::showSweep)
      .function("sweepCsv", &WebPage::sweepCsv)
      .function("sweepProblems", &WebPage::sweepProblems)
      .function("hasSweep", &WebPage::hasSweep)
      .function("setup", &WebPage::setup)
      .function("setupOptions", &WebPage::setupOptions)
      .function("stepTicks", &WebPage::stepTicks)
      .function("ticks", &WebPage::ticks)
      .function("measure", &WebPage::measure);
  emscripten::class_<WebSweep>("WebSweep")
      .constructor<std::string, std::string, std::string, std::string, std::string>()
      .function("problem", &WebSweep::problem)
      .function("total", &WebSweep::total)
      .function("runNext", &WebSweep::runNext)
      .function("csv", &WebSweep::csv);
  emscripten::function("goldenChecksum", &km::goldenChecksumHex);
  // For the benchmark: microseconds per drawn tick, the same run as web_tick_bench.
  emscripten::function("tickMicroseconds", &km::tickMicroseconds);
}
