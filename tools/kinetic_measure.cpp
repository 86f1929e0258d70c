// SPDX-License-Identifier: GPL-3.0-or-later
// kinetic-measure: a gas run headless, its measurements printed beside kinetic theory.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "measure_run.h"
#include "report.h"
#include "run_error.h"

int main(int argc, char** argv) {
  using namespace km::measure;
  const Parsed p = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!p.problems.empty()) {
    for (const std::string& problem : p.problems)
      std::cerr << "kinetic-measure: " << problem << "\n";
    std::cerr << "Try kinetic-measure --help.\n";
    return 2;
  }
  if (p.options.help) {
    std::cout << usage;
    return 0;
  }
  const Options& o = p.options;
  const bool terminal = isatty(STDERR_FILENO) != 0;
  auto progress = [&](long done, long total) {
    if (!terminal || total < 20000) return;
    std::fprintf(stderr, "\r%3ld%% (%ld of %ld ticks)", 100 * done / total, done, total);
    if (done == total) std::fprintf(stderr, "\r%*s\r", 40, "");
  };
  try {
    const km::lab::Results r = run(o, progress);
    const std::vector<km::lab::Row> rows = km::lab::summarize(r);
    switch (o.format) {
      case Format::Table:
        writeTable(std::cout, o, r, rows);
        break;
      case Format::Json:
        writeJson(std::cout, o, r, rows);
        break;
      case Format::Csv:
        writeCsv(std::cout, rows);
        break;
    }
  } catch (const Refused& e) {
    std::cerr << "kinetic-measure: " << e.what() << "\n";
    return 2;
  } catch (const km::RunError& e) {
    std::cerr << "kinetic-measure: the simulation stopped: " << km::errorKindName(e.kind()) << ": "
              << e.what() << "\n";
    return 1;
  } catch (const std::runtime_error& e) {
    std::cerr << "kinetic-measure: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
