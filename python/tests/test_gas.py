# SPDX-License-Identifier: GPL-3.0-or-later
"""A gas from Python: the same measurements as kinetic-measure, its arrays, its refusals."""
from __future__ import annotations

import math

import numpy as np
import pytest

import kinetic_model as km
from conftest import same


@pytest.mark.parametrize("arguments, options", [
    ({}, []),
    # Texts as typed, a fractional count, the exact rule, another seed and warm-up.
    ({"counts": ("120", 30.5, 0, 2), "masses": (1, "2.5", 16, 40), "radius": 9.5,
      "proximity": "19", "vel_range": 12, "rule": "exact", "seed": 77, "warmup": 300},
     ["--counts", "120,30.5,0,2", "--masses", "1,2.5,16,40", "--radius", "9.5",
      "--proximity", "19", "--vel-range", "12", "--rule", "exact", "--seed", "77",
      "--warmup", "300"]),
])
def test_results_equal_kinetic_measure(measure, arguments, options):
    gas = km.Gas(**arguments)
    gas.step(gas.warmup + 4000)
    assert same(gas.results(), measure(*options, "--ticks", "4000"))


def test_results_during_the_warmup_say_so():
    gas = km.Gas(warmup=500)
    gas.step(200)
    report = gas.results()
    assert report["settings"]["ticks"] == 0
    assert math.isnan(gas.row()["Z"])


def test_arrays_are_the_gas_the_laboratory_measures():
    gas = km.Gas(counts=(20, 10, 5, 1), masses=(1, 3, 9, 27), seed=5)
    gas.step(700)
    x, v, m, s = gas.positions(), gas.velocities(), gas.masses(), gas.species()
    assert x.shape == v.shape == (36, 2) and x.dtype == v.dtype == np.float64
    assert list(np.bincount(s, minlength=5)[1:]) == [20, 10, 5, 1]
    assert list(m) == [{1: 1.0, 2: 3.0, 3: 9.0, 4: 27.0}[k] for k in s]
    # The laboratory's sums over the same discs, in the same order, give the same bits.
    energy = 0.0
    px = py = 0.0
    for (vx, vy), mass in zip(v.tolist(), m.tolist()):
        energy += 0.5 * mass * (vx * vx + vy * vy)
        px += mass * vx
        py += mass * vy
    row = gas.row()
    assert gas.energy() == energy == row["energy.now"]
    assert (px, py) == (row["momentum.x"], row["momentum.y"])
    outside = np.any((x < 0) | (x > 1000), axis=1).sum()
    assert row["outside.now"] == outside
    # Copies: changing them leaves the gas alone, and the gas moves on without them.
    x[:] = 0
    assert not np.array_equal(gas.positions(), x)
    before = gas.positions()
    gas.step(1)
    assert gas.ticks == 701 and not np.array_equal(gas.positions(), before)


def test_the_same_seed_gives_the_same_gas_and_another_a_different_one():
    a, b, c = km.Gas(seed=9), km.Gas(seed=9), km.Gas(seed=10)
    for g in (a, b, c):
        g.step(300)
    assert np.array_equal(a.positions(), b.positions())
    assert np.array_equal(a.velocities(), b.velocities())
    assert not np.array_equal(a.positions(), c.positions())


@pytest.mark.parametrize("arguments, named", [
    ({"counts": (-1, 8, 2, 1)}, ['counts[0]: The count of species 1 is "-1"']),
    ({"counts": (300, 300, 0, 0)}, ["counts: The counts add up to 600 particles"]),
    ({"counts": (32, 8, 2)}, ["counts: four values, one per species, not 3"]),
    ({"masses": (1, 0.01, 16, 64)}, ['masses[1]: The mass of species 2 is "0.01"']),
    ({"masses": (1, 4, "heavy", 64)}, ['masses[2]: The mass of species 3 is "heavy"']),
    ({"radius": float("nan")}, ['radius: The particle radius is "nan"']),
    ({"vel_range": 2000}, ['vel_range: The velocity range is "2000"']),
    ({"proximity": 2e9}, ['proximity: The collision proximity is "2000000000"']),
    ({"rule": "soft"}, ['rule must be "specified" or "exact", not "soft"']),
    ({"seed": -1}, ["seed must be a whole number from 0 to 4294967295, not -1"]),
    ({"warmup": -5}, ["warmup must be a whole number from 0 to 1000000, not -5"]),
    # Every bad argument at once, in order.
    ({"counts": (1, "x", 0, 0), "radius": -1, "seed": 2**32},
     ['counts[1]: The count of species 2 is "x"', 'radius: The particle radius is "-1"',
      "seed must be a whole number from 0 to 4294967295, not 4294967296"]),
])
def test_bad_arguments_are_refused_by_name(arguments, named):
    with pytest.raises(ValueError) as refused:
        km.Gas(**arguments)
    lines = str(refused.value).split("\n")
    assert len(lines) == len(named)
    for line, start in zip(lines, named):
        assert line.startswith(start)


