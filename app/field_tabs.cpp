// SPDX-License-Identifier: GPL-3.0-or-later
#include "field_tabs.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "chart_parts.h"
#include "summary.h"

namespace km {
namespace {

using Style = ChartSeries::Style;
using lab::numberText;
using namespace tabs;

const char* const noField = "No field: give g above 0 in Field.";
const char* const noDivider = "No divider: give the opening's width in Divider.";

}  // namespace

LabTab atmosphereTab(const TabSources& v) {
  const lab::Results& r = v.results;
  const lab::AtmosphereResults& a = r.atmosphere;
  Chart density =
      chartOf("density-against-height", "Each species' density against height",
              "height [units above the lowest the centres reach]", "density [discs/unit²]");
  Chart kT = chartOf("kT-against-height", "kT against height, all species",
                     "height [units above the lowest the centres reach]", "kT [amu·units²/tick²]");
  LabTab tab;
  if (!a.active || a.height.empty()) {
    density.notice = kT.notice = !r.running ? waiting(r) : !a.active ? noField : waiting(r);
    tab.charts = {density, kT};
    return tab;
  }
  const double span = a.highest - a.lowest;
  Span ds;
  std::ostringstream words;
  for (const lab::SpeciesAtmosphere& s : a.species) {
    const std::string& color = v.colors[static_cast<std::size_t>(s.species)];
    ChartSeries dots = series("species " + std::to_string(s.species), color, Style::Dots, 9);
    for (std::size_t b = 0; b < s.density.size() && b < a.height.size(); ++b) {
      const lab::Estimate& e = s.density[b];
      if (!(e.value > 0)) continue;  // a log axis has no place for an empty bin
      dots.x.push_back(a.height[b]);
      dots.y.push_back(e.value);
      ds.add(e.value);
      if (std::isfinite(e.error) && e.value - e.error > 0) {
        density.bars.push_back({a.height[b], e.value - e.error, e.value + e.error, color});
        ds.add(e.value - e.error);
      }
    }
    density.series.push_back(std::move(dots));
    if (std::isfinite(s.n0) && s.n0 > 0 && std::isfinite(s.scaleHeightTheory) &&
        s.scaleHeightTheory > 0) {
      ChartSeries law = series("", color, Style::Dashed);
      for (int k = 0; k <= 40; ++k) {
        const double h = span * k / 40;
        law.x.push_back(h);
        law.y.push_back(s.n0 * std::exp(-h / s.scaleHeightTheory));
      }
      density.series.push_back(std::move(law));
    }
    words << "Species " << s.species << " (mass " << numberText(s.mass) << ", " << s.count
          << (s.count == 1 ? " disc" : " discs") << "): scale height " << measured(s.scaleHeight)
          << " against kT/(m·g) = " << numberText(s.scaleHeightTheory) << ".\n";
  }
  ChartSeries dashes = series("barometric n(0)·exp(−m·g·h/kT)", eventColor, Style::Dashed);
  density.series.push_back(std::move(dashes));
  density.xMin = 0;
  density.xMax = span;
  // A log axis where the densities fall by more than a decade, so that each law is a straight
  // line; over less, a log axis would show no labelled tick at all.
  density.logY = ds.high > 10 * ds.low;
  if (density.logY) {
    density.yMin = std::max(ds.low, ds.high * 1e-6) / 2;
    density.yMax = ds.high * 2;
  } else {
    fitY(density, 0, ds.high);
  }

  Span ks;
  const ChartSeries bins = kTBins(kT, a.height, a.kT, ks);
  ChartSeries gas = series("the gas's kT", gasColor, Style::Dashed);
  horizontal(gas, 0, span, r.kT.value);
  ks.add(gas);
  kT.series = {bins, gas};
  kT.xMin = 0;
  kT.xMax = span;
  fitY(kT, std::min(0.0, ks.low), ks.high);
  tab.charts = {density, kT};
  words << "kT against height: slope " << measured({a.kTSlope, a.kTSlopeError})
        << " per unit (flat in equilibrium: the discs do not cool with height).\n"
        << "The floor holds the gas up: its impulse less the ceiling's per tick "
        << measured(a.support) << " against the weight Σm·g = " << numberText(a.weight) << ".";
  tab.figures = words.str();
  return tab;
}

LabTab effusionTab(const TabSources& v) {
  const lab::Results& r = v.results;
  const lab::EffusionResults& e = r.effusion;
  Chart sides = timeChart("Discs on each side of the divider", "discs", "discs-on-each-side");
  Chart entropy =
      timeChart("Entropy of mixing, −Σ N_side·Σ x·ln x", "entropy [k]", "entropy-of-mixing");
  LabTab tab;
  if (!e.active) {
    sides.notice = entropy.notice = !r.running ? waiting(r) : noDivider;
    tab.charts = {sides, entropy};
    return tab;
  }
  Span ss;
  for (const lab::SpeciesEffusion& s : e.species) {
    const std::string& color = v.colors[static_cast<std::size_t>(s.species)];
    for (int side = 0; side < lab::sideCount; ++side) {
      ChartSeries line =
          series("species " + std::to_string(s.species) + (side == 0 ? " left" : " right"), color,
                 side == 0 ? Style::Line : Style::Dashed);
      timePoints(line, s.onSidePath[static_cast<std::size_t>(side)]);
      ss.add(line);
      sides.series.push_back(std::move(line));
    }
  }
  fitTime(sides, r.ticks, 0, ss.high, v.history.events);
  ChartSeries mixing = series("entropy of mixing", gasColor);
  timePoints(mixing, e.entropyPath);
  Span es;
  es.add(mixing);
  ChartSeries most = series("its most, the gases mixed", eventColor, Style::Dashed);
  if (!mixing.x.empty()) horizontal(most, mixing.x.front(), mixing.x.back(), e.entropyMost);
  es.add(most);
  entropy.series = {mixing, most};
  fitTime(entropy, r.ticks, 0, es.high, v.history.events);
  tab.charts = {sides, entropy};

  std::ostringstream words;
  words << "Opening " << numberText(e.opening) << " units; the centres pass " << numberText(e.width)
        << " of it.\n";
  for (const lab::SpeciesEffusion& s : e.species) {
    words << "Species " << s.species << " (mass " << numberText(s.mass)
          << "): crossings per tick per unit width, left to right " << measured(s.flux[0])
          << " against n·√(kT/2πm) = " << numberText(s.fluxTheory[0]) << ", right to left "
          << measured(s.flux[1]) << " against " << numberText(s.fluxTheory[1]) << ".\n";
  }
  if (e.ratioOf[0] > 0 && e.ratioOf[1] > 0)
    words << "Species " << e.ratioOf[0] << " over species " << e.ratioOf[1]
          << ", rates per unit density: " << measured(e.ratio)
          << " against Graham's √(m₂/m₁) = " << numberText(e.ratioTheory) << ".\n";
  words << "Entropy of mixing " << numberText(e.entropy) << " of its most "
        << numberText(e.entropyMost) << ".";
  tab.figures = words.str();
  return tab;
}

}  // namespace km
