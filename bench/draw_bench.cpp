// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of a disc from the span rasteriser against QPainter's ellipse, and of whole drawn ticks
// on the picture box.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <chrono>
#include <random>
#include <vector>

#include "bench_gas.h"
#include "disc_raster.h"
#include "picture_box.h"

namespace km::bench {
namespace {

constexpr int kWidth = 567, kHeight = 500;

struct Disc {
  double x, y, r;  // pixels
  QRgb fill, outline;
};

// A tick's drawing at N = 500: 100 trail dots of 3 units (1.7 px), then each particle erased
// in black and drawn again a little further on at 12 units (6.8 px).
std::vector<Disc> tickMix() {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> pos(12, 988), step(-20, 20);
  const double sx = kWidth / 1000.0, sy = kHeight / 1000.0;
  const QRgb black = qRgb(0, 0, 0);
  const QRgb colours[] = {qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 255, 255), qRgb(255, 0, 0)};
  std::vector<Disc> discs;
  for (int k = 0; k < 100; ++k)
    discs.push_back({pos(gen) * sx, pos(gen) * sy, 3 * sx, colours[0], colours[0]});
  for (int i = 0; i < 500; ++i) {
    const double x = pos(gen), y = pos(gen);
    discs.push_back({x * sx, y * sy, 12 * sx, black, black});
    const QRgb c = colours[i % 4];
    discs.push_back({(x + step(gen)) * sx, (y + step(gen)) * sy, 12 * sx, c, c});
  }
  return discs;
}

QImage canvas() {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  img.fill(Qt::black);
  return img;
}

PixelBuffer pixels() {
  return PixelBuffer(kWidth, kHeight, qRgb(0, 0, 0));
}

void drawSpans(PixelBuffer& img, const std::vector<Disc>& discs) {
  for (const Disc& d : discs)
    drawDisc(img, d.x, d.y, d.r, d.fill, d.outline);
}

// A 1-px cosmetic pen on the circle of radius r covers r +- 0.5, as the span disc does.
void drawWithPainter(QImage& img, const std::vector<Disc>& discs) {
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const Disc& d : discs) {
    p.setPen(QPen(QColor(d.outline), 0));
    p.setBrush(QColor(d.fill));
    p.drawEllipse(QPointF(d.x, d.y), d.r, d.r);
  }
}

void perCircle(benchmark::State& st, std::size_t circles) {
  st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * circles));
  st.counters["per_circle"] = benchmark::Counter(
      static_cast<double>(circles),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void spanDiscs(benchmark::State& st) {
  const std::vector<Disc> discs = tickMix();
  PixelBuffer img = pixels();
  for (auto _ : st) {
    drawSpans(img, discs);
    benchmark::ClobberMemory();
  }
  perCircle(st, discs.size());
}

void painterEllipses(benchmark::State& st) {
  const std::vector<Disc> discs = tickMix();
  QImage img = canvas();
  for (auto _ : st) {
    drawWithPainter(img, discs);
    benchmark::ClobberMemory();
  }
  perCircle(st, discs.size());
}

// Both on the same discs in every iteration, so that the ratio compares like with like.
void painterOverSpans(benchmark::State& st) {
  using Clock = std::chrono::steady_clock;
  const std::vector<Disc> discs = tickMix();
  PixelBuffer a = pixels();
  QImage b = canvas();
  Clock::duration spans{}, painter{};
  for (auto _ : st) {
    auto t0 = Clock::now();
    drawSpans(a, discs);
    benchmark::ClobberMemory();
    auto t1 = Clock::now();
    drawWithPainter(b, discs);
    benchmark::ClobberMemory();
    spans += t1 - t0;
    painter += Clock::now() - t1;
  }
  const double circles = static_cast<double>(st.iterations() * discs.size());
  st.counters["span_ns"] = std::chrono::duration<double, std::nano>(spans).count() / circles;
  st.counters["painter_ns"] = std::chrono::duration<double, std::nano>(painter).count() / circles;
  st.counters["ratio"] =
      std::chrono::duration<double>(painter) / std::chrono::duration<double>(spans);
}

// One tick of the gas drawn on a picture box of the window's size.
void drawnTick(benchmark::State& st) {
  SeededGenerator rnd;
  FixedClock clock;
  NullDisplay display;
  PictureBox box;
  box.resize(kWidth, kHeight);
  Simulation sim(rnd, clock);
  startGas(sim, static_cast<int>(st.range(0)), box);
  for (auto _ : st)
    sim.Timer1_Timer(box, display);
  st.counters["particles"] = static_cast<double>(st.range(0));
}

BENCHMARK(spanDiscs)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(painterEllipses)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(painterOverSpans)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(drawnTick)
    ->Arg(43)
    ->Arg(100)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace km::bench

// QApplication first (the picture box is a widget), on the offscreen platform.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
