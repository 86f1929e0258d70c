// SPDX-License-Identifier: GPL-3.0-or-later
#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "theory.h"

namespace km::lab {
namespace {

const char* const energyUnit = "amu*u^2/tick^2";

struct Rows {
  std::vector<Row> rows;
  std::string section;
  Row& add(std::string key, std::string label, std::string unit, double value) {
    Row r;
    r.section = section;
    r.key = std::move(key);
    r.label = std::move(label);
    r.unit = std::move(unit);
    r.value = value;
    rows.push_back(std::move(r));
    return rows.back();
  }
  Row& add(std::string key, std::string label, std::string unit, double value, double error) {
    Row& r = add(std::move(key), std::move(label), std::move(unit), value);
    r.error = error;
    r.hasError = true;
    return r;
  }
  Row& add(std::string key, std::string label, std::string unit, const Estimate& e) {
    return add(std::move(key), std::move(label), std::move(unit), e.value, e.error);
  }
};

Row& theory(Row& r, double value, std::string name = "") {
  r.theory = value;
  r.theoryName = std::move(name);
  return r;
}

std::string format(const char* f, double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, digits, v);
  return buf;
}

}  // namespace

std::string numberText(double value) {
  if (!std::isfinite(value)) return "—";
  if (value == std::floor(value) && std::fabs(value) < 1e9) return format("%.*f", value, 0);
  return format("%.*g", value, 4);
}

std::string measuredText(double value, double error) {
  if (!std::isfinite(value)) return "—";
  if (!std::isfinite(error)) return numberText(value);
  // A quantity that does not move at all (the energy of exact hard discs) has no error digits.
  if (error <= 1e-12 * std::fabs(value)) return numberText(value) + " ± 0";
  // Decimals that show the error's first two significant digits.
  const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(error))), 0, 12);
  if (std::fabs(value) >= 1e9 || (std::fabs(value) < 1e-4 && value != 0))
    return format("%.*g", value, 4) + " ± " + format("%.*g", error, 2);
  return format("%.*f", value, decimals) + " ± " + format("%.*f", error, decimals);
}

std::string waitingText(const Results& r) {
  if (!r.running) return "No gas yet: press \"Run Simulation\" in the main window.";
  if (r.particles == 0) return "No discs are moving: every count is 0.";
  if (r.warmupLeft > 0)
    return "Warming up: the averages begin in " + std::to_string(r.warmupLeft) +
           (r.warmupLeft == 1 ? " tick." : " ticks.");
  if (!(r.kTNow > 0)) return "Nothing moves: the gas has no energy of motion to measure.";
  return "";
}

std::string noRoomText(const Results& r) {
  if (!r.running || !(r.side <= 0)) return "";
  return "With a particle radius of " + numberText(r.radius) +
         " there is no room between the walls: the centres reach no square (L = 1000 − 2·radius "
         "= " +
         numberText(r.side) + "), so there is no pressure, Z or density profile.";
}

std::string noRoomNotice(const Results& r) {
  if (!r.running || !(r.side <= 0)) return "";
  return "No room between the walls: radius " + numberText(r.radius) +
         ", L = " + numberText(r.side) + ".";
}

std::string hWindowText(const Results& r) {
  return "H over the last " + std::to_string(r.hSpan) + (r.hSpan == 1 ? " tick, " : " ticks, ") +
         std::to_string(r.hSpeeds) + (r.hSpeeds == 1 ? " speed: " : " speeds: ") +
         numberText(r.hNow);
}

