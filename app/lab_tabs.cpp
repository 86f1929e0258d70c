// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_tabs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "axis_range.h"
#include "chart_parts.h"
#include "field_tabs.h"
#include "gas_laws_tab.h"
#include "report_json.h"
#include "summary.h"
#include "sweep_table.h"
#include "theory.h"
#include "wall_tabs.h"

namespace km {
namespace {

using Style = ChartSeries::Style;
using lab::measuredText;
using lab::notKnown;
using lab::numberText;
using namespace tabs;

}  // namespace

const char* const hCaveat =
    "H over the last ticks counts each disc's reduced speed once a tick; a few discs' speeds "
    "change "
    "slowly, so it holds far fewer independent speeds than it counts, and H from so small a sample "
    "lies above its distribution's (about 0.04 above for the 43 discs at the start). Every speed "
    "of the averages, pooled, gives the gas's own distribution: it meets the Maxwellian in the "
    "same "
    "rings.";

const char* const diffusionCaveat =
    "In two dimensions D grows with the box: a disc's velocity stays correlated with its past "
    "for long times (the autocorrelation's long-time tail), so no finite box holds the bulk's D. "
    "Enskog's D is taken at the interior's density, where the layers at the walls have faded.";

LabTab speedsTab(const TabSources& v, int which) {
  LabTab tab;
  const std::string axis = which == 0
                               ? "speed [units/tick]"
                               : std::string("v") + (which == 1 ? "x" : "y") + " [units/tick]";
  for (const lab::SpeciesResult& s : v.results.species) {
    const lab::Distribution& d = which == 0 ? s.speed : which == 1 ? s.vx : s.vy;
    const auto k = static_cast<std::size_t>(s.species);
    Chart c;
    c.id = "speeds-species-" + std::to_string(s.species);
    c.title = "Species " + std::to_string(s.species) + ": " + std::to_string(s.count) + " disc" +
              plural(s.count) + ", kT " + numberText(s.kT.value);
    c.xTitle = axis;
    c.yTitle = "density [ticks/unit]";
    ChartSeries steps = series("measured (KS " + brief(d.ks) + ")", v.colors[k], Style::Steps);
    ChartSeries law =
        series(which == 0 ? "Maxwell–Boltzmann" : "Gaussian", v.colors[k], Style::Dashed);
    Span xs, ys;
    const std::size_t bins = std::min(d.centres.size(), d.measured.size());
    for (std::size_t b = 0; b < bins; ++b) {
      const double a = d.centres[b] - d.binWidth / 2, e = d.centres[b] + d.binWidth / 2;
      // A step line: each bin's value from its left edge, the last held to its right edge.
      steps.x.push_back(a);
      steps.y.push_back(d.measured[b]);
      if (b + 1 == bins) {
        steps.x.push_back(e);
        steps.y.push_back(d.measured[b]);
      }
      if (b < d.theory.size() && std::isfinite(d.theory[b])) {
        law.x.push_back(d.centres[b]);
        law.y.push_back(d.theory[b]);
      }
      xs.add(a);
      xs.add(e);
    }
    ys.add(steps);
    ys.add(law);
    const std::string why = waiting(v.results);
    c.notice = bins > 0 ? std::string() : why.empty() ? "No speeds measured yet." : why;
    if (bins > 0) c.series = {steps, law};
    const lab::AxisRange x = lab::valueAxisRange(xs.low, xs.high);
    c.xMin = x.min;
    c.xMax = x.max;
    c.xFitted = true;
    fitY(c, 0, ys.high);
    tab.charts.push_back(std::move(c));
  }
  // Without a gas, one empty chart says why.
  if (v.results.species.empty()) {
    Chart c = chartOf("speeds-species-1", "Speeds", axis, "density [ticks/unit]");
    c.xMin = c.yMin = 0;
    c.xMax = c.yMax = 1;
    c.notice = waiting(v.results);
    tab.charts.push_back(std::move(c));
  }
  return tab;
}

LabTab equipartitionTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart bars;
  bars.id = "equipartition";
  bars.title = "kT of each species over the gas's (averaged; theory: ratio 1)";
  bars.xTitle = "species";
  bars.wholeX = true;
  bars.yTitle = "kT [amu·units²/tick²]";
  bars.xMin = 0.5;
  bars.xMax = 4.5;
  Chart time = timeChart("kT over time", "kT [amu·units²/tick²]", "kT-over-time");
  ChartSeries gas = series("the gas: kT " + measured(r.kT), gasColor, Style::Dashed);
  horizontal(gas, 0.5, 4.5, r.kT.value);
  bars.series.push_back(gas);
  ChartSeries gasOverTime = series("the gas", gasColor, Style::Dashed);
  timePoints(gasOverTime, lab::binMeans(v.history.kT[0]));
  time.series.push_back(gasOverTime);
  Span ys, ts;
  ts.add(gasOverTime);
  for (const lab::SpeciesResult& s : r.species) {
    const auto k = static_cast<std::size_t>(s.species);
    ChartSeries point =
        series("species " + std::to_string(s.species) + ": ratio " + measured(s.kTRatio),
               v.colors[k], Style::Dots, 15);
    const double x = s.species, y = s.kT.value, e = s.kT.error;
    if (std::isfinite(y)) {
      point.x = {x};
      point.y = {y};
    }
    if (std::isfinite(e) && std::isfinite(y)) bars.bars.push_back({x, y - e, y + e, v.colors[k]});
    ys.add(y - (std::isfinite(e) ? e : 0));
    ys.add(y + (std::isfinite(e) ? e : 0));
    bars.series.push_back(point);
  }
  // Over time, every species that moved at some time in the run, blank where it did not.
  for (std::size_t k = 1; k < 5; ++k) {
    ChartSeries over = series("species " + std::to_string(k), v.colors[k]);
    timePoints(over, lab::binMeans(v.history.kT[k]));
    if (over.x.empty()) continue;
    ts.add(over);
    time.series.push_back(over);
  }
  bars.notice = waiting(r);
  time.notice = noHistory(r);
  ys.add(r.kT.value);
  fitY(bars, std::min(0.0, ys.low), ys.high);
  fitTime(time, r.ticks, std::min(0.0, ts.low), ts.high, v.history.events);
  LabTab tab;
  tab.charts = {bars, time};
  return tab;
}

