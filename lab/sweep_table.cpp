// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <numbers>

#include "summary.h"
#include "tables.h"

namespace km::lab {
namespace {

// Each column: its name and where its number lives in a row.
struct Column {
  const char* name;
  double SweepRow::*number = nullptr;
  Estimate SweepRow::*estimate = nullptr;
  bool error = false;  // the estimate's error rather than its value
};

const Column columns[] = {
    {"eta", &SweepRow::eta},
    {"eta_measured", &SweepRow::etaMeasured},
    {"Z", nullptr, &SweepRow::z},
    {"Z_error", nullptr, &SweepRow::z, true},
    {"Z_walled", &SweepRow::zWalled},
    {"Z_bulk", &SweepRow::zBulk},
    {"Z_henderson", &SweepRow::zHenderson},
    {"eta_interior", nullptr, &SweepRow::etaInterior},
    {"eta_interior_error", nullptr, &SweepRow::etaInterior, true},
    {"Z_interior", nullptr, &SweepRow::zInterior},
    {"Z_interior_error", nullptr, &SweepRow::zInterior, true},
    {"Z_bulk_interior", &SweepRow::zBulkInterior},
    {"collision_rate [1/tick]", nullptr, &SweepRow::collisionRate},
    {"collision_rate_error [1/tick]", nullptr, &SweepRow::collisionRate, true},
    {"enskog_rate [1/tick]", &SweepRow::enskogRate},
    {"D [u^2/tick]", nullptr, &SweepRow::diffusion},
    {"D_error [u^2/tick]", nullptr, &SweepRow::diffusion, true},
    {"enskog_D [u^2/tick]", &SweepRow::enskogD},
};

double& slot(SweepRow& row, const Column& c) {
  if (c.number) return row.*c.number;
  Estimate& e = row.*c.estimate;
  return c.error ? e.error : e.value;
}

std::string field(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char ch : s)
    out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return out + "\"";
}

// The fields of one CSV line; a quoted field may hold commas and doubled quotes.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t k = 0; k < line.size(); ++k) {
    const char ch = line[k];
    if (quoted && ch == '"' && k + 1 < line.size() && line[k + 1] == '"') {
      out.back() += '"';
      ++k;
    } else if (ch == '"') {
      quoted = !quoted;
    } else if (ch == ',' && !quoted) {
      out.emplace_back();
    } else if (ch != '\r') {
      out.back() += ch;
    }
  }
  return out;
}

// Seeds as a field: "1 2 3".
std::string seedList(const std::vector<std::uint32_t>& seeds) {
  std::string out;
  for (std::uint32_t seed : seeds) {
    if (!out.empty()) out += ' ';
    out += std::to_string(seed);
  }
  return out;
}

// The seeds of a field that seedList wrote; false if it holds anything else.
bool readSeeds(const std::string& text, std::vector<std::uint32_t>& seeds) {
  seeds.clear();
  std::size_t k = 0;
  while (k < text.size()) {
    if (text[k] == ' ') {
      ++k;
      continue;
    }
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str() + k, &end, 10);
    const std::size_t used = static_cast<std::size_t>(end - (text.c_str() + k));
    if (used == 0 || v > 0xffffffffULL || text[k] == '-' || text[k] == '+') return false;
    seeds.push_back(static_cast<std::uint32_t>(v));
    k += used;
  }
  return true;
}

}  // namespace

std::string sweepCsv(const std::vector<SweepRow>& rows, const SweepSettings* settings) {
  std::string out;
  for (const Column& c : columns)
    out += std::string(c.name) + ",";
  out += "radius [u],runs,seeds,refused_seeds,";
  std::string made;
  if (settings) {
    out += "discs,rule,warmup [tick],ticks [tick],";
    made = std::to_string(settings->discs) + "," +
           (settings->rule == CollisionRule::Exact ? "exact" : "specified") + "," +
           std::to_string(settings->warmup) + "," + std::to_string(settings->ticks) + ",";
  }
  out += "problem\n";
  for (SweepRow row : rows) {
    for (const Column& c : columns)
      out += plainNumber(slot(row, c)) + ",";
    out += row.radius + "," + std::to_string(row.runs) + "," + seedList(row.seeds) + "," +
           seedList(row.refused) + "," + made + field(row.problem) + "\n";
  }
  return out;
}

