// SPDX-License-Identifier: GPL-3.0-or-later
// The equation-of-state sweep's pieces for Python: the runs' setups, each run's share of a row
// (picklable, so that it can come back from another process or machine), and the rows,
// combined and written as kinetic-measure --sweep writes them.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "gas_arguments.h"
#include "input_check.h"
#include "measure_options.h"
#include "report.h"
#include "sweep.h"

namespace py = pybind11;

namespace km::python {
namespace {

using EstimateTuple = std::tuple<double, double, double, int>;

EstimateTuple tupleOf(const lab::Estimate& e) {
  return {e.value, e.error, e.correlationTicks, e.blocks};
}

lab::Estimate estimateOf(const EstimateTuple& t) {
  return {std::get<0>(t), std::get<1>(t), std::get<2>(t), std::get<3>(t)};
}

py::tuple stateOf(const lab::SweepRow& r) {
  return py::make_tuple(r.eta, r.radius, r.runs, r.problem, r.etaMeasured, tupleOf(r.z),
                        tupleOf(r.zInterior), tupleOf(r.etaInterior), r.zHenderson, r.zBulk,
                        r.zWalled, r.zBulkInterior, tupleOf(r.collisionRate), r.enskogRate,
                        tupleOf(r.diffusion), r.enskogD, r.discsMoved);
}

lab::SweepRow rowOf(const py::tuple& t) {
  if (t.size() != 17) throw std::runtime_error("not the state of a sweep run");
  lab::SweepRow r;
  r.eta = t[0].cast<double>();
  r.radius = t[1].cast<std::string>();
  r.runs = t[2].cast<int>();
  r.problem = t[3].cast<std::string>();
  r.etaMeasured = t[4].cast<double>();
  r.z = estimateOf(t[5].cast<EstimateTuple>());
  r.zInterior = estimateOf(t[6].cast<EstimateTuple>());
  r.etaInterior = estimateOf(t[7].cast<EstimateTuple>());
  r.zHenderson = t[8].cast<double>();
  r.zBulk = t[9].cast<double>();
  r.zWalled = t[10].cast<double>();
  r.zBulkInterior = t[11].cast<double>();
  r.collisionRate = estimateOf(t[12].cast<EstimateTuple>());
  r.enskogRate = t[13].cast<double>();
  r.diffusion = estimateOf(t[14].cast<EstimateTuple>());
  r.enskogD = t[15].cast<double>();
  r.discsMoved = t[16].cast<bool>();
  return r;
}

// The settings of a sweep, checked: each bad one named with its reason.
lab::SweepSettings sweepSettings(long long discs, const std::vector<double>& etas,
                                 const Given& velRange, const std::string& rule) {
  std::vector<std::string> problems;
  lab::SweepSettings s;
  if (discs < 1 || discs > 500)
    problems.push_back("discs must be a whole number from 1 to 500, not " + std::to_string(discs));
  else
    s.discs = static_cast<int>(discs);
  if (etas.empty()) problems.push_back("etas: at least one packing fraction");
  for (std::size_t k = 0; k < etas.size(); ++k)
    if (!(etas[k] > 0 && etas[k] <= 0.8))
      problems.push_back("etas[" + std::to_string(k) +
                         "]: a packing fraction above 0 and at most 0.8, not " + textOf(etas[k]));
  s.etas = etas;
  s.velocityRange = textOf(velRange);
  const RunInput input{SpeciesTexts{{std::to_string(s.discs), "0", "0", "0"}, {"1", "1", "1", "1"}},
                       "0", s.velocityRange};
  for (const InputProblem& p : checkRunInput(input))
    problems.push_back("vel_range: " + p.message);
  try {
    s.rule = ruleOf(rule);
  } catch (const std::invalid_argument& e) {
    problems.push_back(e.what());
  }
  refuseIfAny(problems);
  return s;
}

// One packing fraction's runs, each with its seed, and the seeds whose runs failed with why.
using Point = std::tuple<double, std::vector<std::pair<std::uint32_t, lab::SweepRow>>,
                         std::vector<std::pair<std::uint32_t, std::string>>>;

}  // namespace

void bindSweep(py::module_& m) {
  py::class_<lab::SweepRow>(m, "SweepRun", "One run's share of an equation-of-state row.")
      .def(py::pickle([](const lab::SweepRow& r) { return stateOf(r); },
                      [](const py::tuple& t) { return rowOf(t); }));

  m.def(
      "eos_setups",
      [](long long discs, const std::vector<double>& etas, const Given& velRange,
         const std::string& rule) {
        const lab::SweepSettings s = sweepSettings(discs, etas, velRange, rule);
        py::list out;
        for (double eta : s.etas) {
          const lab::GasSetup g = lab::sweepSetup(s, eta, 0);
          py::dict d;
          d["counts"] = std::vector<std::string>(g.rows.counts.begin(), g.rows.counts.end());
          d["masses"] = std::vector<std::string>(g.rows.masses.begin(), g.rows.masses.end());
          d["radius"] = g.radius;
          d["proximity"] = g.proximity;
          d["vel_range"] = g.velocityRange;
          d["rule"] = std::string(ruleName(g.rule));
          out.append(d);
        }
        return out;
      },
      py::arg("discs"), py::arg("etas"), py::arg("vel_range"), py::arg("rule"),
      "The gas arguments of each packing fraction's runs, as kinetic-measure --sweep runs "
      "them; ValueError naming each bad argument.");

  m.def(
      "eos_json",
      [](long long discs, const std::vector<double>& etas, const Given& velRange,
         const std::string& rule, const std::vector<std::uint32_t>& seeds, long long warmup,
         long long ticks, std::vector<Point> points) {
        const lab::SweepSettings s = sweepSettings(discs, etas, velRange, rule);
        std::vector<lab::SweepRow> rows;
        for (auto& [eta, seeded, problem] : points) {
          // As runSweep combines them: in the order of their seeds.
          std::sort(seeded.begin(), seeded.end(),
                    [](const auto& a, const auto& b) { return a.first < b.first; });
          std::vector<lab::SweepRow> runs;
          for (const auto& run : seeded) {
            runs.push_back(run.second);
            runs.back().seeds = {run.first};
          }
          lab::SweepRow row = lab::sweepRow(eta, lab::radiusFor(s.discs, eta), runs);
          lab::noteRefused(row, problem);
          rows.push_back(std::move(row));
        }
        measure::Options o;
        o.discs = s.discs;
        o.rule = ruleName(s.rule);
        o.input.velocityRange = s.velocityRange;
        o.seeds = seeds;
        o.warmup = static_cast<long>(warmup);
        o.ticks = static_cast<long>(ticks);
        std::ostringstream out;
        measure::writeSweepJson(out, o, rows, false);
        return out.str();
      },
      py::arg("discs"), py::arg("etas"), py::arg("vel_range"), py::arg("rule"), py::arg("seeds"),
      py::arg("warmup"), py::arg("ticks"), py::arg("points"),
      "kinetic-measure --sweep's JSON for the runs given: points is a list of (eta, [(seed, "
      "SweepRun)], [(seed, why it failed)]).");
}

}  // namespace km::python
