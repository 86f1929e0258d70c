// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_json.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "conversions.h"
#include "tables.h"

namespace km::lab {
namespace {

// "[a, b, c, d]", each item as `text` writes it.
template <class T>
std::string jsonList(const std::array<T, 4>& items, std::string (*text)(const T&)) {
  std::string out = "[";
  for (const T& item : items)
    out += (out.size() > 1 ? ", " : "") + text(item);
  return out + "]";
}

}  // namespace

RunNumbers runNumbers(const RunInput& input, const std::string& proximity) {
  auto number = [](std::string_view text) {
    const NumericText n = readNumericText(text);
    return n.status == NumericText::Ok ? n.value : std::nan("");
  };
  RunNumbers n;
  for (std::size_t k = 0; k < 4; ++k) {
    // The set-up keeps a count as Str writes it and reads that back.
    const double typed = number(input.rows.counts[k]);
    n.counts[k] = std::isfinite(typed) ? number(Str(Cell(typed))) : typed;
    n.masses[k] = number(input.rows.masses[k]);
  }
  n.radius = number(input.radius);
  n.proximity = number(proximity);
  n.velocityRange = number(input.velocityRange);
  return n;
}

std::string jsonNumber(const double& v) {
  return std::isfinite(v) ? plainNumber(v) : "null";
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (char ch : s) {
    if (ch == '"' || ch == '\\')
      out += std::string("\\") + ch;
    else if (static_cast<unsigned char>(ch) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(ch));
      out += buf;
    } else
      out += ch;
  }
  return out + "\"";
}

void writeJson(std::ostream& out, const RunSettings& s, const Results& r, long interruptedAfter,
               const std::vector<Row>& rows) {
  const RunNumbers n = runNumbers(s.input, s.proximity);
  out << "{\n  \"settings\": {\"counts\": " << jsonList(n.counts, jsonNumber)
      << ", \"masses\": " << jsonList(n.masses, jsonNumber)
      << ", \"radius\": " << jsonNumber(n.radius) << ", \"proximity\": " << jsonNumber(n.proximity)
      << ", \"vel_range\": " << jsonNumber(n.velocityRange) << ", \"rule\": " << jsonString(s.rule)
      << ", \"seed\": " << s.seed << ", \"draws\": " << s.draws << ", \"warmup\": " << s.warmup
      << ", \"ticks\": " << s.ticks << ", \"particles\": " << r.particles
      << ", \"interrupted_after\": "
      << (interruptedAfter >= 0 ? std::to_string(interruptedAfter) : "null") << ", \"events\": [";
  for (std::size_t k = 0; k < r.events.size(); ++k)
    out << (k ? ", " : "") << "{\"tick\": " << r.events[k].tick
        << ", \"what\": " << jsonString(r.events[k].what) << "}";
  out << "]"
      << ",\n    \"typed\": {\"counts\": " << jsonList(s.input.rows.counts, jsonString)
      << ", \"masses\": " << jsonList(s.input.rows.masses, jsonString)
      << ", \"radius\": " << jsonString(s.input.radius)
      << ", \"proximity\": " << jsonString(s.proximity)
      << ", \"vel_range\": " << jsonString(s.input.velocityRange) << "}},\n  \"measurements\": [";
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Row& row = rows[k];
    out << (k ? ",\n    " : "\n    ") << "{\"section\": " << jsonString(row.section)
        << ", \"key\": " << jsonString(row.key) << ", \"quantity\": " << jsonString(row.label)
        << ", \"unit\": " << jsonString(row.unit) << ", \"value\": " << jsonNumber(row.value)
        << ", \"error\": " << jsonNumber(row.error) << ", \"theory\": {";
    bool any = false;
    for (const auto& [v, name] :
         {std::pair{row.theory, row.theoryName}, std::pair{row.theory2, row.theory2Name}}) {
      if (!std::isfinite(v)) continue;
      out << (any ? ", " : "") << jsonString(name.empty() ? "theory" : name) << ": "
          << jsonNumber(v);
      any = true;
    }
    out << "}}";
  }
  out << "\n  ]\n}\n";
}

}  // namespace km::lab
