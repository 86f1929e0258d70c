# SPDX-License-Identifier: GPL-3.0-or-later
"""Walls that hold a temperature, move or push as a piston: the same gas as kinetic-measure's
with the same options, refused where they cannot be, carried through copies and sweeps; the gas
laws' processes run on them, as the laboratory's rows."""
from __future__ import annotations

import copy
import json
import math
import pickle

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


# The gas of the laboratory's own test of Boyle's law: 200 discs of radius 12, seed 3.
DENSE = dict(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), radius=12, proximity=24, rule="exact",
             seed=3, warmup=500)


def run_gas_law(gas: km.Gas, name: str, most: int = 200000) -> dict:
    before = len(gas.gas_laws())
    gas.start_gas_law(name)
    while len(gas.gas_laws()) == before and most > 0:
        gas.step(500)
        most -= 500
    rows = gas.gas_laws()
    assert len(rows) == before + 1, f"{name} did not end"
    return rows[-1]


def number_text(v):
    """A number as the laboratory's tables write it."""
    if v is None or not math.isfinite(v):
        return "—"
    if v == math.floor(v) and abs(v) < 1e9:
        return f"{v:.0f}"
    return f"{v:.4g}"


def test_a_boyle_run_through_python_is_the_laboratory_s_row():
    gas = km.Gas(**DENSE)
    gas.step(1000)
    row = run_gas_law(gas, "Boyle")
    start, end = row["start"], row["end"]
    # The physics the laboratory's test of the same gas checks: P·A/(N·Z) at the walls' kT at
    # both ends, Henderson's Z predicting the pressure at half the area, the ideal gas short.
    assert row["complete"] and row["ending"] == "the wall arrived", row["ending"]
    assert row["process"] == "Boyle" and row["invariant"] == "P·A/(N·Z)" and row["quantity"] == "P"
    assert end["area"] / start["area"] == pytest.approx(0.5, abs=1e-12)
    for e in (start, end):
        assert e["invariant"] == pytest.approx(row["expected"], rel=0.03)
        assert e["from_tick"] < e["to_tick"]
    assert row["measured"] == end["pressure"]
    assert row["measured"] == pytest.approx(row["hard_disc"], rel=0.05)
    assert row["ideal"] < 0.9 * row["measured"]
    ideal = start["pressure"] * start["area"] / end["area"]
    assert row["ideal"] == pytest.approx(ideal, rel=1e-12)
    # The Gas laws tab, which the windows draw from the laboratory's row, shows the same numbers.
    tab = json.loads(gas._tab_json(gas.tabs().index("Gas laws"), 0))
    cells = dict(zip(tab["tableHead"], tab["table"][0]))
    for key in ("pressure", "area", "kT"):
        column = {"pressure": "P", "area": "A", "kT": "kT"}[key]
        assert cells[column] == f"{number_text(start[key])} → {number_text(end[key])}"
    assert cells["Z"] == f"{number_text(start['Z'])} → {number_text(end['Z'])}"
    assert cells["law's value"] == number_text(row["expected"])
    assert cells["ideal"] == number_text(row["ideal"])
    assert cells["hard discs"] == number_text(row["hard_disc"])
    assert cells["ending"] == row["ending"]
    assert any(what.startswith("process: Boyle") for _, what in gas.events())


@pytest.mark.parametrize("name, error, message", [
    (0, TypeError, 'name must be one of "Boyle", "Charles", "Gay-Lussac", "adiabat", '
                   '"free expansion", not 0'),
    ("boyle", ValueError, 'name must be one of "Boyle", "Charles"'),
    ("", ValueError, 'name must be one of'),
])
def test_a_gas_law_that_is_not_one_of_the_five_is_refused_by_name(name, error, message):
    gas = km.Gas(seed=1)
    events = gas.events()
    with pytest.raises(error) as refused:
        gas.start_gas_law(name)
    assert str(refused.value).startswith(message), str(refused.value)
    assert gas.gas_laws() == [] and gas.events() == events


