// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include "report_json.h"
#include "tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace km::measure {

using lab::jsonNumber;
using lab::jsonString;
using lab::measuredText;
using lab::numberText;
namespace {

std::string settingsLine(const Options& o) {
  const auto& c = o.input.rows.counts;
  const auto& m = o.input.rows.masses;
  return "counts " + c[0] + "," + c[1] + "," + c[2] + "," + c[3] + "  masses " + m[0] + "," + m[1] +
         "," + m[2] + "," + m[3] + "  radius " + o.input.radius + "  proximity " + o.proximity +
         "  vel-range " + o.input.velocityRange + "  rule " + o.rule + "  seed " +
         std::to_string(o.seed) + (o.draws ? "  draws " + std::to_string(o.draws) : "") +
         (o.gasLaw >= 0
              ? "  gas-law " + std::string(lab::gasLawNames[static_cast<std::size_t>(o.gasLaw)])
              : "");
}

std::string theoryText(const lab::Row& row) {
  std::string t;
  if (std::isfinite(row.theory)) {
    t = numberText(row.theory);
    if (!row.theoryName.empty()) t += " (" + row.theoryName + ")";
  }
  if (std::isfinite(row.theory2)) {
    t += t.empty() ? "" : ", ";
    t += numberText(row.theory2);
    if (!row.theory2Name.empty()) t += " (" + row.theory2Name + ")";
  }
  return t;
}

// Display width: the UTF-8 continuation bytes take no column.
std::size_t columns(const std::string& s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char ch) { return (ch & 0xC0) != 0x80; }));
}

std::string pad(const std::string& s, std::size_t width) {
  const std::size_t w = columns(s);
  return w >= width ? s : s + std::string(width - w, ' ');
}

}  // namespace

std::vector<lab::Row> reportRows(const Options& o, const Outcome& run) {
  std::vector<lab::Row> rows = lab::summarize(run.results);
  if (o.gasLaw >= 0) {
    const std::vector<lab::Row> laws = lab::gasLawSummary(run.results.gasLaws);
    rows.insert(rows.end(), laws.begin(), laws.end());
  }
  return rows;
}

void writeTable(std::ostream& out, const Options& o, const Outcome& run,
                const std::vector<lab::Row>& rows) {
  const lab::Results& r = run.results;
  out << "Kinetic Model measurements\n";
  out << settingsLine(o) << "\n";
  if (run.stopped && run.total > 0)
    out << "Interrupted after " << r.ticks << " of " << run.total
        << " ticks: the measurements so far\n";
  else if (run.stopped)
    out << "Interrupted after " << r.ticks
        << " ticks, before the process left its row: the measurements so far\n";
  out << r.particles << " discs, " << r.warmup << " ticks of warm-up, then " << r.measuredTicks
      << " ticks averaged; errors are standard errors from block averages\n";
  auto quantityText = [](const lab::Row& row) {
    return row.label + (row.unit.empty() ? "" : " [" + row.unit + "]");
  };
  // Columns as wide as their widest entry, so that every value and theory lines up.
  std::size_t quantityWidth = 0, valueWidth = 0;
  for (const lab::Row& row : rows) {
    quantityWidth = std::max(quantityWidth, columns(quantityText(row)));
    valueWidth = std::max(valueWidth, columns(measuredText(row.value, row.error)));
  }
  std::string section;
  for (const lab::Row& row : rows) {
    if (row.section != section) {
      section = row.section;
      out << "\n" << section << "\n";
    }
    std::string line = "  " + pad(quantityText(row), quantityWidth) + "   " +
                       pad(measuredText(row.value, row.error), valueWidth) + "   " +
                       theoryText(row);
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << "\n";
  }
}

void writeJson(std::ostream& out, const Options& o, const Outcome& run,
               const std::vector<lab::Row>& rows) {
  lab::RunSettings s;
  s.input = o.input;
  s.proximity = o.proximity;
  s.rule = o.rule;
  s.seed = o.seed;
  s.draws = o.draws;
  // What the averages are: for a whole run the ticks asked for, for a stopped one fewer.
  s.warmup = run.results.warmup;
  s.ticks = run.results.measuredTicks;
  lab::writeJson(out, s, run.results, run.stopped ? run.results.ticks : -1, rows);
}

void writeCsv(std::ostream& out, const std::vector<lab::Row>& rows) {
  out << lab::summaryCsv(rows);
}

namespace {

std::string sweepLine(const Options& o, bool stopped) {
  std::string line = std::to_string(o.discs);
  line += " discs of mass 1, proximity = 2 x radius, rule ";
  line += o.rule;
  line += ", vel-range ";
  line += o.input.velocityRange;
  line += ", seeds ";
  for (std::size_t k = 0; k < o.seeds.size(); ++k)
    line.append(k ? "," : "").append(std::to_string(o.seeds[k]));
  line += "; " + std::to_string(o.warmup) + " ticks of warm-up, then " + std::to_string(o.ticks) +
          " averaged";
  if (stopped) line += "; interrupted: rows hold the runs that finished";
  return line;
}

}  // namespace

