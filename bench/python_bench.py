# SPDX-License-Identifier: GPL-3.0-or-later
"""The Python module's benchmark, each figure against a yardstick timed in the same run:
step(10000) against the same ticks in C++, the cost of one call of step(1), two gases in two
threads against one after the other, and a local sweep against the same runs one by one.

Usage: python3 bench/python_bench.py PATH/TO/headless_bench"""
from __future__ import annotations

import os
import statistics
import subprocess
import sys
import threading
import time

import kinetic_model as km

REPEATS = 5


def median_of(run, repeats: int = REPEATS) -> float:
    return statistics.median(run() for _ in range(repeats))


def timed(action) -> float:
    start = time.perf_counter()
    action()
    return time.perf_counter() - start


def step_against_cpp(program: str) -> None:
    def python() -> float:
        gas = km.Gas(counts=(500, 0, 0, 0), masses=(1, 1, 1, 1))
        return timed(lambda: gas.step(10000))

    def cpp() -> float:
        out = subprocess.run([program, "10000", "500"], check=True, capture_output=True, text=True)
        return float(out.stdout.split()[0])

    # Interleaved, so that a change in the machine's load falls on both.
    pairs = [(python(), cpp()) for _ in range(REPEATS)]
    p = statistics.median(a for a, _ in pairs)
    c = statistics.median(b for _, b in pairs)
    gas = km.Gas(counts=(500, 0, 0, 0), masses=(1, 1, 1, 1))
    gas.step(10000)
    same = subprocess.run([program, "10000", "500"], check=True, capture_output=True,
                          text=True).stdout.split()[1] == repr(gas.energy())
    print(f"step(10000), 500 discs: Python {p:.3f} s, C++ {c:.3f} s: "
          f"{100 * (p / c - 1):+.1f} % (the same gas: {'yes' if same else 'NO'})")


def step_overhead() -> None:
    gas = km.Gas(counts=(1, 0, 0, 0), masses=(1, 1, 1, 1))
    calls = 50000
    one = median_of(lambda: timed(lambda: [gas.step(1) for _ in range(calls)])) / calls
    batch = median_of(lambda: timed(lambda: gas.step(calls))) / calls
    print(f"step(1) on one disc: {1e6 * one:.2f} µs a call, of which the tick {1e6 * batch:.2f} µs: "
          f"overhead {1e6 * (one - batch):.2f} µs")


def two_threads() -> None:
    def gases() -> list[km.Gas]:
        return [km.Gas(counts=(500, 0, 0, 0), masses=(1, 1, 1, 1), seed=s) for s in (1, 2)]

    def serial() -> float:
        a, b = gases()
        return timed(lambda: (a.step(5000), b.step(5000)))

    def parallel() -> float:
        pair = gases()

        def both() -> None:
            threads = [threading.Thread(target=g.step, args=(5000,)) for g in pair]
            for t in threads:
                t.start()
            for t in threads:
                t.join()
        return timed(both)

    s, p = median_of(serial, 3), median_of(parallel, 3)
    print(f"two gases of 500 discs, 5000 ticks each: one after the other {s:.2f} s, "
          f"in two threads {p:.2f} s: {s / p:.2f}x")


def local_sweep() -> None:
    settings = km.grid(counts=[(200, 0, 0, 0)], masses=[(1, 1, 1, 1)], rule=["specified", "exact"],
                       radius=[8, 10, 12, 14], warmup=[500])
    rows = {}

    def run(jobs: int) -> float:
        start = time.perf_counter()
        rows[jobs] = km.sweep(settings, seeds=[1], ticks=9500, jobs=jobs, as_frame=False)
        return time.perf_counter() - start

    one = run(1)
    cores = len(os.sched_getaffinity(0))
    every = run(cores)
    same = repr(rows[1]) == repr(rows[cores])
    print(f"sweep of 8 runs (200 discs, 10000 ticks each): one at a time {one:.2f} s, "
          f"{cores} processes {every:.2f} s: {one / every:.2f}x (rows identical: {'yes' if same else 'NO'})")


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    step_against_cpp(sys.argv[1])
    step_overhead()
    two_threads()
    local_sweep()


if __name__ == "__main__":
    main()
