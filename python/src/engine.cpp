// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "gas_picture.h"
#include "lab_tabs.h"
#include "raster_surface.h"
#include "report_json.h"
#include "summary.h"
#include "tables.h"

namespace py = pybind11;

namespace km::python {

Engine::Engine(const GasArguments& arguments)
    : setup_(gasSetup(arguments)), gas_(setup_), particles_(gas_.particles()) {}

std::unique_lock<TurnLock> Engine::hold() const {
  std::unique_lock<TurnLock> lock(turns_, std::try_to_lock);
  if (!lock.owns_lock()) {
    const py::gil_scoped_release released;
    lock.lock();
  }
  return lock;
}

void Engine::step(long long n) {
  if (n < 0) throw std::invalid_argument("n must be 0 or more ticks, not " + std::to_string(n));
  using Clock = std::chrono::steady_clock;
  while (n > 0) {
    {
      const py::gil_scoped_release released;
      const std::lock_guard<TurnLock> lock(turns_);
      const Clock::time_point until = Clock::now() + std::chrono::milliseconds(20);
      do {
        gas_.step();
        --n;
      } while (n > 0 && Clock::now() < until);
    }
    if (n > 0 && PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
}

long Engine::ticks() const {
  const auto lock = hold();
  return gas_.ticks();
}

py::array_t<double> Engine::positions() const {
  py::array_t<double> a({particles_, 2});
  const auto lock = hold();
  gas_.positions({a.mutable_data(), static_cast<std::size_t>(a.size())});
  return a;
}

py::array_t<double> Engine::velocities() const {
  py::array_t<double> a({particles_, 2});
  const auto lock = hold();
  gas_.velocities({a.mutable_data(), static_cast<std::size_t>(a.size())});
  return a;
}

py::array_t<double> Engine::masses() const {
  py::array_t<double> a(particles_);
  const auto lock = hold();
  gas_.masses({a.mutable_data(), static_cast<std::size_t>(a.size())});
  return a;
}

py::array_t<int> Engine::species() const {
  py::array_t<int> a(particles_);
  const auto lock = hold();
  gas_.species({a.mutable_data(), static_cast<std::size_t>(a.size())});
  return a;
}

double Engine::energy() const {
  const auto lock = hold();
  return gas_.laboratory().totalEnergy();
}

std::string Engine::resultsJson() const {
  const auto lock = hold();
  lab::RunSettings s;
  s.input = {setup_.rows, setup_.radius, setup_.velocityRange};
  s.proximity = setup_.proximity;
  s.rule = ruleName(gas_.simulation().collisionRule());
  s.seed = setup_.seed;
  s.draws = setup_.draws;
  const lab::Results results = gas_.laboratory().results();
  s.warmup = results.warmup;
  s.ticks = results.measuredTicks;
  std::ostringstream out;
  lab::writeJson(out, s, results, -1, lab::summarize(results));
  return out.str();
}

std::string Engine::tabJson(int index, int quantity, const std::vector<lab::SweepRow>& rows) const {
  const auto lock = hold();
  return toJson(labTab(index, quantity, gas_.laboratory(), gas_.simulation(), rows));
}

py::array_t<std::uint8_t> Engine::picture(int width) const {
  if (width < 1 || width > 4096)
    throw std::invalid_argument("width must be a whole number of pixels from 1 to 4096, not " +
                                std::to_string(width));
  RasterSurface surface;
  surface.resize(width, width);
  {
    const auto lock = hold();
    drawGas(gas_.simulation(), surface);
  }
  py::array_t<std::uint8_t> a({width, width, 4});
  std::memcpy(a.mutable_data(), surface.pixels().data(), surface.pixels().byteCount());
  return a;
}

std::string Engine::timeSeriesCsv() const {
  const auto lock = hold();
  return lab::timeSeriesCsv(gas_.laboratory().history());
}

std::string Engine::eventsCsv() const {
  const auto lock = hold();
  return lab::eventsCsv(gas_.laboratory().history());
}

std::string Engine::histogramsCsv() const {
  const auto lock = hold();
  return lab::histogramsCsv(gas_.laboratory().results());
}

std::string Engine::msdCsv() const {
  const auto lock = hold();
  return lab::msdCsv(gas_.laboratory().results());
}

lab::SweepRow Engine::sweepRun() const {
  const auto lock = hold();
  return lab::runRow(gas_.laboratory().results());
}

void Engine::heat(int species, double factor) {
  const auto lock = hold();
  if (const std::string why = gas_.laboratory().heat(species, factor); !why.empty())
    throw std::invalid_argument(why);
  operations_.push_back({gas_.ticks(), "heat", {static_cast<double>(species), factor}, {}});
}

void Engine::equalEnergies() {
  const auto lock = hold();
  gas_.laboratory().equalEnergies();
  operations_.push_back({gas_.ticks(), "equal_energies", {}, {}});
}

void Engine::exportData(const std::string& folder) const {
  std::string failed;
  {
    const auto lock = hold();
    failed = lab::exportInto(folder, gas_.laboratory().results(), gas_.laboratory().history());
  }
  if (!failed.empty()) {
    PyErr_SetString(PyExc_OSError, ("files not written into " + folder + ":\n" + failed).c_str());
    throw py::error_already_set();
  }
}

std::pair<std::vector<Engine::Operation>, long> Engine::replay() const {
  const auto lock = hold();
  return {operations_, gas_.ticks()};
}

void Engine::setRule(const std::string& rule) {
  const CollisionRule wanted = ruleOf(rule);
  const auto lock = hold();
  if (const std::string why = gas_.setRule(wanted); !why.empty()) throw lab::Refused(why);
  operations_.push_back({gas_.ticks(), "rule", {}, rule});
}

std::string Engine::rule() const {
  const auto lock = hold();
  return ruleName(gas_.simulation().collisionRule());
}

void Engine::setWarmup(long long ticks) {
  const long w = static_cast<long>(wholeIn("warmup", ticks, 0, warmupLimit));
  const auto lock = hold();
  gas_.setWarmup(w);
  operations_.push_back({gas_.ticks(), "warmup", {static_cast<double>(w)}, {}});
}

void Engine::setWalls(const std::vector<std::optional<double>>& kT) {
  if (kT.size() != wallCount)
    throw std::invalid_argument("four walls (left, right, bottom, top), not " +
                                std::to_string(kT.size()));
  const auto lock = hold();
  std::array<std::optional<double>, wallCount> walls;
  std::vector<double> values;
  for (std::size_t w = 0; w < wallCount; ++w) {
    walls[w] = kT[w];
    values.push_back(kT[w] ? *kT[w] : std::numeric_limits<double>::quiet_NaN());
  }
  if (std::string why = gas_.laboratory().setWallHeat(walls); !why.empty())
    throw std::invalid_argument(why);
  operations_.push_back({gas_.ticks(), "walls", values, {}});
}

void Engine::moveWall(double target, double speed, std::optional<long long> start) {
  const auto lock = hold();
  const long from = start ? static_cast<long>(*start) : gas_.simulation().boundaries().tick();
  if (std::string why = gas_.laboratory().moveRightWall(target, speed, from); !why.empty())
    throw lab::Refused(why);
  operations_.push_back(
      {gas_.ticks(), "move_wall", {target, speed, static_cast<double>(from)}, {}});
}

void Engine::setPiston(double pressure, double mass) {
  const auto lock = hold();
  if (std::string why = gas_.laboratory().setPiston(pressure, mass); !why.empty())
    throw lab::Refused(why);
  operations_.push_back({gas_.ticks(), "piston", {pressure, mass}, {}});
}

void Engine::setGravity(double g) {
  const auto lock = hold();
  if (std::string why = gas_.laboratory().setGravity(g); !why.empty()) throw lab::Refused(why);
  operations_.push_back({gas_.ticks(), "gravity", {g}, {}});
}

void Engine::setDivider(double width) {
  const auto lock = hold();
  if (std::string why = gas_.laboratory().setDivider(width); !why.empty()) throw lab::Refused(why);
  operations_.push_back({gas_.ticks(), "divider", {width}, {}});
}

void Engine::startGasLaw(const std::string& name) {
  const auto at = std::find(lab::gasLawNames.begin(), lab::gasLawNames.end(), name);
  if (at == lab::gasLawNames.end()) throw std::invalid_argument("no gas law named " + name);
  const auto lock = hold();
  const int process = static_cast<int>(at - lab::gasLawNames.begin());
  if (std::string why = gas_.laboratory().startGasLaw(process); !why.empty())
    throw lab::Refused(why);
  operations_.push_back({gas_.ticks(), "gas_law", {}, name});
}

std::vector<lab::GasLawRow> Engine::gasLaws() const {
  const auto lock = hold();
  return gas_.laboratory().gasLaws().rows();
}

long Engine::warmup() const {
  const auto lock = hold();
  return gas_.laboratory().settings().warmup;
}

namespace {

py::object valueOrNone(double v) {
  return std::isfinite(v) ? py::object(py::float_(v)) : py::none();
}

py::dict endOf(const lab::GasLawEnd& e) {
  py::dict d;
  d["from_tick"] = e.fromTick;
  d["to_tick"] = e.toTick;
  auto estimate = [&](const char* key, const lab::Estimate& m) {
    d[key] = valueOrNone(m.value);
    d[(std::string(key) + "_error").c_str()] = valueOrNone(m.error);
  };
  estimate("pressure", e.pressure);
  estimate("area", e.area);
  estimate("kT", e.kT);
  d["eta"] = valueOrNone(e.eta);
  d["Z"] = valueOrNone(e.z);
  d["kT_now"] = valueOrNone(e.kTNow);
  estimate("invariant", e.invariant);
  return d;
}

py::dict rowOf(const lab::GasLawRow& r) {
  py::dict d;
  d["process"] = r.name;
  d["invariant"] = r.invariant;
  d["quantity"] = r.quantity;
  d["ending"] = r.ending;
  d["complete"] = r.complete;
  d["start"] = endOf(r.start);
  d["end"] = endOf(r.end);
  d["expected"] = valueOrNone(r.expected);
  d["measured"] = valueOrNone(r.measured);
  d["ideal"] = valueOrNone(r.ideal);
  d["hard_disc"] = valueOrNone(r.hardDisc);
  d["work"] = r.work;
  d["heat"] = r.heat;
  return d;
}

}  // namespace

void bindEngine(py::module_& m) {
  py::tuple names(labTabNames.size());
  for (std::size_t k = 0; k < labTabNames.size(); ++k)
    names[k] = std::string(labTabNames[k]);
  m.attr("_tab_names") = names;
  py::tuple gasLaws(lab::gasLawNames.size());
  for (std::size_t k = 0; k < lab::gasLawNames.size(); ++k)
    gasLaws[k] = std::string(lab::gasLawNames[k]);
  m.attr("gas_law_names") = gasLaws;
  py::dict limits;
  limits["seed"] = py::make_tuple(0, seedLimit);
  limits["draws"] = py::make_tuple(0, drawsLimit);
  limits["warmup"] = py::make_tuple(0, warmupLimit);
  limits["ticks"] = py::make_tuple(0, std::numeric_limits<long long>::max());
  m.attr("limits") = limits;
  m.def(
      "wall_problems",
      [](const std::vector<std::optional<double>>& kT,
         std::optional<std::pair<double, double>> move,
         std::optional<std::pair<double, double>> piston) {
        // The engine's own refusals, on walls of no gas: whether the gas fits is the run's.
        Boundaries b;
        std::vector<std::string> problems;
        for (std::size_t w = 0; w < kT.size() && w < wallCount; ++w)
          if (kT[w])
            if (std::string why = b.setHeat(static_cast<WallSide>(w), {true, *kT[w]}); !why.empty())
              problems.push_back(why);
        if (move)
          if (std::string why = b.moveRightWall(move->first, move->second, 0, 0, 0, 0);
              !why.empty())
            problems.push_back(why);
        if (piston)
          if (std::string why = b.setPiston(piston->first, piston->second); !why.empty())
            problems.push_back(why);
        return problems;
      },
      py::arg("kT"), py::arg("move"), py::arg("piston"),
      "Why the walls given could not be set, in the engine's words (none: they can).");
  m.def("row_columns", &lab::rowColumns,
        "The measurement columns of any run's flat row, in order (KEY, KEY:error, KEY:NAME).");
  m.def(
      "check_gas_arguments",
      [](std::vector<Given> counts, std::vector<Given> masses, Given radius, Given proximity,
         Given velRange, long long seed, long long draws, std::string rule, long long warmup) {
        gasSetup(GasArguments{std::move(counts), std::move(masses), std::move(radius),
                              std::move(proximity), std::move(velRange), seed, draws,
                              std::move(rule), warmup, std::nullopt, std::nullopt,
                              std::vector<std::string>{"both", "both", "both", "both"}});
      },
      py::arg("counts"), py::arg("masses"), py::arg("radius"), py::arg("proximity"),
      py::arg("vel_range"), py::arg("seed"), py::arg("draws"), py::arg("rule"), py::arg("warmup"),
      "ValueError naming every bad argument, as Gas would raise it, without placing a gas.");
  py::class_<Engine>(m, "Engine", "The engine and its laboratory; see kinetic_model.Gas.")
      .def(py::init([](std::vector<Given> counts, std::vector<Given> masses, Given radius,
                       Given proximity, Given velRange, long long seed, long long draws,
                       std::string rule, long long warmup, std::optional<double> gravity,
                       std::optional<double> divider, std::vector<std::string> sides) {
             return new Engine(GasArguments{std::move(counts), std::move(masses), std::move(radius),
                                            std::move(proximity), std::move(velRange), seed, draws,
                                            std::move(rule), warmup, gravity, divider,
                                            std::move(sides)});
           }),
           py::arg("counts"), py::arg("masses"), py::arg("radius"), py::arg("proximity"),
           py::arg("vel_range"), py::arg("seed"), py::arg("draws"), py::arg("rule"),
           py::arg("warmup"), py::arg("gravity") = py::none(), py::arg("divider") = py::none(),
           py::arg("sides") = std::vector<std::string>{"both", "both", "both", "both"})
      .def("step", &Engine::step, py::arg("n") = 1,
           "Runs n ticks (n >= 0) without holding the interpreter's lock. Ctrl+C stops it\n"
           "within about 20 ms with KeyboardInterrupt; the gas stays usable, after its last\n"
           "whole tick. Raises RunError where the model fails.")
      .def_property_readonly("ticks", &Engine::ticks, "Ticks run since the gas was placed.")
      .def_property_readonly("particles", &Engine::particles, "Number of discs N.")
      .def("positions", &Engine::positions,
           "Centres as an N x 2 float64 array (x, y), box units, y downward; a copy.")
      .def("velocities", &Engine::velocities,
           "Velocities as an N x 2 float64 array (vx, vy), box units per tick; a copy.")
      .def("masses", &Engine::masses, "Mass of each disc, amu (float64, length N).")
      .def("species", &Engine::species, "Species of each disc, 1..4 (int32, length N).")
      .def("energy", &Engine::energy, "Total kinetic energy, sum of m v^2 / 2, amu*u^2/tick^2.")
      .def("heat", &Engine::heat, py::arg("species"), py::arg("factor"),
           "Heats (factor > 1) or cools species 1..4: its energy of motion about its mean\n"
           "velocity times factor (0.01 to 100), its momentum kept; an event that restarts\n"
           "the averages. ValueError with the laboratory's reason where nothing can change.")
      .def("equal_energies", &Engine::equalEnergies,
           "Gives every disc the gas's mean energy, each keeping its direction, the total\n"
           "energy kept; an event that restarts the averages.")
      .def("set_rule", &Engine::setRule, py::arg("rule"),
           "Switches to the 'specified' or the 'exact' collision rule from the next tick, an\n"
           "event that restarts the averages. Refused when the gas is too dense for the\n"
           "exact rule to push its discs apart.")
      .def_property_readonly("rule", &Engine::rule, "The collision rule in force.")
      .def("set_warmup", &Engine::setWarmup, py::arg("ticks"),
           "A new warm-up: the averages start afresh and begin after this many ticks.")
      .def_property_readonly("warmup", &Engine::warmup, "Ticks of warm-up before the averages.")
      .def_property_readonly("seed", &Engine::seed, "Seed of the placement.")
      .def_property_readonly("draws", &Engine::draws,
                             "Random numbers drawn from the seed before the placement.")
      .def("_results_json", &Engine::resultsJson)
      .def("_timeseries_csv", &Engine::timeSeriesCsv)
      .def("_events_csv", &Engine::eventsCsv)
      .def("_histograms_csv", &Engine::histogramsCsv)
      .def("_msd_csv", &Engine::msdCsv)
      .def("_sweep_run", &Engine::sweepRun)
      .def("_tab_json",
           [](const Engine& e, int index, int quantity) { return e.tabJson(index, quantity, {}); })
      .def("picture", &Engine::picture, py::arg("width") = 600,
           "The gas as the windows draw it, width pixels square: an (H, W, 4) uint8 array of\n"
           "red, green, blue and opacity, the box black, particle 1's trail, every disc in its\n"
           "species' colour.")
      .def("export", &Engine::exportData, py::arg("folder"),
           "Writes the laboratory's five CSV files into the folder, as the laboratory window's\n"
           "Export does (timeseries, events, histograms, msd, summary), each whole or not at\n"
           "all; OSError naming every file not written with the system's reason.")
      .def("set_walls", &Engine::setWalls, py::arg("kT"))
      .def("move_wall", &Engine::moveWall, py::arg("target"), py::arg("speed"),
           py::arg("start") = py::none())
      .def("set_piston", &Engine::setPiston, py::arg("pressure"), py::arg("mass"))
      .def("set_gravity", &Engine::setGravity, py::arg("g"))
      .def("set_divider", &Engine::setDivider, py::arg("width"))
      .def("start_gas_law", &Engine::startGasLaw, py::arg("name"))
      .def("gas_laws",
           [](const Engine& e) {
             py::list out;
             for (const lab::GasLawRow& r : e.gasLaws())
               out.append(rowOf(r));
             return out;
           })
      .def("_replay", [](const Engine& e) {
        auto [operations, ticks] = e.replay();
        py::list out;
        for (const Engine::Operation& o : operations) {
          py::list item;
          item.append(o.tick);
          item.append(o.kind);
          if (o.kind == "rule" || o.kind == "gas_law") item.append(o.text);
          if (o.kind == "walls") {
            py::list kT;
            for (double v : o.values)
              kT.append(std::isnan(v) ? py::none() : py::object(py::float_(v)));
            item.append(kT);
          } else if (o.kind == "heat") {
            item.append(py::int_(static_cast<long long>(o.values[0])));
            item.append(py::float_(o.values[1]));
          } else if (o.kind == "warmup") {
            item.append(py::int_(static_cast<long long>(o.values[0])));
          } else {
            for (std::size_t k = 0; k < o.values.size(); ++k)
              item.append(o.kind == "move_wall" && k == 2
                              ? py::object(py::int_(static_cast<long long>(o.values[k])))
                              : py::object(py::float_(o.values[k])));
          }
          out.append(py::tuple(item));
        }
        return py::make_tuple(out, ticks);
      });
}

}  // namespace km::python