std::vector<Row> summarize(const Results& r) {
  Rows out;
  auto sp = [](const SpeciesResult& s) { return "species" + std::to_string(s.species); };
  auto words = [](const SpeciesResult& s) { return "species " + std::to_string(s.species); };

  out.section = "temperature";
  out.add("kT.gas", "kT of the gas", energyUnit, r.kT);
  for (const SpeciesResult& s : r.species) {
    out.add("kT." + sp(s), "kT of " + words(s), energyUnit, s.kT);
    theory(out.add("kT_ratio." + sp(s), "kT of " + words(s) + " / kT of the gas", "", s.kTRatio),
           1);
  }

  out.section = "distributions";
  for (const SpeciesResult& s : r.species) {
    out.add("ks_speed." + sp(s), "KS distance of the speeds, " + words(s), "", s.speed.ks);
    out.add("ks_vx." + sp(s), "KS distance of vx, " + words(s), "", s.vx.ks);
    out.add("ks_vy." + sp(s), "KS distance of vy, " + words(s), "", s.vy.ks);
  }
  theory(
      out.add("H", "Boltzmann's H, reduced velocities, last " + std::to_string(r.hSpan) + " ticks",
              "", r.hNow),
      r.hMaxwellian, "Maxwellian");
  theory(out.add("H_averaged", "Boltzmann's H, reduced velocities, every speed averaged", "",
                 r.hAveraged),
         r.hMaxwellian, "Maxwellian");

  out.section = "pressure";
  out.add("pressure", "pressure on the walls", "amu/tick^2", r.pressure);
  // Where the fluid meets the hexatic phase no fluid equation gives a value: the row says why.
  auto beyond = [](double eta) {
    return eta >= theory::fluidEnds ? std::string(
                                          " (η ≥ 0.70: the fluid meets the hexatic phase, "
                                          "no fluid equation applies)")
                                    : std::string();
  };
  Row& z = out.add("Z",
                   (r.walls.active ? "compressibility Z = P·A/(N·kT), over the area reached"
                                   : "compressibility Z = P·L²/(N·kT), nominal density") +
                       beyond(r.eta),
                   "", r.Z);
  theory(z, r.zWalled, "bulk fluid less the walls' first-order term");
  z.theory2 = r.zBulk;
  z.theory2Name = "bulk fluid";
  Row& zi = out.add("Z_interior",
                    "compressibility Z = P/(n·kT), interior density" + beyond(r.etaInterior.value),
                    "", r.zInterior);
  theory(zi, r.zBulkInterior, "bulk fluid");
  zi.theory2 = r.zHendersonInterior;
  zi.theory2Name = "Henderson";
  const bool moved = r.walls.active && r.walls.rightX != 1000;
  out.add("eta", moved ? "packing fraction N·π·σ²/(4·A)" : "packing fraction N·π·σ²/(4·L²)", "",
          r.eta);
  const std::string inner =
      std::isfinite(r.interiorFrom)
          ? " (centres " + numberText(r.interiorFrom) + " u or more from every wall)"
          : "";
  out.add("eta_interior", "packing fraction of the interior" + inner, "", r.etaInterior);
  out.add("Z_henderson",
          "Henderson's Z at the nominal density (within 0.5 % of the bulk fluid up to η = 0.5)", "",
          r.zHenderson);
  if (!noRoomText(r).empty())
    for (Row& row : out.rows)
      if (row.section == "pressure") row.label += " (no room between the walls: radius ≥ 500)";

  out.section = "collisions";
  theory(out.add("exchanges", "exchanges per tick", "1/tick", r.exchanges), r.enskogCollisions,
         "Enskog, interior density");
  theory(out.add("new_contacts", "new contacts per tick", "1/tick", r.newContacts),
         r.enskogCollisions, "Enskog, interior density");
  for (const SpeciesResult& s : r.species)
    theory(out.add("contact_rate." + sp(s), "new contacts per disc per tick, " + words(s), "1/tick",
                   s.contactRate),
           s.enskogRate, "Enskog, interior density");
  // Under the exact rule a repeat is no binding: a tick outlasts the mean free time, so a disc
  // can meet the same neighbour again within one.
  if (r.exactRule) {
    out.add("repeat_share", "contacts with the same partner in consecutive ticks (not binding)", "",
            r.boundShare);
    out.add("longest_repeat_run", "longest run of one pair in contact tick after tick", "ticks",
            static_cast<double>(r.longestBoundRun));
  } else {
    out.add("bound_share", "bound-pair share: exchanges repeating the previous tick's pair", "",
            r.boundShare);
    out.add("longest_bound_run", "longest run of one pair exchanged tick after tick", "ticks",
            static_cast<double>(r.longestBoundRun));
  }

  out.section = "diffusion";
  auto fitLabel = [](const std::string& who, const MeanSquaredDisplacement::Fit& f) {
    if (f.fromLag == 0) return "D of " + who + " (no diffusive range yet)";
    return "D of " + who + ", lags " + std::to_string(f.fromLag) + "-" + std::to_string(f.toLag);
  };
  out.add("D.tracer", fitLabel("particle 1", r.tracer), "u^2/tick", r.tracer.D, r.tracer.error);
  for (const SpeciesResult& s : r.species) {
    Row& d = out.add("D." + sp(s), fitLabel(words(s), s.diffusion), "u^2/tick", s.diffusion.D,
                     s.diffusion.error);
    theory(d, s.enskogD, "Enskog, interior density");
    out.add("msd_log_slope." + sp(s), "d ln MSD / d ln lag over the fit, " + words(s), "",
            s.diffusion.logSlope)
        .theory = 1;
  }

  if (r.walls.active) {
    const WallResults& w = r.walls;
    out.section = "walls";
    static const char* const names[] = {"left", "right", "bottom", "top"};
    out.add("area", "area the centres reach, (X − 2r)·(1000 − 2r), now", "u^2", w.area);
    out.add("right_wall.x", "the right wall's face now", "u", w.rightX);
    out.add("right_wall.velocity", "the right wall's velocity now", "u/tick", w.rightVelocity);
    for (std::size_t k = 0; k < wallCount; ++k) {
      Row& p = out.add(std::string("pressure.") + names[k],
                       std::string("pressure on the ") + names[k] + " wall", "amu/tick^2",
                       w.pressure[k]);
      if (k == 1 && w.piston) theory(p, w.outsidePressure, "outside pressure");
    }
    if (r.particles > 0 && std::isfinite(w.area) && w.area > 0 && std::isfinite(r.sigma)) {
      const double eta = theory::packingFraction(r.particles, r.sigma, std::sqrt(w.area));
      out.add("eta_area", "packing fraction over the area reached, N·π·σ²/(4·A)", "", eta);
      out.add("Z_henderson_area", "Henderson's Z over the area reached", "",
              theory::hendersonZ(eta));
    }
    out.add("work", "work the moving wall did on the gas since the start (or last experiment)",
            energyUnit, w.work);
    if (w.piston)
      out.add("work.outside", "work of the piston's outside pressure since then", energyUnit,
              w.externalWork);
    for (std::size_t k = 0; k < wallCount; ++k)
      out.add(std::string("heat.") + names[k],
              std::string("heat the ") + names[k] + " wall gave the gas since then", energyUnit,
              w.heat[k]);
    for (std::size_t k = 0; k < wallCount; ++k)
      out.add(std::string("heat_flow.") + names[k],
              std::string("heat the ") + names[k] + " wall gives the gas per tick",
              "amu*u^2/tick^3", w.heatFlow[k]);
    out.add("energy.unaccounted",
            "energy now less the start's and what the walls gave, over the start's", "relative",
            w.unaccounted);
    // Conduction between the side walls: the temperature's slope across the bulk, the jumps
    // at the walls, the heat carried and the conductivity it gives.
    const HeatResults& h = r.heat;
    out.add("kT_gradient", "slope of kT across the bulk (the middle six of ten bins in x)",
            "amu*u/tick^2", h.slope, h.slopeError);
    out.add("kT_jump.left", "kT of the bulk's line at the left wall less the wall's", energyUnit,
            h.jumpLeft);
    out.add("kT_jump.right", "kT of the bulk's line at the right wall less the wall's", energyUnit,
            h.jumpRight);
    out.add("heat_flux", "heat carried in +x per tick per unit length, the side walls' mean",
            "amu*u/tick^3", h.flux);
    Row& kappa = out.add("kappa", "thermal conductivity, −heat_flux / kT_gradient", "1/tick",
                         h.kappa, h.kappaError);
    theory(kappa, h.kappaDilute, "Chapman-Enskog dilute");
    kappa.theory2 = h.kappaEnskog;
    kappa.theory2Name = "Enskog";
    Row& path =
        out.add("mean_free_path", "mean free path: mean speed / collisions per disc per tick", "u",
                h.meanFreePath);
    theory(path, h.meanFreePathDilute, "dilute");
    path.theory2 = h.meanFreePathEnskog;
    path.theory2Name = "Enskog";
    const double width = std::isfinite(w.rightX) ? w.rightX - 2 * r.radius : notKnown;
    out.add("knudsen", "mean free path over the width the centres reach", "",
            width > 0 ? h.meanFreePath.value / width : notKnown);
  }

  if (r.atmosphere.active) {
    const AtmosphereResults& a = r.atmosphere;
    out.section = "atmosphere";
    for (const SpeciesAtmosphere& x : a.species) {
      const std::string who = "species " + std::to_string(x.species);
      theory(out.add("scale_height.species" + std::to_string(x.species),
                     "scale height of " + who + ", maximum likelihood over the heights reached",
                     "u", x.scaleHeight),
             x.scaleHeightTheory, "barometric");
    }
    if (!a.kT.empty()) {
      theory(out.add("kT_height.bottom", "kT of the discs in the lowest tenth of the heights",
                     energyUnit, a.kT.front()),
             r.kT.value, "gas");
      theory(out.add("kT_height.top", "kT of the discs in the highest tenth of the heights",
                     energyUnit, a.kT.back()),
             r.kT.value, "gas");
    }
    theory(out.add("kT_height_slope", "slope of kT against height, a weighted line over ten bins",
                   "amu*u/tick^2", a.kTSlope, a.kTSlopeError),
           0, "flat");
    theory(out.add("hydrostatic",
                   "floor impulse − ceiling impulse + the divider's ends' y impulse, per tick",
                   "amu*u/tick^2", a.support),
           a.weight, "weight");
  }

  if (r.effusion.active) {
    const EffusionResults& e = r.effusion;
    out.section = "effusion";
    const char* const perWidth = "1/(u*tick)";
    for (const SpeciesEffusion& x : e.species) {
      const std::string key = "species" + std::to_string(x.species);
      const std::string who = "species " + std::to_string(x.species);
      theory(out.add("effusion." + key,
                     "crossings of x = 500 per tick per unit width passed, both ways, " + who,
                     perWidth, x.fluxBoth),
             x.fluxBothTheory, "effusion");
      theory(out.add("effusion_rightward." + key,
                     "crossings from the left per tick per unit width passed, " + who, perWidth,
                     x.flux[0]),
             x.fluxTheory[0], "effusion");
      theory(out.add("effusion_leftward." + key,
                     "crossings from the right per tick per unit width passed, " + who, perWidth,
                     x.flux[1]),
             x.fluxTheory[1], "effusion");
      out.add("on_left." + key, "discs of " + who + " left of x = 500", "", x.onSide[0]);
    }
    if (e.ratioOf[1] != 0)
      theory(out.add("effusion_ratio",
                     "rate per unit density of species " + std::to_string(e.ratioOf[0]) +
                         " over species " + std::to_string(e.ratioOf[1]),
                     "", e.ratio),
             e.ratioTheory, "Graham");
    theory(out.add("mixing_entropy", "entropy of mixing now, −Σ N_side·Σ x·ln x (k = 1)", "",
                   e.entropy),
           e.entropyMost, "most");
  }

  out.section = "integrity";
  out.add("energy.start", "total energy at the start (or last experiment)", energyUnit,
          r.energyAtStart);
  out.add("energy.now", "total energy now", energyUnit, r.energy);
  out.add("energy.drift", "energy drift per 10,000 ticks since then", "relative", r.driftPer10k);
  out.add("momentum.x", "total momentum, x", "amu*u/tick", r.momentumX);
  out.add("momentum.y", "total momentum, y", "amu*u/tick", r.momentumY);
  out.add("beyond_wall.share", "share of ticks with a centre past the wall line", "",
          r.shareBeyondWall);
  out.add("beyond_wall.farthest", "farthest any centre went past the wall line", "u",
          r.farthestBeyondWall);
  out.add("beyond_edge.farthest", "farthest any centre went past the box's edge", "u",
          r.farthestBeyondEdge);
  out.add("outside.now", "centres outside the box now", "", static_cast<double>(r.outside));
  out.add("excursion.now", "farthest centre beyond the box's edge now", "u", r.worstExcursion);
  out.add("seed", "seed of the run", "", static_cast<double>(r.seed.seed));
  out.add("draws", "random numbers drawn from the seed before the run", "",
          static_cast<double>(r.seed.draws));
  return out.rows;
}