LabTab pressureTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart time = timeChart("Compressibility Z = P·L² / (N·kT)", "Z", "pressure");
  ChartSeries z = series("Z measured: " + measured(r.Z), "#ffc83c");
  timePoints(z, lab::binMeans(v.history.z));
  ChartSeries interior =
      series("Z over the interior's density: " + measured(r.zInterior), "#ff8c28", Style::Line, 3);
  ChartSeries ideal = series("ideal gas, Z = 1", gasColor, Style::Dashed);
  ChartSeries henderson =
      series("Henderson (within 0.5 % of the bulk to η = 0.5): " + numberText(r.zHenderson),
             "#78c8ff", Style::Dashed);
  ChartSeries bulk = series("bulk fluid: " + numberText(r.zBulk), "#96ff96", Style::Dashed);
  ChartSeries walled =
      series("bulk fluid less the walls' first-order term: " + numberText(r.zWalled), "#ff78c8",
             Style::Dashed);
  const std::string noRoom = lab::noRoomNotice(r);
  time.notice = noHistory(r).empty() ? noRoom : noHistory(r);
  Span ys;
  ys.add(z);
  for (double y : {1.0, r.zHenderson, r.zBulk, r.zWalled, r.zInterior.value, 0.0})
    ys.add(y);
  fitTime(time, r.ticks, ys.low, ys.high, v.history.events);
  horizontal(ideal, time.xMin, time.xMax, 1);
  horizontal(henderson, time.xMin, time.xMax, r.zHenderson);
  horizontal(bulk, time.xMin, time.xMax, r.zBulk);
  horizontal(walled, time.xMin, time.xMax, r.zWalled);
  horizontal(interior, time.xMin, time.xMax, r.zInterior.value);
  time.series = {z, interior, ideal, henderson, bulk, walled};

  Chart profile = chartOf("wall-profile", "Density against the distance from the nearest wall",
                          "distance of the centre from the nearest wall [σ]", "n / nominal");
  const double unit = r.sigma > 0 ? r.sigma : 2 * r.radius;
  const double inner = unit > 0 ? r.interiorFrom / unit : notKnown;
  const double shown = std::isfinite(inner) ? std::max(2.0, 2 * inner) : 10;
  Span dens;
  dens.add(1);
  dens.add(0);
  for (const lab::SpeciesResult& s : r.species) {
    ChartSeries line = series("species " + std::to_string(s.species),
                              v.colors[static_cast<std::size_t>(s.species)]);
    for (std::size_t b = 0; b < s.profile.size() && b < r.profileDistance.size(); ++b)
      if (r.profileDistance[b] <= shown) {
        line.x.push_back(r.profileDistance[b]);
        line.y.push_back(s.profile[b]);
      }
    dens.add(line);
    if (!s.profile.empty()) profile.series.push_back(line);
  }
  const lab::AxisRange distance = lab::valueAxisRange(0, shown);
  profile.xMin = distance.min;
  profile.xMax = distance.max;
  profile.xFitted = true;
  fitY(profile, 0, dens.high);
  ChartSeries even = series("even, as without walls", gasColor, Style::Dashed, 1);
  horizontal(even, 0, shown, 1);
  profile.series.push_back(even);
  ChartSeries edge = series("the interior begins", "#bebebe", Style::Dashed, 1);
  if (std::isfinite(inner) && inner < shown) {
    edge.x = {inner, inner};
    edge.y = {profile.yMin, profile.yMax};
    edge.spanY = true;
  }
  profile.series.push_back(edge);
  profile.notice = r.measuredTicks > 0 ? noRoom : waiting(r);

  LabTab tab;
  tab.charts = {time, profile};
  if (!r.running || !noRoom.empty()) {
    tab.figures = r.running ? lab::noRoomText(r) : waiting(r);
    return tab;
  }
  tab.figures =
      "Over the nominal density: η = N·π·σ²/(4·L²) = " + numberText(r.eta) +
      " (L = " + numberText(r.side) + ", the side the centres reach); Z = " + measured(r.Z) +
      " against " + numberText(r.zWalled) +
      " for the bulk fluid less the walls' first-order term and " + numberText(r.zBulk) +
      " for the bulk fluid.\nOver the interior's density (centres " +
      (std::isfinite(r.interiorFrom) ? numberText(r.interiorFrom) + " u" : std::string("—")) +
      " or more from every wall, where the layers at the walls have faded): η = " +
      measured(r.etaInterior) + "; Z = " + measured(r.zInterior) + " against " +
      numberText(r.zBulkInterior) +
      " for the bulk fluid there.\nThe bulk fluid: the virial series to B₁₀ (Clisby and McCoy "
      "2006), Padé-resummed. Henderson's formula lies within 0.5 % of it up to η = 0.5, 1.1 % "
      "above at 0.6. From η = 0.70 the fluid meets the hexatic phase and no fluid equation "
      "applies.";
  return tab;
}

