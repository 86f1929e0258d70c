// SPDX-License-Identifier: GPL-3.0-or-later
// kinetic-measure: a gas run headless, its measurements printed beside kinetic theory.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "measure_run.h"
#include "progress.h"
#include "report.h"
#include "run_error.h"
#include "sweep_table.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
  stopSignal = signal;
}

// Ctrl+C and SIGTERM end the run at the next tick; the handler lasts for one signal, so a
// second one ends the program at once. A signal ignored from the start (a job put in the
// background by a shell without job control) stays ignored.
void catchStopSignals() {
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction on {};
    on.sa_handler = onStopSignal;
    sigemptyset(&on.sa_mask);
    on.sa_flags = SA_RESETHAND;
    sigaction(signal, &on, nullptr);
  }
}

// The progress line on a terminal's standard error, rewritten in place.
class ProgressLine {
 public:
  void show(const std::string& text) {
    // Blanks over the end of a longer line before.
    const std::size_t blanks = shown_ > text.size() ? shown_ - text.size() : 0;
    std::fprintf(stderr, "\r%s%*s", text.c_str(), static_cast<int>(blanks), "");
    std::fflush(stderr);
    shown_ = text.size();
  }
  void clear() {
    if (shown_ == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(shown_), "");
    std::fflush(stderr);
    shown_ = 0;
  }

 private:
  std::size_t shown_ = 0;
};

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The equation of state over packing fractions, the runs shared out over the cores.
int sweep(const km::measure::Options& o, const km::measure::Control& control, ProgressLine& line) {
  using namespace km::measure;
  km::lab::SweepSettings s;
  s.discs = o.discs;
  s.etas = o.etas;
  s.seeds = o.seeds;
  s.warmup = o.warmup;
  s.ticks = o.ticks;
  s.rule = o.rule == "exact" ? km::CollisionRule::Exact : km::CollisionRule::Specified;
  s.velocityRange = o.input.velocityRange;
  s.jobs =
      o.jobs > 0 ? o.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const std::vector<km::lab::SweepRow> rows = km::lab::runSweep(s, control);
  line.clear();
  const bool stopped = stopSignal != 0;
  if (stopped) std::cerr << "kinetic-measure: interrupted; the rows hold the runs that finished\n";
  switch (o.format) {
    case Format::Table:
      writeSweepTable(std::cout, o, rows, stopped);
      break;
    case Format::Json:
      writeSweepJson(std::cout, o, rows, stopped);
      break;
    case Format::Csv:
      std::cout << km::lab::sweepCsv(rows, &s);
      break;
  }
  std::cout.flush();
  if (stopped) return 128 + stopSignal;
  // A seed the engine refused (too dense to place) is refused input, whether or not other seeds
  // of its packing fraction ran.
  int status = 0;
  for (const km::lab::SweepRow& r : rows)
    if (!r.refused.empty()) {
      std::cerr << "kinetic-measure: eta " << km::lab::numberText(r.eta) << ": " << r.problem
                << "\n";
      status = 2;
    }
  return status;
}

}  // namespace

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
  catchStopSignals();
  ProgressLine line;
  ProgressPacer pacer(wallSeconds);
  Control control;
  control.stop = [] { return stopSignal != 0; };
  if (isatty(STDERR_FILENO) != 0)
    control.progress = [&](long done, long total) {
      if (const std::string text = pacer.update(done, total); !text.empty()) line.show(text);
    };
  if (o.sweep) return sweep(o, control, line);
  try {
    const Outcome outcome = run(o, control);
    line.clear();
    if (outcome.stopped)
      std::cerr << "kinetic-measure: interrupted after " << outcome.results.ticks
                << (outcome.total > 0 ? " of " + std::to_string(outcome.total) : std::string())
                << " ticks; the measurements so far follow\n";
    const std::vector<km::lab::Row> rows = reportRows(o, outcome);
    switch (o.format) {
      case Format::Table:
        writeTable(std::cout, o, outcome, rows);
        break;
      case Format::Json:
        writeJson(std::cout, o, outcome, rows);
        break;
      case Format::Csv:
        writeCsv(std::cout, rows);
        break;
    }
  } catch (const Refused& e) {
    line.clear();
    std::cerr << "kinetic-measure: " << e.what() << "\n";
    return 2;
  } catch (const km::RunError& e) {
    line.clear();
    std::cerr << "kinetic-measure: the simulation stopped: " << km::errorKindName(e.kind()) << ": "
              << e.what() << "\n";
    return 1;
  } catch (const std::runtime_error& e) {
    line.clear();
    std::cerr << "kinetic-measure: " << e.what() << "\n";
    return 1;
  }
  std::cout.flush();
  return stopSignal != 0 ? 128 + stopSignal : 0;
}
