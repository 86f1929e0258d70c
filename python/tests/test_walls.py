# SPDX-License-Identifier: GPL-3.0-or-later
"""Walls that hold a temperature, move or push as a piston: the same gas as kinetic-measure's
with the same options, refused where they cannot be, carried through copies and sweeps."""
from __future__ import annotations

import copy
import math

import numpy as np
import pytest

import kinetic_model as km
from conftest import same

WALLED = dict(counts=(100, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact", seed=4, warmup=100)


def test_walls_given_to_a_gas_measure_what_kinetic_measure_does(measure):
    gas = km.Gas(**WALLED, wall_temperature=(40, None, None, 160), move_wall=(800, 0.5, 50))
    gas.step(100 + 600)
    report = measure("--counts", "100,0,0,0", "--masses", "1,1,1,1", "--rule", "exact",
                     "--seed", "4", "--warmup", "100", "--ticks", "600",
                     "--wall-temperature", "40,-,-,160", "--move-wall", "800,0.5,50")
    assert same(gas.results()["measurements"], report["measurements"])
    keys = {m["key"] for m in report["measurements"]}
    assert {"area", "pressure.left", "heat.right", "work", "energy.unaccounted"} <= keys


def test_the_walls_keep_the_energy_s_books_and_hold_their_temperature():
    gas = km.Gas(**WALLED, move_wall=(600, 0.2))
    gas.step(3000)
    walls = {m["key"]: m["value"] for m in gas.results()["measurements"]}
    assert walls["right_wall.x"] == 600 and walls["work"] > 0
    assert abs(walls["energy.unaccounted"]) < 1e-12
    # Four walls at kT 50 take a gas started hotter or colder to 50.
    gas.set_walls([50, 50, 50, 50])
    gas.step(20000)
    kT = gas.measurement("kT.gas")
    assert abs(kT["value"] - 50) < 3 * kT["error"] + 1
    assert any("walls: left kT 50" in what for _, what in gas.events())


@pytest.mark.parametrize("arguments, error, message", [
    ({"wall_temperature": 30}, TypeError, "wall_temperature must be four values"),
    ({"wall_temperature": (30, 30, 30)}, ValueError, "wall_temperature must be four values"),
    ({"wall_temperature": (0, None, None, None)}, ValueError,
     "A wall's temperature must be a kT above 0, not 0."),
    ({"wall_temperature": ("30", None, None, None)}, TypeError, "wall_temperature[0] must be a number"),
    ({"move_wall": (2000, 1)}, ValueError, "The right wall cannot move beyond the box"),
    ({"move_wall": (600, 0)}, ValueError, "The wall's speed must be above 0"),
    ({"move_wall": (600, 1, 2.5)}, TypeError, "move_wall: start must be a whole number"),
    ({"move_wall": 600}, TypeError, "move_wall must be (x, u) or (x, u, start)"),
    ({"piston": (1, 0)}, ValueError, "The piston's mass must be above 0 amu"),
    ({"piston": (1, 1), "move_wall": (600, 1)}, ValueError, "move_wall and piston both"),
    ({"counts": (500, 0, 0, 0), "radius": 20, "proximity": 40, "move_wall": (100, 1)},
     km.Refused, "The gas cannot fit with the right wall at x = 100"),
])
def test_walls_that_cannot_be_are_refused_by_name(arguments, error, message):
    with pytest.raises(error) as refused:
        km.Gas(**arguments)
    assert str(refused.value).startswith(message), str(refused.value)


def test_a_walled_gas_copies_and_sweeps():
    gas = km.Gas(**WALLED, piston=(0.02, 500))
    gas.step(300)
    gas.move_wall(700, 1)
    gas.step(200)
    twin = copy.deepcopy(gas)
    for g in (gas, twin):
        g.step(300)
    assert np.array_equal(gas.positions(), twin.positions())
    assert same(gas.results(), twin.results())
    rows = km.sweep([{"counts": (50, 0, 0, 0)},
                     {"counts": (50, 0, 0, 0), "wall_temperature": (30, 30, 30, 30)}],
                    ticks=200, jobs=1, as_frame=False)
    assert list(rows[0]) == list(rows[1])
    assert math.isnan(rows[0]["heat.left"]) and rows[1]["heat.left"] != 0
    assert "pressure.right:outside pressure" in rows[0]
    # A wall that cannot be is refused before anything runs, not by a run that reaches it.
    with pytest.raises(ValueError, match=r"settings\[1\]: A wall's temperature must be a kT above 0"):
        km.sweep([{}, {"wall_temperature": (0, None, None, None)}], ticks=10, jobs=1)
