// SPDX-License-Identifier: GPL-3.0-or-later
#include "tables.h"

#include <cmath>

#include "shortest_chars.h"
#include "whole_file.h"

namespace km::lab {

std::string plainNumber(double v) {
  if (!std::isfinite(v)) return "";
  char buf[32];
  // A whole number the double holds exactly keeps its digits (tick 100000, not 1e+05), which
  // the shortest form alone would not.
  const bool whole = v == std::trunc(v) && std::fabs(v) < 0x1p53;
  char* const end = shortestChars(buf, buf + sizeof buf, v, whole);
  return std::string(buf, end);
}

namespace {

std::string number(double v) {
  return plainNumber(v);
}

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char ch : s)
    out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return out + "\"";
}

// A field as it stands, or quoted when it holds a comma, a quote or a line break.
std::string field(const std::string& s) {
  return s.find_first_of(",\"\n") == std::string::npos ? s : quoted(s);
}

// The value of a series at each of the reference points' ticks (the same bins), or empty.
std::vector<std::string> column(const std::vector<Point>& points, std::size_t rows) {
  std::vector<std::string> out(rows);
  for (std::size_t k = 0; k < points.size() && k < rows; ++k)
    out[k] = number(points[k].value);
  return out;
}

}  // namespace

std::string timeSeriesCsv(const History& h) {
  std::string out =
      "tick,kT_gas [amu*u^2/tick^2],kT_species1 [amu*u^2/tick^2],kT_species2 "
      "[amu*u^2/tick^2],kT_species3 [amu*u^2/tick^2],kT_species4 [amu*u^2/tick^2],Z [1],"
      "exchanges [1/tick],new_contacts [1/tick],repeat_share [1],energy [amu*u^2/tick^2],H [1]\n";
  const std::vector<Point> ticks = binMeans(h.kT[0]);
  const std::size_t rows = ticks.size();
  std::vector<std::vector<std::string>> cols;
  for (const BinnedSeries& s : h.kT)
    cols.push_back(column(binMeans(s), rows));
  cols.push_back(column(binMeans(h.z), rows));
  cols.push_back(column(binMeans(h.exchanges), rows));
  cols.push_back(column(binMeans(h.newContacts), rows));
  // The share per bin, by tick: bins without exchanges have none.
  std::vector<std::string> share(rows);
  std::size_t k = 0;
  for (const Point& p : binRatios(h.repeats, h.exchanges)) {
    while (k < rows && ticks[k].tick < p.tick)
      ++k;
    if (k < rows) share[k] = number(p.value);
  }
  cols.push_back(share);
  cols.push_back(column(binMeans(h.energy), rows));
  cols.push_back(column(binMeans(h.h), rows));
  for (std::size_t r = 0; r < rows; ++r) {
    out += number(ticks[r].tick);
    for (const auto& c : cols)
      out += "," + c[r];
    out += "\n";
  }
  return out;
}

std::string eventsCsv(const History& h) {
  std::string out = "tick,event\n";
  for (const Event& e : h.events)
    out += std::to_string(e.tick) + "," + quoted(e.what) + "\n";
  return out;
}

std::string histogramsCsv(const Results& r) {
  std::string out =
      "species,quantity,bin_centre [u/tick],measured_density [tick/u],theory_density "
      "[tick/u],ks_distance [1]\n";
  for (const SpeciesResult& s : r.species)
    for (const auto& [name, d] :
         {std::pair{"speed", &s.speed}, std::pair{"vx", &s.vx}, std::pair{"vy", &s.vy}})
      for (std::size_t k = 0; k < d->centres.size(); ++k)
        out += std::to_string(s.species) + "," + name + "," + number(d->centres[k]) + "," +
               (k < d->measured.size() ? number(d->measured[k]) : "") + "," + number(d->theory[k]) +
               "," + number(d->ks) + "\n";
  return out;
}

std::string summaryCsv(const std::vector<Row>& rows) {
  std::string out =
      "section,key,quantity,unit,value,error,theory,theory_name,theory2,theory2_name\n";
  for (const Row& row : rows)
    out += field(row.section) + ',' + field(row.key) + ',' + field(row.label) + ',' +
           field(row.unit) + ',' + number(row.value) + ',' + number(row.error) + ',' +
           number(row.theory) + ',' + field(row.theoryName) + ',' + number(row.theory2) + ',' +
           field(row.theory2Name) + '\n';
  return out;
}

std::string msdCsv(const Results& r) {
  std::string out = "lag [tick],msd_particle1 [u^2]";
  std::vector<const SpeciesResult*> present(5, nullptr);
  for (const SpeciesResult& s : r.species)
    present[static_cast<std::size_t>(s.species)] = &s;
  for (int sp = 1; sp <= 4; ++sp)
    out += ",msd_species" + std::to_string(sp) + " [u^2]";
  out += "\n";
  for (std::size_t l = 0; l < r.lags.size(); ++l) {
    out += std::to_string(r.lags[l]) + "," + (l < r.tracerMsd.size() ? number(r.tracerMsd[l]) : "");
    for (int sp = 1; sp <= 4; ++sp) {
      const SpeciesResult* s = present[static_cast<std::size_t>(sp)];
      out += ',';
      if (s && l < s->msd.size()) out += number(s->msd[l]);
    }
    out += "\n";
  }
  return out;
}

namespace {

// The report's rows and, after them, the processes of the gas laws run.
std::vector<Row> summaryRows(const Results& r) {
  std::vector<Row> rows = summarize(r);
  const std::vector<Row> laws = gasLawSummary(r.gasLaws);
  rows.insert(rows.end(), laws.begin(), laws.end());
  return rows;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> exportedFiles(const Results& r, const History& h) {
  return {{"timeseries.csv", timeSeriesCsv(h)},
          {"events.csv", eventsCsv(h)},
          {"histograms.csv", histogramsCsv(r)},
          {"msd.csv", msdCsv(r)},
          {"summary.csv", summaryCsv(summaryRows(r))}};
}

std::string exportInto(const std::string& folder, const Results& r, const History& h) {
  std::string failed;
  for (const auto& [name, text] : exportedFiles(r, h)) {
    const std::string path =
        folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
    const std::string why = writeWholeFile(path, text);
    if (!why.empty()) failed += (failed.empty() ? "" : "\n") + name + ": " + why;
  }
  return failed;
}

}  // namespace km::lab