LabTab diffusionTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart c = chartOf("diffusion", "Mean-squared displacement, walls unfolded", "lag [ticks]",
                    "MSD [units²]");
  c.logX = c.logY = true;
  Span ys;
  double lagMax = 10;
  auto curve = [&](ChartSeries& s, const std::vector<double>& values) {
    for (std::size_t l = 0; l < values.size() && l < r.lags.size(); ++l)
      if (values[l] > 0) {
        s.x.push_back(r.lags[l]);
        s.y.push_back(values[l]);
        lagMax = std::max<double>(lagMax, r.lags[l]);
        ys.add(values[l]);
      }
  };
  auto line = [&](ChartSeries& s, const lab::MeanSquaredDisplacement::Fit& f, double D) {
    if (f.fromLag > 0 && std::isfinite(D))
      for (double lag : {double(f.fromLag), double(f.toLag)})
        if (f.a + 4 * D * lag > 0) {
          s.x.push_back(lag);
          s.y.push_back(f.a + 4 * D * lag);
        }
  };
  auto fitName = [](const std::string& who, const lab::MeanSquaredDisplacement::Fit& f) {
    return who + ": D = " + measuredText(f.D, f.error) + ", lags " + std::to_string(f.fromLag) +
           "–" + std::to_string(f.toLag);
  };
  c.notice = r.measuredTicks > 1 ? std::string() : waiting(r);
  // Each group's fitted line follows its curve; a group without a straight range yet has no
  // line, and no legend entry for one.
  auto group = [&](ChartSeries msd, const std::vector<double>& values, ChartSeries fit,
                   const lab::MeanSquaredDisplacement::Fit& f) {
    curve(msd, values);
    c.series.push_back(std::move(msd));
    line(fit, f, f.D);
    if (!fit.x.empty()) c.series.push_back(std::move(fit));
  };
  if (r.particles > 0)
    group(series("particle 1", gasColor, Style::Line, 1.5), r.tracerMsd,
          series(fitName("particle 1", r.tracer), gasColor, Style::Dashed, 3), r.tracer);
  ChartSeries enskog;
  for (const lab::SpeciesResult& s : r.species) {
    const std::string& color = v.colors[static_cast<std::size_t>(s.species)];
    const std::string who = "species " + std::to_string(s.species);
    group(series(who, color), s.msd, series(fitName(who, s.diffusion), color, Style::Dashed, 3),
          s.diffusion);
    if (std::isfinite(s.enskogD) && s.diffusion.fromLag > 0) {
      enskog = series("Enskog at the interior's density: D = " + numberText(s.enskogD), "#78c8ff",
                      Style::Dotted, 2);
      line(enskog, s.diffusion, s.enskogD);
    }
  }
  if (!enskog.x.empty()) c.series.push_back(enskog);
  c.xMin = 1;
  c.xMax = std::max(10.0, 2 * lagMax);
  // Decades.
  if (std::isfinite(ys.low) && ys.low > 0) {
    c.yMin = std::pow(10, std::floor(std::log10(ys.low)));
    c.yMax = std::pow(10, std::ceil(std::log10(ys.high)));
    if (c.yMax <= c.yMin) c.yMax = c.yMin * 10;
  } else {
    c.yMin = 1;
    c.yMax = 10;
  }
  LabTab tab;
  tab.charts = {c};
  tab.figures = diffusionCaveat;
  return tab;
}