def test_a_gas_too_dense_for_the_exact_rule_is_refused_with_the_reason():
    with pytest.raises(km.Refused, match="packing fraction"):
        km.Gas(counts=(500, 0, 0, 0), masses=(1, 1, 1, 1), radius=30, proximity=60,
               rule="exact")
    # Under the specified rule it runs; switching it to the exact rule is refused.
    gas = km.Gas(counts=(500, 0, 0, 0), masses=(1, 1, 1, 1), radius=30, proximity=60)
    with pytest.raises(km.Refused, match="packing fraction"):
        gas.set_rule("exact")
    assert gas.rule == "specified" and gas.events() == [(0, "run: 500 discs")]


def test_step_takes_whole_ticks_of_zero_or_more():
    gas = km.Gas()
    gas.step(0)
    assert gas.ticks == 0
    with pytest.raises(ValueError, match="n must be a whole number from 0 to 9223372036854775807"):
        gas.step(-1)
    with pytest.raises(TypeError):
        gas.step(1.5)


def test_theory_is_the_laboratory_theory():
    gas = km.Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact", warmup=100)
    gas.step(1100)
    row = gas.row()
    eta = row["eta"]
    assert km.theory.bulk_z(eta) == row["Z:bulk fluid"]
    assert km.theory.henderson_z(eta) == row["Z_henderson"]
    assert km.theory.walled_z(eta, 24, 976) == row["Z:bulk fluid less the walls' first-order term"]
    assert km.theory.bulk_z(row["eta_interior"]) == row["Z_interior:bulk fluid"]
    # On arrays, element by element; no fluid value from the hexatic phase on.
    etas = np.array([0.1, 0.5, km.theory.fluid_ends])
    z = km.theory.bulk_z(etas)
    assert z.shape == (3,) and z[0] == km.theory.bulk_z(0.1) and np.isnan(z[2])
    # The speed law is a density: it integrates to 1.
    v = np.linspace(0, 60, 60001)
    assert np.trapz(km.theory.speed_density(v, 2.0, 30.0), v) == pytest.approx(1, abs=1e-6)


def test_integrity_figures_cover_every_tick_of_the_run():
    # The specified rule lets centres past the line at one radius from a wall; the figures
    # over the run are what the positions give, tick by tick, whatever the last tick shows.
    gas = km.Gas()
    share = farthest = farthest_edge = 0.0
    ticks = 3000
    for _ in range(ticks):
        gas.step(1)
        x = gas.positions()
        past = max(float(np.max(12 - x)), float(np.max(x - (1000 - 12))))
        if past > 0:
            share += 1
            farthest = max(farthest, past)
            farthest_edge = max(farthest_edge, past - 12)
    row = gas.row()
    assert share > 0, "this gas was expected to let a centre past its wall line"
    assert row["beyond_wall.share"] == pytest.approx(share / ticks, abs=0)
    assert row["beyond_wall.farthest"] == pytest.approx(farthest, rel=1e-12)
    assert row["beyond_edge.farthest"] == pytest.approx(farthest_edge, rel=1e-12)
    # The present tick's figures stay as they were: from the box's edges, now.
    x = gas.positions()
    assert row["outside.now"] == np.any((x < 0) | (x > 1000), axis=1).sum()
    assert row["excursion.now"] <= row["beyond_edge.farthest"] or row["outside.now"] == 0
