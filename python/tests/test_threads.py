# SPDX-License-Identifier: GPL-3.0-or-later
"""Threads and Ctrl+C: a step runs without the interpreter's lock, and a gas takes turns."""
from __future__ import annotations

import os
import signal
import threading

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