LabTab collisionsTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart c = timeChart("Collisions per tick", "per tick", "collisions");
  c.notice = noHistory(r);
  ChartSeries exchanges = series("exchanges: " + measured(r.exchanges), "#ffc83c");
  timePoints(exchanges, lab::binMeans(v.history.exchanges));
  ChartSeries contacts = series("new contacts: " + measured(r.newContacts), "#78ff78");
  timePoints(contacts, lab::binMeans(v.history.newContacts));
  ChartSeries enskog = series("Enskog at the interior's density: " + numberText(r.enskogCollisions),
                              "#78c8ff", Style::Dashed);
  // Under the exact rule a repeat binds nothing: a tick outlasts the mean free time, and a
  // disc meets the same neighbour again within one.
  const std::string share = r.exactRule ? "repeated partners, not binding" : "bound-pair share";
  ChartSeries bound =
      series(share + " (right): " + measured(r.boundShare), "#ff78c8", Style::Line, 1);
  bound.axis = 1;
  timePoints(bound, lab::binRatios(v.history.repeats, v.history.exchanges));
  c.y2Title = share;
  c.y2Min = 0;
  c.y2Max = 1;
  Span ys;
  ys.add(exchanges);
  ys.add(contacts);
  ys.add(0);
  ys.add(r.enskogCollisions);
  fitTime(c, r.ticks, ys.low, ys.high, v.history.events);
  horizontal(enskog, c.xMin, c.xMax, r.enskogCollisions);
  c.series = {exchanges, contacts, enskog, bound};
  LabTab tab;
  tab.charts = {c};
  return tab;
}