def test_a_gas_law_refused_by_the_laboratory_changes_nothing():
    gas = km.Gas(seed=1, warmup=0)
    gas.step(100)
    gas.start_gas_law("Gay-Lussac")
    events = gas.events()
    with pytest.raises(km.Refused, match="The Gay-Lussac process is still running"):
        gas.start_gas_law("Boyle")
    assert gas.events() == events
    # Dense enough that half the area cannot hold the discs: refused before anything changes.
    packed = km.Gas(counts=(500, 0, 0, 0), radius=20, proximity=40, seed=2, warmup=0)
    packed.step(10)
    events = packed.events()
    with pytest.raises(km.Refused, match="The gas cannot fit"):
        packed.start_gas_law("adiabat")
    assert packed.events() == events and packed.gas_laws() == []


def test_a_gas_law_goes_on_bit_for_bit_in_a_copy():
    gas = km.Gas(seed=6, warmup=100)
    gas.step(300)
    gas.start_gas_law("Boyle")
    gas.step(7000)  # inside the process: the wall on its way in
    assert gas.gas_laws() == []
    for twin in (copy.deepcopy(gas), pickle.loads(pickle.dumps(gas))):
        assert twin.ticks == gas.ticks
        assert np.array_equal(twin.positions(), gas.positions())
    twin = pickle.loads(pickle.dumps(gas))
    a, b = run_gas_law_end(gas), run_gas_law_end(twin)
    assert a["complete"], a["ending"]
    assert same(a, b)
    assert np.array_equal(gas.positions(), twin.positions())
    assert same(gas.results(), twin.results())


def run_gas_law_end(gas: km.Gas) -> dict:
    """Steps a gas whose process is running until its row comes."""
    for _ in range(400):
        if gas.gas_laws():
            break
        gas.step(500)
    return gas.gas_laws()[-1]


def test_a_gas_law_s_row_is_kinetic_measure_s_over_the_same_ticks(measure):
    gas = km.Gas(counts=(300, 0, 0, 0), masses=(1, 1, 1, 1), radius=3, proximity=6, rule="exact",
                 seed=2, warmup=500)
    gas.step(500)
    gas.start_gas_law("adiabat")
    while not gas.gas_laws():
        gas.step(1)
    report = measure("--counts", "300,0,0,0", "--masses", "1,1,1,1", "--radius", "3",
                     "--proximity", "6", "--rule", "exact", "--seed", "2", "--warmup", "500",
                     "--gas-law", "adiabat")
    row = gas.gas_laws()[0]
    laws = {m["key"]: m for m in report["measurements"] if m["section"] == "gas laws"}
    # Both stop on the tick the row comes, so the rest of the report is the same too.
    assert laws["gas_law1.end.to_tick"]["value"] == row["end"]["to_tick"] == gas.ticks
    rest = [m for m in report["measurements"] if m["section"] != "gas laws"]
    assert same(gas.results()["measurements"], rest)

    def number(v):
        """JSON writes a whole number without its point: as Python's float."""
        return None if v is None else float(v)

    def value(key):
        return number(laws["gas_law1." + key]["value"])

    assert row["complete"] and value("complete") == 1
    assert row["ending"] in laws["gas_law1.complete"]["quantity"]
    for at in ("start", "end"):
        for name in ("pressure", "area", "kT", "invariant"):
            assert same(row[at][name], value(f"{at}.{name}")), (at, name)
            assert same(row[at][name + "_error"], number(laws[f"gas_law1.{at}.{name}"]["error"]))
        for name in ("eta", "Z", "kT_now", "from_tick", "to_tick"):
            assert same(float(row[at][name]), value(f"{at}.{name}")), (at, name)
        law = laws[f"gas_law1.{at}.invariant"]["theory"]["law's value"]
        assert same(row["expected"], number(law))
    measured = laws["gas_law1.measured"]
    assert same(row["measured"], number(measured["value"]))
    assert same(row["ideal"], number(measured["theory"]["ideal"]))
    assert same(row["hard_disc"], number(measured["theory"]["hard discs"]))
    assert same(row["work"], value("work")) and same(row["heat"], value("heat"))
