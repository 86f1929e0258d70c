// SPDX-License-Identifier: GPL-3.0-or-later
#include "gas_laws_tab.h"

#include <cmath>
#include <sstream>

#include "chart_parts.h"
#include "summary.h"

namespace km {
namespace {

using Style = ChartSeries::Style;
using lab::GasLawEnd;
using lab::GasLawRow;
using lab::measuredError;
using lab::numberText;
using namespace tabs;

std::string fromTo(double a, double b) {
  return numberText(a) + " → " + numberText(b);
}

std::vector<std::string> cells(const GasLawRow& r) {
  const GasLawEnd &s = r.start, &e = r.end;
  std::vector<std::string> c = {r.name};
  if (r.complete) {
    c.push_back(fromTo(s.pressure.value, e.pressure.value));
    c.push_back(fromTo(s.area.value, e.area.value));
    c.push_back(fromTo(s.kT.value, e.kT.value));
    c.push_back(fromTo(s.z, e.z));
  } else {
    for (double v : {s.pressure.value, s.area.value, s.kT.value, s.z})
      c.push_back(numberText(v) + " → —");
  }
  const double error = e.invariant.value / r.expected - 1;
  c.push_back(r.invariant);
  c.push_back(measured(s.invariant));
  c.push_back(r.complete ? measured(e.invariant) : "—");
  c.push_back(numberText(r.expected));
  c.push_back(r.complete && std::isfinite(error) ? numberText(100 * error) + " %" : "—");
  c.push_back(r.complete ? r.quantity + " = " + measured({r.measured, measuredError(r)}) : "—");
  c.push_back(numberText(r.ideal));
  c.push_back(numberText(r.hardDisc));
  c.push_back(r.ending);
  return c;
}

}  // namespace

LabTab gasLawsTab(const TabSources& v, const std::string& running) {
  const lab::Results& r = v.results;
  const std::vector<GasLawRow>& rows = r.gasLaws;
  Chart c;
  c.id = "gas-laws";
  c.title = "Each process's end value over the laws' predictions";
  c.xTitle = "process (row of the table)";
  c.yTitle = "measured / predicted";
  c.wholeX = true;
  LabTab tab;
  tab.tableHead = {"process",      "P",        "A",          "kT",          "Z",
                   "invariant",    "at start", "at end",     "law's value", "end off the law",
                   "end measured", "ideal",    "hard discs", "ending"};
  for (const GasLawRow& row : rows)
    tab.table.push_back(cells(row));
  ChartSeries ideal = series("ideal gas", "#ff78c8", Style::Squares, 10);
  ChartSeries hard = series("hard discs (Henderson's Z along the path)", "#96ff96", Style::Dots, 9);
  ChartSeries one = series("", gasColor, Style::Dashed, 1);
  Span ys;
  ys.add(1.0);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const GasLawRow& row = rows[k];
    if (!row.complete) continue;
    const double x = static_cast<double>(k + 1);
    const double toIdeal = row.measured / row.ideal, toHard = row.measured / row.hardDisc;
    if (std::isfinite(toIdeal)) {
      ideal.x.push_back(x);
      ideal.y.push_back(toIdeal);
      ys.add(toIdeal);
    }
    if (std::isfinite(toHard)) {
      hard.x.push_back(x);
      hard.y.push_back(toHard);
      ys.add(toHard);
      const double e = measuredError(row) / row.hardDisc;
      if (std::isfinite(e)) {
        c.bars.push_back({x, toHard - e, toHard + e, "#96ff96"});
        ys.add(toHard - e);
        ys.add(toHard + e);
      }
    }
  }
  if (ideal.x.empty() && hard.x.empty()) {
    if (!running.empty())
      c.notice = running + " Its row comes when it ends.";
    else if (!rows.empty())
      c.notice = "No process has run to its end: the table says why each stopped.";
    else if (!r.running)
      c.notice = waiting(r);
    else
      c.notice =
          "Press one of the gas laws in the Gas laws group: each runs its process on the gas as "
          "it is and leaves a row here.";
  } else {
    c.xMin = 0.5;
    c.xMax = static_cast<double>(rows.size()) + 0.5;
    horizontal(one, c.xMin, c.xMax, 1);
    c.series = {one, ideal, hard};
    fitY(c, ys.low, ys.high);
  }
  tab.charts = {c};
  std::ostringstream words;
  if (!running.empty() && !c.series.empty()) words << "Running: " << running << "\n";
  words << "What each process keeps, with Z = P·A/(N·kT) by Henderson's formula at the area: "
           "Boyle P·A/(N·Z) at the walls' kT; Charles A/(kT·Z) at N over the piston's pressure; "
           "Gay-Lussac P/(kT·Z) at N/A; the adiabat kT·(A − N·B₂), B₂ = π·σ²/2, as the start's "
           "(exact for a dilute gas); the free expansion kT, as the start's.\n"
           "The end value is what the laws predict from the start: the ideal gas's with Z = 1, "
           "the hard discs' with Henderson's Z along the path. A point at 1 is a law that holds.";
  tab.figures = words.str();
  return tab;
}

}  // namespace km
