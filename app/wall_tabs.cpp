// SPDX-License-Identifier: GPL-3.0-or-later
#include "wall_tabs.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "chart_parts.h"
#include "summary.h"
#include "theory.h"

namespace km {
namespace {

using Style = ChartSeries::Style;
using lab::notKnown;
using lab::numberText;
using namespace tabs;

const char* const wallsIdle =
    "The walls reflect from fixed places: give them a temperature, or move the right wall, in "
    "Walls.";

// The path's points where area, pressure and kT are all known, in order.
struct PathPoint {
  double area, pressure, kT;
};

std::vector<PathPoint> pathOf(const lab::WallResults& w) {
  std::vector<PathPoint> out;
  const std::size_t n = std::min({w.areaPath.size(), w.pressurePath.size(), w.kTPath.size()});
  for (std::size_t k = 0; k < n; ++k) {
    const double a = w.areaPath[k].value, p = w.pressurePath[k].value, t = w.kTPath[k].value;
    if (std::isfinite(a) && std::isfinite(p) && std::isfinite(t) && a > 0) out.push_back({a, p, t});
  }
  return out;
}

// kT along a hard-disc adiabat from (a0, kT0) to each area: d ln kT = −Z(η) d ln A, Henderson's Z,
// integrated in small steps of ln A.
double hardDiscAdiabatKT(double a0, double kT0, double a, int n, double sigma) {
  if (!(a0 > 0) || !(a > 0)) return notKnown;
  const int steps = 200;
  const double h = std::log(a / a0) / steps;
  double lnKT = std::log(kT0), lnA = std::log(a0);
  auto z = [&](double la) {
    return theory::hendersonZ(theory::packingFraction(n, sigma, std::sqrt(std::exp(la))));
  };
  for (int s = 0; s < steps; ++s) {
    // Simpson's rule on each step.
    lnKT -= h / 6 * (z(lnA) + 4 * z(lnA + h / 2) + z(lnA + h));
    lnA += h;
  }
  return std::exp(lnKT);
}

}  // namespace

LabTab pvTab(const TabSources& v) {
  const lab::Results& r = v.results;
  const lab::WallResults& w = r.walls;
  Chart pv = chartOf("p-v", "Pressure against the area the centres reach", "area A [units²]",
                     "P [amu/tick²]");
  Chart z = chartOf("z-along-the-path", "Z = P·A/(N·kT) along the path", "area A [units²]", "Z");
  LabTab tab;
  const std::vector<PathPoint> path = w.active ? pathOf(w) : std::vector<PathPoint>{};
  if (path.size() < 2 || r.particles < 1) {
    pv.notice = z.notice = w.active ? "The path begins at the next tick." : wallsIdle;
    if (!r.running) pv.notice = z.notice = waiting(r);
    tab.charts = {pv, z};
    return tab;
  }
  // A path that has not left its area (walls that hold a temperature, the wall at rest) is one
  // point: no span to draw the laws across.
  double spanLow = path.front().area, spanHigh = spanLow;
  for (const PathPoint& p : path) {
    spanLow = std::min(spanLow, p.area);
    spanHigh = std::max(spanHigh, p.area);
  }
  if (!(spanHigh - spanLow > 1e-6 * spanHigh)) {
    pv.notice = z.notice =
        "The area has not changed since the last experiment with the walls: move the right wall "
        "or make it a piston to draw a path.";
    tab.charts = {pv, z};
    return tab;
  }
  const int n = r.particles;
  // The path's ends, each the mean of its first or last few bins: a bin's pressure is the
  // impulse of a few ticks, too noisy alone to draw the laws through.
  const std::size_t few = std::max<std::size_t>(1, std::min<std::size_t>(10, path.size() / 10));
  auto meanOf = [&](std::size_t from) {
    PathPoint m{0, 0, 0};
    for (std::size_t k = from; k < from + few; ++k) {
      m.area += path[k].area / few;
      m.pressure += path[k].pressure / few;
      m.kT += path[k].kT / few;
    }
    return m;
  };
  const PathPoint first = meanOf(0), last = meanOf(path.size() - few);
  ChartSeries measuredPath = series("the gas's path", "#ffc83c", Style::Line, 3);
  ChartSeries isotherm = series("isotherm P·A = const", "#78c8ff", Style::Dashed);
  ChartSeries ideal = series("ideal adiabat P·A² = const (kT·A = const)", "#ff78c8", Style::Dashed);
  ChartSeries hard =
      series("hard-disc adiabat (Henderson's Z along it)", "#96ff96", Style::Dotted, 3);
  ChartSeries zMeasured = series("Z measured", "#ffc83c", Style::Dots, 6);
  ChartSeries zHenderson = series("Henderson's Z at the area", "#96ff96", Style::Dashed);
  Span ys, zs;
  double aLow = first.area, aHigh = first.area;
  for (const PathPoint& p : path) {
    measuredPath.x.push_back(p.area);
    measuredPath.y.push_back(p.pressure);
    zMeasured.x.push_back(p.area);
    zMeasured.y.push_back(p.pressure * p.area / (n * p.kT));
    aLow = std::min(aLow, p.area);
    aHigh = std::max(aHigh, p.area);
  }
  const double z0 = theory::hendersonZ(theory::packingFraction(n, r.sigma, std::sqrt(first.area)));
  const int points = 60;
  for (int k = 0; k <= points; ++k) {
    const double a = aLow + (aHigh - aLow) * k / points;
    isotherm.x.push_back(a);
    isotherm.y.push_back(first.pressure * first.area / a);
    ideal.x.push_back(a);
    ideal.y.push_back(first.pressure * first.area * first.area / (a * a));
    const double kT = hardDiscAdiabatKT(first.area, first.kT, a, n, r.sigma);
    const double zh = theory::hendersonZ(theory::packingFraction(n, r.sigma, std::sqrt(a)));
    // Through the path's start as the others: the hard-disc law's P·A/(kT·Z) held.
    hard.x.push_back(a);
    hard.y.push_back(first.pressure * first.area / (first.kT * z0) * kT * zh / a);
    zHenderson.x.push_back(a);
    zHenderson.y.push_back(zh);
  }
  for (const ChartSeries* s : {&measuredPath, &isotherm, &ideal, &hard})
    ys.add(*s);
  zs.add(zMeasured);
  zs.add(zHenderson);
  pv.series = {measuredPath, isotherm, ideal, hard};
  z.series = {zMeasured, zHenderson};
  pv.xMin = z.xMin = aLow;
  pv.xMax = z.xMax = aHigh > aLow ? aHigh : aLow + 1;
  fitY(pv, 0, ys.high);
  fitY(z, std::min(1.0, zs.low), zs.high);
  tab.charts = {pv, z};
  // The work done on the gas, the area under the path, beside what the gas gained.
  double work = 0;
  for (std::size_t k = 1; k < path.size(); ++k)
    work -= 0.5 * (path[k].pressure + path[k - 1].pressure) * (path[k].area - path[k - 1].area);
  const double gained = n * (last.kT - first.kT);
  const double adiabatKT = hardDiscAdiabatKT(first.area, first.kT, last.area, n, r.sigma);
  std::ostringstream words;
  words << "From A = " << numberText(first.area) << " at kT " << numberText(first.kT)
        << " to A = " << numberText(last.area) << " at kT " << numberText(last.kT)
        << " (ideal adiabat: " << numberText(first.kT * first.area / last.area)
        << "; hard-disc adiabat: " << numberText(adiabatKT)
        << ").\nWork done on the gas, −∫P·dA along the path: " << numberText(work)
        << "; counted at the moving wall since the last experiment: " << numberText(w.work)
        << "; the gas's energy gained, N·ΔkT: " << numberText(gained)
        << "; heat from the walls: " << numberText(w.heat[0] + w.heat[1] + w.heat[2] + w.heat[3])
        << ".\nThe irreversible part: kT " << (last.kT >= adiabatKT ? "above" : "below")
        << " the hard-disc adiabat by " << numberText(std::fabs(last.kT - adiabatKT))
        << " (a sudden move heats more than a slow one; with thermal walls the walls take it).";
  tab.figures = words.str();
  return tab;
}

LabTab heatFlowTab(const TabSources& v) {
  const lab::Results& r = v.results;
  const lab::HeatResults& h = r.heat;
  const lab::WallResults& w = r.walls;
  Chart profile =
      chartOf("kT-across-the-box", "kT across the box, in ten bins of x",
              "x [units from where the left wall turns the centres]", "kT [amu·units²/tick²]");
  Chart flows =
      timeChart("Heat each wall gives the gas per tick", "heat [amu·units²/tick³]", "heat-flow");
  LabTab tab;
  static const char* const names[] = {"left", "right", "bottom", "top"};
  static const char* const colors[] = {"#ff7828", "#78c8ff", "#96ff96", "#c878ff"};
  Span fs;
  for (std::size_t k = 0; k < wallCount; ++k) {
    if (w.heatFlowPath[k].empty()) continue;
    ChartSeries s = series(std::string(names[k]) + " wall", colors[k]);
    timePoints(s, w.heatFlowPath[k]);
    fs.add(s);
    flows.series.push_back(std::move(s));
  }
  fitTime(flows, r.ticks, std::min(0.0, fs.low), std::max(0.0, fs.high), v.history.events);
  if (!w.active || !h.active) {
    profile.notice = flows.notice = !r.running ? waiting(r) : !w.active ? wallsIdle : waiting(r);
    if (!w.active) flows.series.clear();
    tab.charts = {profile, flows};
    return tab;
  }
  Span ys;
  const ChartSeries bins = kTBins(profile, h.x, h.kT, ys);
  const double width = h.width;
  ChartSeries line = series("the bulk's straight line", "#ebebeb", Style::Dashed);
  if (std::isfinite(h.slope)) {
    line.x = {0, width};
    line.y = {h.intercept, h.intercept + h.slope * width};
    ys.add(line);
  }
  ChartSeries walls = series("the walls' kT", "#ff78c8", Style::Squares, 10);
  auto wallKT = [&](double at, double jump) {
    if (!std::isfinite(jump)) return;
    const double kT = h.intercept + h.slope * at - jump;
    walls.x.push_back(at);
    walls.y.push_back(kT);
    ys.add(kT);
  };
  wallKT(0, h.jumpLeft);
  wallKT(width, h.jumpRight);
  profile.series = {bins, line, walls};
  profile.xMin = 0;
  profile.xMax = width;
  fitY(profile, std::min(0.0, ys.low), ys.high);
  tab.charts = {profile, flows};
  const double knudsen = width > 0 ? h.meanFreePath.value / width : notKnown;
  std::ostringstream words;
  words << "Slope of kT across the bulk " << measured({h.slope, h.slopeError})
        << " per unit; jumps at the walls: left " << numberText(h.jumpLeft) << ", right "
        << numberText(h.jumpRight) << ".\nHeat carried in +x " << measured(h.flux)
        << " per tick and unit length; κ = −q / (dT/dx) = " << measured({h.kappa, h.kappaError})
        << " against Enskog's " << numberText(h.kappaEnskog) << " at this density ("
        << numberText(h.kappaDilute) << " for dilute discs).\nMean free path "
        << measured(h.meanFreePath) << " units (dilute " << numberText(h.meanFreePathDilute)
        << ", Enskog " << numberText(h.meanFreePathEnskog) << "): " << numberText(knudsen)
        << " of the width, so the walls' jumps " << (knudsen > 0.02 ? "are large." : "are small.");
  tab.figures = words.str();
  return tab;
}

}  // namespace km
