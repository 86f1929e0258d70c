// SPDX-License-Identifier: GPL-3.0-or-later
// Ticks of the real window in about 3 s, against the timeouts of a bare 1 ms timer in the
// same process: when both are close, the interval and not our code limits the rate. The row at
// device pixel ratio 2 comes from a second process of this program started at that scale.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "bench_gas.h"
#include "kinetic_model.h"
#include "lab_tabs.h"
#include "lab_window.h"

namespace {

constexpr int runMs = 3000;

double timeoutsPerSecond(QTimer& timer) {
  int count = 0;
  auto c = QObject::connect(&timer, &QTimer::timeout, [&] { ++count; });
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer::singleShot(runMs, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(c);
  return count * 1000.0 / static_cast<double>(clock.elapsed());
}

double bareTimer() {
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.start(1);
  return timeoutsPerSecond(timer);
}

// The window's ticks per second; with the laboratory open on its tab `labTab` when that is 0
// or more, its charts refreshing as they do for a user.
double window(int particles, double* ratio = nullptr, int labTab = -1) {
  km::KineticModel w;
  w.setMessageSink(
      [](const QString&, const QString& text) { std::printf("%s\n", qPrintable(text)); });
  w.show();
  km::SpeciesTexts rows = km::bench::scaledDefaults(particles);
  for (int k = 0; k < 4; ++k)
    w.txt_how_many[k]->setText(QString::fromStdString(rows.counts[k]));
  w.runSImulation->click();
  if (labTab >= 0) {
    km::LabWindow* lab = w.openLaboratory();
    lab->tabs->setCurrentIndex(labTab);
    lab->resize(1200, 800);
  }
  double rate = timeoutsPerSecond(*w.Timer1);
  w.cmd_stop_simulation->click();
  if (ratio) *ratio = w.Picture1->image().devicePixelRatio();
  return rate;
}

constexpr const char* childFlag = "--ratio-2-row";

// The bare timer and the window at 500 particles in a process at scale 2; false when it
// failed.
bool atRatio2(double& bare, double& full, double& ratio) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_SCALE_FACTOR", "2");
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {childFlag});
  if (!child.waitForFinished(60000) || child.exitCode() != 0) return false;
  return std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf", &bare, &full,
                     &ratio) == 3;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], childFlag) == 0) {
    const double bare = bareTimer();
    double ratio = 0;
    const double full = window(500, &ratio);
    std::printf("%f %f %f\n", bare, full, ratio);
    return 0;
  }
  const double bare = bareTimer();
  const double defaults = window(43);
  const double full = window(500);
  // Every tab of the laboratory, as both windows list them.
  constexpr int tabCount = static_cast<int>(km::labTabNames.size());
  double withLab[2][tabCount];
  for (int t = 0; t < tabCount; ++t) {
    withLab[0][t] = window(43, nullptr, t);
    withLab[1][t] = window(500, nullptr, t);
  }
  double bare2 = 0, full2 = 0, ratio2 = 0;
  const bool second = atRatio2(bare2, full2, ratio2);
  std::printf("%-46s %12s %10s\n", "", "ticks/s", "of bare");
  std::printf("%-46s %12.0f %9.0f%%\n", "bare 1 ms QTimer", bare, 100.0);
  std::printf("%-46s %12.0f %9.0f%%\n", "window, 43 particles", defaults, 100 * defaults / bare);
  std::printf("%-46s %12.0f %9.0f%%\n", "window, 500 particles", full, 100 * full / bare);
  for (int n = 0; n < 2; ++n)
    for (int t = 0; t < tabCount; ++t)
      std::printf(
          "%-46s %12.0f %9.0f%%\n",
          qPrintable(
              QString("+ laboratory (%1), %2 particles")
                  .arg(QString::fromUtf8(
                      km::labTabNames[static_cast<std::size_t>(t)].data(),
                      static_cast<qsizetype>(km::labTabNames[static_cast<std::size_t>(t)].size())))
                  .arg(n ? 500 : 43)),
          withLab[n][t], 100 * withLab[n][t] / bare);
  if (!second) {
    std::printf("the process at pixel ratio 2 failed\n");
    return 1;
  }
  std::printf("%-46s %12.0f %9.0f%%\n", "bare 1 ms QTimer, second process", bare2, 100.0);
  std::printf("%-46s %12.0f %9.0f%%\n",
              qPrintable(QString("window, 500 particles, pixel ratio %1").arg(ratio2)), full2,
              100 * full2 / bare2);
  return 0;
}