namespace {

// The whole number of discs that radius r gives the packing fraction η in the box, as
// radiusFor set it, or 0 when none does: n = η·(1000 − 2r)² / (π·r²).
int discsFor(double eta, double r) {
  if (!(eta > 0) || !(r > 0) || !(r < 500)) return 0;
  const double n = eta * (1000 - 2 * r) * (1000 - 2 * r) / (std::numbers::pi * r * r);
  const double whole = std::round(n);
  return whole >= 1 && whole <= 500 && std::fabs(n - whole) < 1e-6 * whole ? static_cast<int>(whole)
                                                                           : 0;
}

// What the rows and the table's settings columns tell.
SweepTableSettings settingsOf(const std::vector<SweepRow>& rows,
                              const std::map<std::string, std::string>& first) {
  SweepTableSettings out;
  for (const SweepRow& row : rows) {
    out.etas.push_back(row.eta);
    for (const auto* list : {&row.seeds, &row.refused})
      out.seeds.insert(out.seeds.end(), list->begin(), list->end());
    if (out.discs == 0) out.discs = discsFor(row.eta, std::strtod(row.radius.c_str(), nullptr));
  }
  std::sort(out.seeds.begin(), out.seeds.end());
  out.seeds.erase(std::unique(out.seeds.begin(), out.seeds.end()), out.seeds.end());
  auto whole = [&](const char* name, long low, long high) {
    const auto it = first.find(name);
    if (it == first.end()) return -1L;
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    return !it->second.empty() && *end == '\0' && v >= low && v <= high ? v : -1L;
  };
  if (const long n = whole("discs", 1, 500); n > 0) out.discs = static_cast<int>(n);
  out.warmup = whole("warmup [tick]", 0, std::numeric_limits<long>::max());
  out.ticks = whole("ticks [tick]", 1, std::numeric_limits<long>::max());
  if (const auto it = first.find("rule");
      it != first.end() && (it->second == "exact" || it->second == "specified"))
    out.rule = it->second;
  return out;
}

// Four significant digits, trailing zeros kept: "2.000" beside "1.224".
std::string digits4(double v) {
  if (!std::isfinite(v)) return "—";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%#.4g", v);
  std::string out = buf;
  if (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

}  // namespace

std::vector<std::string> sweepTableCells(const SweepRow& row) {
  return {numberText(row.eta),
          measuredText(row.z.value, row.z.error),
          digits4(row.zWalled),
          digits4(row.zBulk),
          measuredText(row.etaInterior.value, row.etaInterior.error),
          measuredText(row.zInterior.value, row.zInterior.error),
          digits4(row.zBulkInterior),
          row.problem.empty() ? std::to_string(row.runs)
                              : std::to_string(row.runs) + " (" + row.problem + ")"};
}

std::vector<SweepRow> readSweepCsv(const std::string& text, std::string& problem,
                                   SweepTableSettings* settings) {
  problem.clear();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (lines.empty()) {
    problem = "The file is empty.";
    return {};
  }
  std::map<std::string, std::size_t> at;
  const std::vector<std::string> header = fields(lines[0]);
  for (std::size_t k = 0; k < header.size(); ++k)
    at[header[k]] = k;
  for (const char* needed : {"eta", "Z", "Z_error"})
    if (!at.count(needed)) {
      problem = std::string("This is no sweep table: it has no \"") + needed + "\" column.";
      return {};
    }
  std::vector<SweepRow> rows;
  std::map<std::string, std::string> first;  // the first row's fields, by column
  for (std::size_t l = 1; l < lines.size(); ++l) {
    if (lines[l].empty() || lines[l] == "\r") continue;
    const std::vector<std::string> f = fields(lines[l]);
    if (rows.empty() && f.size() == header.size())
      for (std::size_t k = 0; k < header.size(); ++k)
        first[header[k]] = f[k];
    if (f.size() != header.size()) {
      problem = "Line " + std::to_string(l + 1) + " has " + std::to_string(f.size()) +
                " fields where the header has " + std::to_string(header.size()) + ".";
      return {};
    }
    SweepRow row;
    for (const Column& c : columns) {
      const auto it = at.find(c.name);
      if (it == at.end() || f[it->second].empty()) continue;
      char* end = nullptr;
      const double v = std::strtod(f[it->second].c_str(), &end);
      if (*end != '\0') {
        problem = "Line " + std::to_string(l + 1) + ": \"" + f[it->second] + "\" in column " +
                  c.name + " is no number.";
        return {};
      }
      slot(row, c) = v;
    }
    if (auto it = at.find("radius [u]"); it != at.end()) row.radius = f[it->second];
    if (auto it = at.find("runs"); it != at.end()) row.runs = std::atoi(f[it->second].c_str());
    if (auto it = at.find("problem"); it != at.end()) row.problem = f[it->second];
    for (auto [name, seeds] :
         {std::pair{"seeds", &row.seeds}, std::pair{"refused_seeds", &row.refused}})
      if (auto it = at.find(name); it != at.end() && !readSeeds(f[it->second], *seeds)) {
        problem = "Line " + std::to_string(l + 1) + ": \"" + f[it->second] + "\" in column " +
                  name + " is no list of seeds.";
        return {};
      }
    rows.push_back(row);
  }
  if (settings) *settings = settingsOf(rows, first);
  return rows;
}

}  // namespace km::lab