LabTab hTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart c = timeChart("Boltzmann's H of the reduced velocities √(m/kT)·v", "H", "boltzmann-h");
  c.notice = noHistory(r);
  ChartSeries h = series(lab::hWindowText(r), "#ffc83c");
  timePoints(h, lab::binMeans(v.history.h));
  ChartSeries maxwellian =
      series("Maxwellian: " + numberText(r.hMaxwellian), gasColor, Style::Dashed);
  ChartSeries averaged =
      series("H of every speed averaged: " + numberText(r.hAveraged), "#ff8c28", Style::Dotted);
  Span ys;
  ys.add(h);
  ys.add(r.hMaxwellian);
  ys.add(r.hAveraged);
  fitTime(c, r.ticks, ys.low, ys.high, v.history.events);
  horizontal(maxwellian, c.xMin, c.xMax, r.hMaxwellian);
  horizontal(averaged, c.xMin, c.xMax, r.hAveraged);
  c.series = {h, maxwellian, averaged};
  LabTab tab;
  tab.charts = {c};
  tab.figures = hCaveat;
  return tab;
}

LabTab integrityTab(const TabSources& v) {
  const lab::Results& r = v.results;
  Chart c = timeChart("Total energy Σ½mv²", "energy [amu·units²/tick²]", "energy");
  c.notice = noHistory(r);
  ChartSeries energy = series("total energy", "#ffc83c");
  timePoints(energy, lab::binMeans(v.history.energy));
  Span ys;
  ys.add(energy);
  ys.add(r.energyAtStart);
  fitTime(c, r.ticks, ys.low, ys.high, v.history.events);
  c.series = {energy};
  LabTab tab;
  tab.charts = {c};
  if (!r.running) {
    tab.figures = waiting(r);
    return tab;
  }
  tab.figures = "Energy now " + numberText(r.energy) + ", at the start " +
                numberText(r.energyAtStart) + "; drift " + numberText(r.driftPer10k) +
                " per 10,000 ticks.\nMomentum (" + numberText(r.momentumX) + ", " +
                numberText(r.momentumY) + ").\n" + lab::escapeText(r) + "\nRule: " + v.rule +
                ".   Ticks averaged " + std::to_string(r.measuredTicks) + " of " +
                std::to_string(r.ticks) + ".\n" + lab::runSeedText(r.seed);
  return tab;
}

