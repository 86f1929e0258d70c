# SPDX-License-Identifier: GPL-3.0-or-later
"""Threads and Ctrl+C: a step runs without the interpreter's lock, and a gas takes turns."""
from __future__ import annotations

import os
import signal
import threading
import time

import numpy as np
import pytest

import kinetic_model as km
from conftest import same


def state(gas: km.Gas) -> tuple[np.ndarray, np.ndarray]:
    return gas.positions(), gas.velocities()


def test_two_gases_in_two_threads_give_what_they_give_one_after_the_other():
    settings = [dict(seed=1), dict(counts=(150, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact", seed=2)]
    alone = []
    for s in settings:
        gas = km.Gas(**s)
        gas.step(3000)
        alone.append(gas.results())
    gases = [km.Gas(**s) for s in settings]
    threads = [threading.Thread(target=g.step, args=(3000,)) for g in gases]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(same(g.results(), r) for g, r in zip(gases, alone))


def test_two_threads_stepping_one_gas_take_turns():
    # A tick is a tick whoever asks for it: 2 x 1500 ticks in two threads, interleaved in
    # slices, are the 3000 ticks of one thread. Unguarded, the two would corrupt the gas.
    shared, alone = km.Gas(counts=(300, 0, 0, 0), masses=(1, 1, 1, 1)), km.Gas(
        counts=(300, 0, 0, 0), masses=(1, 1, 1, 1))
    readings = []
    stop = threading.Event()

    def read():
        while not stop.is_set():
            x = shared.positions()
            readings.append(np.isfinite(x).all())

    threads = [threading.Thread(target=shared.step, args=(1500,)) for _ in range(2)]
    reader = threading.Thread(target=read)
    reader.start()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    stop.set()
    reader.join()
    alone.step(3000)
    assert shared.ticks == 3000
    assert all(np.array_equal(a, b) for a, b in zip(state(shared), state(alone)))
    assert same(shared.results(), alone.results())
    assert readings and all(readings)


def test_ctrl_c_during_a_step_leaves_a_usable_gas():
    gas = km.Gas(counts=(300, 0, 0, 0), masses=(1, 1, 1, 1))
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            gas.step(10**9)
    finally:
        timer.cancel()
    stopped = gas.ticks
    assert 0 < stopped < 10**9
    # It goes on from its last whole tick: the same gas as one never interrupted.
    gas.step(200)
    fresh = km.Gas(counts=(300, 0, 0, 0), masses=(1, 1, 1, 1))
    fresh.step(stopped + 200)
    assert gas.ticks == fresh.ticks
    assert all(np.array_equal(a, b) for a, b in zip(state(gas), state(fresh)))
    assert same(gas.results(), fresh.results())


def test_a_reader_waits_at_most_about_one_slice_while_another_thread_steps():
    # A live plot reads while a step runs: every read, and an experiment, gets its turn
    # between two slices (about 20 ms of ticks) rather than when the step ends.
    gas = km.Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1))
    gas.step(50)
    started = time.perf_counter()
    stepping = threading.Thread(target=gas.step, args=(25000,))
    stepping.start()
    waits = []
    heated_at = None
    while stepping.is_alive():
        time.sleep(0.05)
        for read in (gas.positions, lambda: gas.ticks, gas.energy, gas.velocities, gas.results):
            t = time.perf_counter()
            read()
            waits.append(time.perf_counter() - t)
        if heated_at is None and time.perf_counter() - started > 0.1:
            before = gas.ticks
            gas.heat(1, 2)
            heated_at = (before, gas.ticks)
    stepping.join()
    assert gas.ticks == 25050
    assert len(waits) >= 5 * 5
    # Generous for a busy machine; before the reads took turns they waited the whole step.
    assert max(waits) < 0.25, f"longest wait {max(waits):.3f} s"
    # The stepper may take a slice between the reads around the heat: it lies between them.
    assert heated_at is not None and heated_at[1] < 25050
    heats = [tick for tick, what in gas.events() if "heat" in what]
    assert len(heats) == 1 and heated_at[0] <= heats[0] <= heated_at[1]
