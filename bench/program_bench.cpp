// Ticks of the real window in about 3 s, against the timeouts of a bare 1 ms timer in the
// same run: when both are close, the interval and not our code limits the rate.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "bench_gas.h"
#include "kinetic_model.h"

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

double window(int particles) {
  km::KineticModel w;
  w.setMessageSink(
      [](const QString&, const QString& text) { std::printf("%s\n", qPrintable(text)); });
  w.show();
  km::SpeciesTexts rows = km::bench::scaledDefaults(particles);
  for (int k = 0; k < 4; ++k)
    w.txt_how_many[k]->setText(QString::fromStdString(rows.counts[k]));
  w.runSImulation->click();
  double rate = timeoutsPerSecond(*w.Timer1);
  w.cmd_stop_simulation->click();
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const double bare = bareTimer();
  const double defaults = window(43);
  const double full = window(500);
  std::printf("%-26s %12s %10s\n", "", "ticks/s", "of bare");
  std::printf("%-26s %12.0f %9.0f%%\n", "bare 1 ms QTimer", bare, 100.0);
  std::printf("%-26s %12.0f %9.0f%%\n", "window, 43 particles", defaults, 100 * defaults / bare);
  std::printf("%-26s %12.0f %9.0f%%\n", "window, 500 particles", full, 100 * full / bare);
  return 0;
}