LabTab equationOfStateTab(const TabSources& v, const std::vector<lab::SweepRow>& rows) {
  constexpr double etaShown = 0.8;
  const lab::Results& r = v.results;
  Chart c = chartOf("equation-of-state", "Equation of state: Z against the packing fraction",
                    "packing fraction η = N·π·σ²/(4·L²)", "Z");
  c.xMin = 0;
  c.xMax = etaShown;
  ChartSeries bulk = series("bulk fluid: virial series to B₁₀, Padé-resummed", "#96ff96");
  ChartSeries henderson =
      series("Henderson: within 0.5 % of the bulk to η = 0.5", "#78c8ff", Style::Dashed);
  for (int k = 0; k <= 140; ++k) {
    const double eta = k * 0.005;
    bulk.x.push_back(std::min(eta, 0.6999));
    bulk.y.push_back(theory::bulkZ(std::min(eta, 0.6999)));
    henderson.x.push_back(eta);
    henderson.y.push_back(theory::hendersonZ(eta));
  }
  ChartSeries ideal = series("ideal gas", gasColor, Style::Dashed, 1);
  horizontal(ideal, 0, etaShown, 1);
  ChartSeries hexatic =
      series("η ≥ 0.70, the fluid meets the hexatic phase: no fluid equation applies", "#c878ff",
             Style::Dashed, 2);
  ChartSeries nominal = series("sweep, over the nominal density", "#ffc83c", Style::Dots, 9);
  ChartSeries interior = series("sweep, over the interior's density", "#ff7828", Style::Squares, 9);
  Span ys;
  ys.add(0);
  ys.add(4);
  for (const lab::SweepRow& row : rows) {
    if (std::isfinite(row.z.value)) {
      nominal.x.push_back(row.eta);
      nominal.y.push_back(row.z.value);
    }
    if (std::isfinite(row.zInterior.value)) {
      interior.x.push_back(row.etaInterior.value);
      interior.y.push_back(row.zInterior.value);
    }
    ys.add(row.z.value + (std::isfinite(row.z.error) ? row.z.error : 0));
    ys.add(row.zInterior.value);
  }
  auto bar = [&](double x, double y, double e) {
    if (std::isfinite(x) && std::isfinite(y) && e > 0)
      c.bars.push_back({x, y - e, y + e, "#ffc83c", 2});
  };
  for (const lab::SweepRow& row : rows) {
    bar(row.eta, row.z.value, row.z.error);
    bar(row.etaInterior.value, row.zInterior.value, row.zInterior.error);
  }
  c.yMin = 0;
  c.yMax = std::ceil(std::max(ys.high, 12.0));
  hexatic.x = {theory::fluidEnds, theory::fluidEnds};
  hexatic.y = {0, c.yMax};
  const bool measuring = r.running && r.measuredTicks > 0;
  ChartSeries nowNominal =
      series("the gas now, nominal: Z " + measured(r.Z), "#ffffff", Style::Stars, 12);
  ChartSeries nowInterior =
      series("the gas now, interior: Z " + measured(r.zInterior), "#ffa0a0", Style::Stars, 12);
  if (measuring && std::isfinite(r.Z.value)) {
    nowNominal.x = {r.eta};
    nowNominal.y = {r.Z.value};
  }
  if (measuring && std::isfinite(r.zInterior.value)) {
    nowInterior.x = {r.etaInterior.value};
    nowInterior.y = {r.zInterior.value};
  }
  c.series = {bulk, henderson, ideal, hexatic, nominal, interior};
  // The gas now is in the legend only while it is measured.
  for (const ChartSeries* now : {&nowNominal, &nowInterior})
    if (!now->x.empty()) c.series.push_back(*now);

  LabTab tab;
  tab.charts = {c};
  tab.tableHead = {"η",          "Z",          "walls, 1st order",   "bulk",
                   "η interior", "Z interior", "bulk at η interior", "runs"};
  for (const lab::SweepRow& row : rows)
    tab.table.push_back(lab::sweepTableCells(row));
  return tab;
}

namespace {

using lab::jsonNumber;
using lab::jsonString;

std::string numbers(const std::vector<double>& values) {
  std::string out = "[";
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k) out += ',';
    out += jsonNumber(values[k]);
  }
  return out + "]";
}

std::string strings(const std::vector<std::string>& values) {
  std::string out = "[";
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k) out += ',';
    out += jsonString(values[k]);
  }
  return out + "]";
}

const char* styleName(Style s) {
  switch (s) {
    case Style::Line:
      return "line";
    case Style::Dashed:
      return "dashed";
    case Style::Dotted:
      return "dotted";
    case Style::Steps:
      return "steps";
    case Style::Dots:
      return "dots";
    case Style::Squares:
      return "squares";
    case Style::Stars:
      return "stars";
  }
  return "line";
}

}  // namespace

