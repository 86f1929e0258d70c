# SPDX-License-Identifier: GPL-3.0-or-later
"""A field toward the floor and a divider with an opening: the same gas as kinetic-measure's with
the same options, refused by name where they cannot be, opened and closed during a run as
events that a saved gas replays, and drawn as the laboratory's Atmosphere and Effusion tabs."""
from __future__ import annotations

import json
import math

import pytest

import kinetic_model as km
from conftest import same

SMALL = dict(counts=(60, 60, 0, 0), masses=(1, 16, 1, 1), radius=3, proximity=6, rule="exact",
             seed=5, warmup=100)


def test_a_field_and_a_divider_measure_what_kinetic_measure_does(measure):
    gas = km.Gas(**SMALL, gravity=0.01, divider=60, sides=("left", "right", "both", "both"))
    gas.step(100 + 800)
    report = measure("--counts", "60,60,0,0", "--masses", "1,16,1,1", "--radius", "3",
                     "--proximity", "6", "--rule", "exact", "--seed", "5", "--warmup", "100",
                     "--ticks", "800", "--gravity", "0.01", "--divider", "60",
                     "--sides", "left,right,both,both")
    assert same(gas.results()["measurements"], report["measurements"])
    keys = {m["key"] for m in report["measurements"]}
    assert {"scale_height.species2", "hydrostatic", "effusion.species1", "effusion_ratio",
            "mixing_entropy"} <= keys


def test_each_species_starts_on_its_side_and_the_divider_keeps_them_there_closed():
    gas = km.Gas(**SMALL, divider=0, sides=("left", "right", "both", "both"))
    species = gas.species()
    start = gas.positions()[:, 0]
    assert (start[species == 1] < 500).all() and (start[species == 2] >= 500).all()
    gas.step(2000)
    assert ((gas.positions()[:, 0] < 500) == (start < 500)).all()
    # Opened, the light species go through to the right, and the heavy to the left.
    gas.open_divider(200)
    gas.step(4000)
    x = gas.positions()[:, 0]
    assert (x[species == 1] >= 500).sum() > 5 and (x[species == 2] < 500).sum() > 2


@pytest.mark.parametrize("arguments, error, message", [
    (dict(gravity=-0.5), ValueError, "gravity must be 0 or more"),
    (dict(gravity="x"), TypeError, "gravity must be a number"),
    (dict(gravity=[1]), TypeError, "gravity"),
    (dict(divider=-1), ValueError, "divider must be the opening's width"),
    (dict(divider=math.nan), ValueError, "divider"),
    (dict(sides=("left", "up", "both", "both")), ValueError, "sides[1] must be 'left'"),
    (dict(sides=("left",)), ValueError, "sides must be four values"),
    (dict(sides=("left", 2, "both", "both")), TypeError, "sides[1]"),
    (dict(sides="left"), TypeError, "sides"),
])
def test_a_field_divider_or_side_that_cannot_be_is_refused_by_name(arguments, error, message):
    with pytest.raises(error, match=message.replace("[", r"\[").replace("]", r"\]")):
        km.Gas(**arguments)


def test_opening_closing_and_the_field_are_events_a_saved_gas_replays(tmp_path):
    gas = km.Gas(**SMALL)
    gas.step(300)
    gas.open_divider(100)
    gas.step(200)
    gas.set_gravity(0.02)
    gas.step(200)
    gas.close_divider()
    gas.step(100)
    path = tmp_path / "gas.json"
    gas.save(path)
    again = km.Gas.load(path)
    assert again.ticks == gas.ticks
    assert (again.positions() == gas.positions()).all()
    assert same(again.results()["measurements"], gas.results()["measurements"])
    assert [tick for tick, _ in gas.events()][-3:] == [300, 500, 700]
    assert again.events() == gas.events()
    with pytest.raises(ValueError, match="divider must be"):
        gas.open_divider(-2)
    with pytest.raises(ValueError, match="gravity must be"):
        gas.set_gravity(math.inf)


def test_the_atmosphere_and_effusion_tabs_draw_the_laboratory_s_descriptions():
    gas = km.Gas(**SMALL, gravity=0.01, divider=100, sides=("left", "left", "both", "both"))
    gas.step(1500)
    names = gas.tabs()
    for name in ("Atmosphere", "Effusion"):
        description = json.loads(gas._tab_json(names.index(name), 0))
        assert all(c["notice"] == "" for c in description["charts"]), name
        figure = gas.figure(name)
        titles = [ax.get_title() for ax in figure.axes if ax.get_title()]
        assert titles == [c["title"] for c in description["charts"]]
        figure.canvas.draw()