std::vector<Row> gasLawSummary(const std::vector<GasLawRow>& rows) {
  Rows out;
  out.section = "gas laws";
  // The invariants' units, in the order of gasLawNames.
  static const char* const invariantUnits[] = {energyUnit, "tick^2/amu", "1/u^2", "amu*u^4/tick^2",
                                               energyUnit};
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const GasLawRow& g = rows[k];
    const std::string key = "gas_law" + std::to_string(k + 1) + ".";
    const std::string name = std::to_string(k + 1) + ": " + g.name;
    const int p = std::clamp(g.process, 0, 4);
    out.add(key + "complete", name + ", both ends measured (1 yes, 0 no); ending: " + g.ending, "",
            g.complete ? 1 : 0);
    for (const auto& [end, at] : {std::pair{&g.start, "start"}, std::pair{&g.end, "end"}}) {
      const std::string k2 = key + at + ".", n2 = name + ", " + at + ": ";
      out.add(k2 + "from_tick", n2 + "first tick of its window", "tick",
              static_cast<double>(end->fromTick));
      out.add(k2 + "to_tick", n2 + "last tick of its window", "tick",
              static_cast<double>(end->toTick));
      out.add(k2 + "pressure", n2 + "P, all four walls", "amu/tick^2", end->pressure);
      out.add(k2 + "area", n2 + "A the centres reach", "u^2", end->area);
      out.add(k2 + "kT", n2 + "kT", energyUnit, end->kT);
      out.add(k2 + "eta", n2 + "packing fraction at the mean area", "", end->eta);
      out.add(k2 + "Z", n2 + "Henderson's Z at the mean area", "", end->z);
      out.add(k2 + "kT_now", n2 + "kT at the window's last tick", energyUnit, end->kTNow);
      theory(out.add(k2 + "invariant", n2 + "invariant " + g.invariant, invariantUnits[p],
                     end->invariant),
             g.expected, "law's value");
    }
    const std::string unit = g.quantity == "P"   ? "amu/tick^2"
                             : g.quantity == "A" ? "u^2"
                                                 : energyUnit;
    Row& m = out.add(key + "measured", name + ", end measured: " + g.quantity, unit, g.measured,
                     measuredError(g));
    theory(m, g.ideal, "ideal");
    m.theory2 = g.hardDisc;
    m.theory2Name = "hard discs";
    out.add(key + "work", name + ", work the walls did on the gas since the change", energyUnit,
            g.work);
    out.add(key + "heat", name + ", heat the walls gave the gas since the change", energyUnit,
            g.heat);
  }
  return out.rows;
}