std::string toJson(const LabTab& tab) {
  std::ostringstream out;
  out << "{\"charts\":[";
  for (std::size_t k = 0; k < tab.charts.size(); ++k) {
    const Chart& c = tab.charts[k];
    out << (k ? "," : "") << "{\"id\":" << jsonString(c.id) << ",\"title\":" << jsonString(c.title)
        << ",\"xTitle\":" << jsonString(c.xTitle) << ",\"yTitle\":" << jsonString(c.yTitle)
        << ",\"y2Title\":" << jsonString(c.y2Title) << ",\"logX\":" << (c.logX ? "true" : "false")
        << ",\"logY\":" << (c.logY ? "true" : "false")
        << ",\"wholeX\":" << (c.wholeX ? "true" : "false") << ",\"xMin\":" << jsonNumber(c.xMin)
        << ",\"xMax\":" << jsonNumber(c.xMax) << ",\"yMin\":" << jsonNumber(c.yMin)
        << ",\"yMax\":" << jsonNumber(c.yMax) << ",\"y2Min\":" << jsonNumber(c.y2Min)
        << ",\"y2Max\":" << jsonNumber(c.y2Max) << ",\"xStep\":" << jsonNumber(c.xStep)
        << ",\"xFitted\":" << (c.xFitted ? "true" : "false")
        << ",\"yFitted\":" << (c.yFitted ? "true" : "false")
        << ",\"notice\":" << jsonString(c.notice) << ",\"series\":[";
    for (std::size_t j = 0; j < c.series.size(); ++j) {
      const ChartSeries& s = c.series[j];
      out << (j ? "," : "") << "{\"name\":" << jsonString(s.name)
          << ",\"color\":" << jsonString(s.color) << ",\"style\":\"" << styleName(s.style)
          << "\",\"width\":" << jsonNumber(s.width) << ",\"axis\":" << s.axis
          << ",\"spanY\":" << (s.spanY ? "true" : "false") << ",\"x\":" << numbers(s.x)
          << ",\"y\":" << numbers(s.y) << "}";
    }
    out << "],\"bars\":[";
    for (std::size_t j = 0; j < c.bars.size(); ++j) {
      const ErrorBar& b = c.bars[j];
      out << (j ? "," : "") << "{\"x\":" << jsonNumber(b.x) << ",\"low\":" << jsonNumber(b.low)
          << ",\"high\":" << jsonNumber(b.high) << ",\"color\":" << jsonString(b.color)
          << ",\"width\":" << jsonNumber(b.width) << "}";
    }
    out << "],\"marks\":[";
    for (std::size_t j = 0; j < c.marks.size(); ++j)
      out << (j ? "," : "") << "{\"tick\":" << c.marks[j].tick
          << ",\"what\":" << jsonString(c.marks[j].what) << "}";
    out << "]}";
  }
  out << "],\"figures\":" << jsonString(tab.figures) << ",\"tableHead\":" << strings(tab.tableHead)
      << ",\"table\":[";
  for (std::size_t k = 0; k < tab.table.size(); ++k)
    out << (k ? "," : "") << strings(tab.table[k]);
  out << "]}";
  return out.str();
}

std::string hexColor(Color c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 255, (c >> 8) & 255, (c >> 16) & 255);
  return buf;
}

LabTab labTab(int index, int quantity, const lab::Laboratory& lab, const Simulation& sim,
              const std::vector<lab::SweepRow>& rows) {
  return labTab(index, quantity, lab.results(), lab, sim, rows);
}

LabTab labTab(int index, int quantity, const lab::Results& r, const lab::Laboratory& lab,
              const Simulation& sim, const std::vector<lab::SweepRow>& rows) {
  std::array<std::string, 5> colors;
  colors[0] = "#ebebeb";
  for (int k = 1; k <= 4; ++k)
    colors[static_cast<std::size_t>(k)] = hexColor(sim.state().speciesColor(k).toIndex());
  const TabSources v{
      r, lab.history(), colors,
      sim.collisionRule() == CollisionRule::Exact ? "exact hard discs" : "specified"};
  switch (index) {
    case 0:
      return speedsTab(v, quantity < 0 || quantity > 2 ? 0 : quantity);
    case 1:
      return equipartitionTab(v);
    case 2:
      return pressureTab(v);
    case 3:
      return diffusionTab(v);
    case 4:
      return collisionsTab(v);
    case 5:
      return hTab(v);
    case 6:
      return integrityTab(v);
    case 8:
      return pvTab(v);
    case 9:
      return heatFlowTab(v);
    case 10:
      return gasLawsTab(v, lab.gasLaws().running() ? lab.gasLaws().plan() : std::string());
    case 11:
      return atmosphereTab(v);
    case 12:
      return effusionTab(v);
    default:
      return equationOfStateTab(v, rows);
  }
}

}  // namespace km