void writeSweepTable(std::ostream& out, const Options& o, const std::vector<lab::SweepRow>& rows,
                     bool stopped) {
  out << "Kinetic Model: the equation of state, swept\n" << sweepLine(o, stopped) << "\n";
  out << "Z over the nominal density N/L^2 beside the bulk fluid less the walls' first-order "
         "term and the bulk fluid;\nZ over the interior's density (centres 4 sigma or more from "
         "every wall) beside the bulk fluid there.\n\n";
  const std::vector<std::string> head = {
      "eta",     "Z",       "walled",        "bulk",           "Henderson",
      "eta_int", "Z_int",   "bulk(eta_int)", "coll/disc/tick", "Enskog",
      "D",       "D_Enskog"};
  std::vector<std::vector<std::string>> cells{head};
  for (const lab::SweepRow& r : rows) {
    if (!r.problem.empty() && r.runs == 0) {
      cells.push_back({numberText(r.eta), std::string("(").append(r.problem).append(")")});
      continue;
    }
    cells.push_back(
        {numberText(r.eta), measuredText(r.z.value, r.z.error), numberText(r.zWalled),
         numberText(r.zBulk), numberText(r.zHenderson),
         measuredText(r.etaInterior.value, r.etaInterior.error),
         measuredText(r.zInterior.value, r.zInterior.error), numberText(r.zBulkInterior),
         measuredText(r.collisionRate.value, r.collisionRate.error), numberText(r.enskogRate),
         measuredText(r.diffusion.value, r.diffusion.error), numberText(r.enskogD)});
  }
  std::vector<std::size_t> width(head.size(), 0);
  for (const auto& row : cells)
    if (row.size() == head.size())
      for (std::size_t c = 0; c < row.size(); ++c)
        width[c] = std::max(width[c], columns(row[c]));
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c)
      line += (c ? "  " : "") + (row.size() == head.size() ? pad(row[c], width[c]) : row[c]);
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << "\n";
  }
  // A row that lacks some seeds says which it holds, which were refused and why.
  for (const lab::SweepRow& r : rows)
    if (!r.refused.empty() && r.runs > 0) {
      out << "eta " << numberText(r.eta) << ": holds seed" << (r.seeds.size() > 1 ? "s " : " ");
      for (std::size_t k = 0; k < r.seeds.size(); ++k)
        out << (k ? "," : "") << r.seeds[k];
      out << "; " << r.problem << "\n";
    }
}

namespace {

std::string seedArray(const std::vector<std::uint32_t>& seeds) {
  std::string out = "[";
  for (std::size_t k = 0; k < seeds.size(); ++k)
    out += (k ? ", " : "") + std::to_string(seeds[k]);
  return out + "]";
}

}  // namespace

void writeSweepJson(std::ostream& out, const Options& o, const std::vector<lab::SweepRow>& rows,
                    bool stopped) {
  std::vector<std::string> seeds;
  for (std::uint32_t s : o.seeds)
    seeds.push_back(std::to_string(s));
  out << "{\n  \"settings\": {\"discs\": " << o.discs << ", \"rule\": " << jsonString(o.rule)
      << ", \"vel_range\": " << jsonString(o.input.velocityRange) << ", \"seeds\": [";
  for (std::size_t k = 0; k < seeds.size(); ++k)
    out << (k ? ", " : "") << seeds[k];
  out << "], \"warmup\": " << o.warmup << ", \"ticks\": " << o.ticks
      << ", \"interrupted\": " << (stopped ? "true" : "false") << "},\n  \"rows\": [";
  auto estimate = [](const lab::Estimate& e) {
    return "{\"value\": " + jsonNumber(e.value) + ", \"error\": " + jsonNumber(e.error) + "}";
  };
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const lab::SweepRow& r = rows[k];
    out << (k ? ",\n    " : "\n    ") << "{\"eta\": " << jsonNumber(r.eta)
        << ", \"radius\": " << jsonNumber(std::strtod(r.radius.c_str(), nullptr))
        << ", \"runs\": " << r.runs << ", \"seeds\": " << seedArray(r.seeds)
        << ", \"refused_seeds\": " << seedArray(r.refused)
        << ", \"problem\": " << (r.problem.empty() ? "null" : jsonString(r.problem))
        << ", \"eta_measured\": " << jsonNumber(r.etaMeasured) << ", \"Z\": " << estimate(r.z)
        << ", \"Z_walled\": " << jsonNumber(r.zWalled) << ", \"Z_bulk\": " << jsonNumber(r.zBulk)
        << ", \"Z_henderson\": " << jsonNumber(r.zHenderson)
        << ", \"eta_interior\": " << estimate(r.etaInterior)
        << ", \"Z_interior\": " << estimate(r.zInterior)
        << ", \"Z_bulk_interior\": " << jsonNumber(r.zBulkInterior)
        << ", \"collision_rate\": " << estimate(r.collisionRate)
        << ", \"enskog_rate\": " << jsonNumber(r.enskogRate) << ", \"D\": " << estimate(r.diffusion)
        << ", \"enskog_D\": " << jsonNumber(r.enskogD) << "}";
  }
  out << "\n  ]\n}\n";
}

}  // namespace km::measure
