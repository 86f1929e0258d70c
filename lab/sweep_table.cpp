// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep_table.h"

#include <cstdlib>
#include <map>

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

std::string sweepCsv(const std::vector<SweepRow>& rows) {
  std::string out;
  for (const Column& c : columns)
    out += std::string(c.name) + ",";
  out += "radius [u],runs,seeds,refused_seeds,problem\n";
  for (SweepRow row : rows) {
    for (const Column& c : columns)
      out += plainNumber(slot(row, c)) + ",";
    out += row.radius + "," + std::to_string(row.runs) + "," + seedList(row.seeds) + "," +
           seedList(row.refused) + "," + field(row.problem) + "\n";
  }
  return out;
}

std::vector<SweepRow> readSweepCsv(const std::string& text, std::string& problem) {
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
  for (std::size_t l = 1; l < lines.size(); ++l) {
    if (lines[l].empty() || lines[l] == "\r") continue;
    const std::vector<std::string> f = fields(lines[l]);
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
  return rows;
}

}  // namespace km::lab
