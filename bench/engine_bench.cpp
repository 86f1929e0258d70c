// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one tick of the engine against the same steps on plain double arrays, and of a tick
// under the exact rule against one under the specified rule.
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench_gas.h"
#include "reporting.h"

namespace km::bench {
namespace {

// The tick written directly on doubles: the yardstick for what the cells cost.
struct PlainGas {
  int n = 0;
  std::array<double, 501> x{}, y{}, vx{}, vy{}, r{}, m{};
  std::array<Color, 501> color{};
  std::array<double, 101> tx{}, ty{};
  double prox = 24;
  SweepIndex sweep;

  explicit PlainGas(const State& s, int count) : n(count) {
    for (int i = 1; i <= n; ++i) {
      x[i] = s.posX(i).toDouble();
      y[i] = s.posY(i).toDouble();
      vx[i] = s.velX(i).toDouble();
      vy[i] = s.velY(i).toDouble();
      r[i] = s.partRadius(i).toDouble();
      m[i] = s.partMass(i).toDouble();
      color[i] = s.partColor(i).toIndex();
    }
  }

  static void show(TextDisplay& d, Readout which, double v) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(std::floor(v)));
    d.show(which, std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
  }

  void collide(int i, int j) {
    if (x[i] - x[j] == 0) return;
    double a = (y[j] - y[i]) / (x[j] - x[i]);
    double Dx =
        (2 * ((vx[j] - vx[i]) + a * (vy[j] - vy[i])) / (1 + a * a)) / (1 + m[i] / (m[j] + 0.00001));
    double Dy = Dx * a;
    vx[i] += Dx;
    vy[i] += Dy;
    vx[j] -= (m[i] / m[j]) * Dx;
    vy[j] -= (m[i] / m[j]) * Dy;
  }

  void tick(DrawingSurface& surface, TextDisplay& display) {
    display.show(Readout::Label1, "12:34:56");
    double keX = 0, keY = 0, speed = 0;
    for (int k = 100; k >= 1; --k) {
      tx[k] = tx[k - 1];
      ty[k] = ty[k - 1];
      surface.setFillColor(color[1]);
      surface.circle(float(tx[k]), float(ty[k]), float(r[1] / 4), color[1]);
    }
    tx[0] = x[1];
    ty[0] = y[1];
    sweep.sort(2, n, [this](int j) { return x[j]; });
    for (int i = 1; i <= n; ++i) {
      double px = x[i], py = y[i];
      x[i] += vx[i];
      y[i] += vy[i];
      if (std::fabs(x[i] - 500) > 500 - r[i])
        vx[i] = x[i] < 500 ? std::fabs(vx[i]) : -std::fabs(vx[i]);
      if (std::fabs(y[i] - 500) > 500 - r[i])
        vy[i] = y[i] < 500 ? std::fabs(vy[i]) : -std::fabs(vy[i]);
      surface.setFillColor(0);
      surface.circle(float(px), float(py), float(r[i]), 0);
      surface.setFillColor(color[i]);
      surface.circle(float(x[i]), float(y[i]), float(r[i]), color[i]);
      auto pair = [&](int j) {
        double dx = x[j] - x[i], dy = y[j] - y[i];
        if (!(std::fabs(dx) < prox) || !(std::fabs(dy) < prox)) return;
        if (dx * dx + dy * dy < prox * prox) collide(i, j);
      };
      if (!sweep.visitNear(i, x[i], SweepIndex::reachFor(x[i], prox), 64, pair))
        for (int j = i + 1; j <= n; ++j)
          pair(j);
      keX += (m[i] * vx[i]) * vx[i];
      keY += (m[i] * vy[i]) * vy[i];
      show(display, Readout::Label2, keX);
      show(display, Readout::Label3, keY);
      if (i == 1) speed = 0.7 * std::pow(std::pow(vx[1], 2) + std::pow(vy[1], 2), 0.5) + 0.5;
      show(display, Readout::Label7, speed);
    }
  }
};

// A gas of st.range(0) particles, started and warmed up, with a surface and display that
// record nothing.
struct Rig {
  SeededGenerator rnd;
  FixedClock clock;
  NullSurface surface;
  NullDisplay display;
  Simulation sim{rnd, clock};
  int n;
  explicit Rig(benchmark::State& st) : n(static_cast<int>(st.range(0))) {
    startGas(sim, n, surface);
    st.counters["particles"] = n;
  }
};

enum class Bounds { Fixed, Walls, Field };

// Ticks of the gas under either rule, with fixed reflecting walls; or with its left and right
// walls at the gas's temperature and its right wall moving in slowly all the while; or with a
// field that gives the heaviest species (m = 64, kT about 33) a scale height of a tenth of the
// box and a divider with an opening of 100. Under the exact rule the first tick (which
// separates the overlapping discs) is left out of the timing.
void timeTicks(benchmark::State& st, CollisionRule rule, Bounds bounds) {
  Rig rig(st);
  if (bounds == Bounds::Field) {
    rig.sim.boundaries().setGravity(33.0 / (64 * 100));
    rig.sim.boundaries().setDivider(100);
  }
  if (rule == CollisionRule::Exact) {
    rig.sim.setCollisionRule(CollisionRule::Exact);
    rig.sim.Timer1_Timer(rig.surface, rig.display);
  }
  if (bounds == Bounds::Walls) {
    Boundaries& b = rig.sim.boundaries();
    b.setHeat(WallSide::Left, {true, 30});
    b.setHeat(WallSide::Right, {true, 30});
    rig.sim.moveRightWall(800, 0.002, 0);
  }
  for (auto _ : st)
    rig.sim.Timer1_Timer(rig.surface, rig.display);
}

void engineTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Specified, Bounds::Fixed);
}

void exactTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Exact, Bounds::Fixed);
}

// What the walls cost a tick, under each rule.
void walledTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Specified, Bounds::Walls);
}

void walledExactTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Exact, Bounds::Walls);
}

// What the field and the divider cost a tick, under each rule.
void fieldTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Specified, Bounds::Field);
}

void fieldExactTick(benchmark::State& st) {
  timeTicks(st, CollisionRule::Exact, Bounds::Field);
}

void plainDoubleTick(benchmark::State& st) {
  Rig rig(st);
  PlainGas gas(rig.sim.state(), rig.n);
  for (auto _ : st)
    gas.tick(rig.surface, rig.display);
}

BENCHMARK(engineTick)->Apply([](auto* b) { atSizes(b, {43, 100, 500}); });
BENCHMARK(plainDoubleTick)->Apply([](auto* b) { atSizes(b, {43, 100, 500}); });
BENCHMARK(exactTick)->Apply([](auto* b) { atSizes(b, {43, 100, 500}); });
BENCHMARK(walledTick)->Apply([](auto* b) { atSizes(b, {500}); });
BENCHMARK(walledExactTick)->Apply([](auto* b) { atSizes(b, {500}); });
BENCHMARK(fieldTick)->Apply([](auto* b) { atSizes(b, {500}); });
BENCHMARK(fieldExactTick)->Apply([](auto* b) { atSizes(b, {500}); });

// Prints the table as usual, then per size the engine's median over the plain-double median and
// the exact rule's median over the engine's (specified rule).
class RatioReporter : public PlainConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    PlainConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.aggregate_name != "median") continue;
      const std::string name = r.run_name.function_name;
      const int size = std::atoi(r.run_name.args.c_str());
      (name == "engineTick"        ? engine_
       : name == "exactTick"       ? exact_
       : name == "walledTick"      ? walled_
       : name == "walledExactTick" ? walledExact_
       : name == "fieldTick"       ? field_
       : name == "fieldExactTick"  ? fieldExact_
                                   : plain_)[size] = r.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    PlainConsoleReporter::Finalize();
    std::printf("\n%-10s %14s %14s %8s %14s %8s\n", "particles", "engine (us)", "plain (us)",
                "ratio", "exact (us)", "exact/engine");
    for (const auto& [size, e] : engine_) {
      auto p = plain_.find(size);
      auto x = exact_.find(size);
      if (p == plain_.end() || x == exact_.end()) continue;
      std::printf("%-10d %14.1f %14.1f %8.2f %14.1f %8.2f\n", size, e, p->second, e / p->second,
                  x->second, x->second / e);
    }
    // Thermal walls and a moving wall against fixed reflecting ones, each rule.
    for (const auto& [size, w] : walled_) {
      auto e = engine_.find(size);
      auto x = exact_.find(size);
      auto wx = walledExact_.find(size);
      if (e == engine_.end() || x == exact_.end() || wx == walledExact_.end()) continue;
      std::printf("\n%-10s %22s %22s\n", "particles", "specified: walls/fixed",
                  "exact: walls/fixed");
      std::printf("%-10d %22.2f %22.2f\n", size, w / e->second, wx->second / x->second);
    }
    // The field and the divider against fixed reflecting walls, each rule.
    for (const auto& [size, f] : field_) {
      auto e = engine_.find(size);
      auto x = exact_.find(size);
      auto fx = fieldExact_.find(size);
      if (e == engine_.end() || x == exact_.end() || fx == fieldExact_.end()) continue;
      std::printf("\n%-10s %22s %22s\n", "particles", "specified: field/none", "exact: field/none");
      std::printf("%-10d %22.2f %22.2f\n", size, f / e->second, fx->second / x->second);
    }
  }

 private:
  std::map<int, double> engine_, plain_, exact_, walled_, walledExact_, field_, fieldExact_;
};

}  // namespace
}  // namespace km::bench

int main(int argc, char** argv) {
  km::bench::RatioReporter reporter;
  return km::bench::runAll(argc, argv, reporter);
}