std::vector<std::string> rowColumns() {
  Results r;
  for (int s = 1; s <= 4; ++s) {
    r.species.emplace_back();
    r.species.back().species = s;
  }
  // Walls that hold a temperature or move, the right one a piston: every row they add.
  r.walls.active = r.walls.piston = true;
  r.walls.area = 1;
  r.particles = 1;
  r.sigma = 1;
  std::vector<Row> rows = summarize(r);
  r.exactRule = true;
  // The exact rule's rows that the specified one lacks go after the row before them.
  for (const Row& e : summarize(r)) {
    auto same = [&](const Row& x) { return x.key == e.key; };
    if (std::any_of(rows.begin(), rows.end(), same)) continue;
    auto at = rows.end();
    for (auto k = rows.begin(); k != rows.end(); ++k)
      if (k->section == e.section) at = k + 1;
    rows.insert(at, e);
  }
  std::vector<std::string> out;
  for (const Row& row : rows) {
    out.push_back(row.key);
    if (row.hasError) out.push_back(row.key + ":error");
    for (const auto& [v, name] :
         {std::pair{row.theory, row.theoryName}, std::pair{row.theory2, row.theory2Name}})
      if (std::isfinite(v) || !name.empty())
        out.push_back(row.key + ":" + (name.empty() ? "theory" : name));
  }
  return out;
}

std::string escapeText(const Results& r) {
  const std::string share =
      std::isfinite(r.shareBeyondWall) ? numberText(100 * r.shareBeyondWall) + " %" : "—";
  return "Centres past the wall line in " + share + " of ticks (farthest " +
         numberText(r.farthestBeyondWall) + " units, " + numberText(r.farthestBeyondEdge) +
         " past the box's edge).   Outside the box now: " + std::to_string(r.outside) +
         " (farthest " + numberText(r.worstExcursion) + " units).";
}

std::string runSeedText(RunSeed seed) {
  const std::string s = std::to_string(seed.seed), d = std::to_string(seed.draws);
  return "Seed " + s + ", " + d + " numbers drawn before this run: kinetic-measure --seed " + s +
         " --draws " + d + " places this gas again.";
}

}  // namespace km::lab
