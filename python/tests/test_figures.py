# SPDX-License-Identifier: GPL-3.0-or-later
"""The laboratory's tabs as matplotlib figures, drawn from the windows' descriptions, and the
gas's picture as the windows draw it."""
from __future__ import annotations

import json

import numpy as np
import pytest
from matplotlib.collections import LineCollection, PathCollection
from matplotlib.lines import Line2D

import kinetic_model as km


@pytest.fixture(scope="module")
def gas() -> km.Gas:
    g = km.Gas(seed=5, rule="exact", warmup=500)
    g.step(2500)
    g.heat(2, 3.0)
    g.step(1500)
    return g


def plots(figure):
    """The axes that hold a chart (a title), in the tab's order."""
    return [ax for ax in figure.axes if ax.get_title()]


def test_every_tab_draws_each_chart_under_the_windows_titles_and_axes(gas):
    assert gas.tabs() == ("Speeds", "Equipartition", "Pressure", "Diffusion", "Collisions",
                          "H theorem", "Integrity", "Equation of state", "P–V", "Heat flow",
                          "Gas laws", "Atmosphere", "Effusion")
    for index, name in enumerate(gas.tabs()):
        description = json.loads(gas._tab_json(index, 0))
        figure = gas.figure(name)
        assert figure._suptitle.get_text() == name
        axes = plots(figure)
        assert [ax.get_title() for ax in axes] == [c["title"] for c in description["charts"]]
        for ax, chart in zip(axes, description["charts"]):
            assert ax.get_xlabel() == chart["xTitle"] and ax.get_ylabel() == chart["yTitle"]
            assert ax.get_xscale() == ("log" if chart["logX"] else "linear")
            assert ax.get_yscale() == ("log" if chart["logY"] else "linear")
            if chart["xMin"] is not None and chart["xMax"] is not None:
                assert ax.get_xlim() == pytest.approx((chart["xMin"], chart["xMax"]))
        figure.canvas.draw()


def test_a_series_is_the_measurement_it_draws_in_its_style(gas):
    figure = gas.figure("Speeds")
    chart = plots(figure)[0]
    histogram = gas.histograms()[(1, "speed")]
    lines = {line.get_label(): line for line in chart.get_lines()}
    measured = next(line for label, line in lines.items() if label.startswith("measured"))
    theory = lines["Maxwell–Boltzmann"]
    assert measured.get_drawstyle() == "steps-post" and theory.get_linestyle() == "--"
    # The histogram drawn is the laboratory's, bin for bin (the steps' ends close it off).
    y = np.asarray(measured.get_ydata(), dtype=float)
    assert np.isin(histogram["measured_density"], y).all()
    # The theory line is the Maxwell-Boltzmann law at the species' kT: it integrates to about 1.
    x, f = np.asarray(theory.get_xdata(), float), np.asarray(theory.get_ydata(), float)
    assert np.trapz(f, x) == pytest.approx(1, abs=0.03)
    # The legend beneath names every named series.
    legend = next(ax.get_legend() for ax in figure.axes if ax.get_legend())
    assert [t.get_text() for t in legend.get_texts()] == [
        s["name"] for s in json.loads(gas._tab_json(0, 0))["charts"][0]["series"] if s["name"]]
    # The components: vx's theory is the Gaussian, symmetric about 0.
    vx = plots(gas.figure("Speeds", quantity="vx"))[0]
    assert vx.get_xlim()[0] < 0 < vx.get_xlim()[1]


def test_error_bars_markers_and_event_marks_are_drawn(gas):
    equipartition = plots(gas.figure("Equipartition"))
    species = equipartition[0]
    assert any(isinstance(c, LineCollection) for c in species.collections)  # error bars
    assert any(isinstance(c, PathCollection) for c in species.collections)  # dots
    over_time = equipartition[1]
    heated = [e for e in gas.events() if e[1].startswith("heat")]
    assert heated
    marks = [line for line in over_time.get_lines()
             if list(line.get_xdata()) == [heated[0][0]] * 2]
    assert marks and marks[0].get_linestyle() == "--"
    assert any(t.get_text() == heated[0][1] for t in over_time.texts)


def test_an_empty_chart_says_why():
    young = km.Gas(seed=2, warmup=800)
    young.step(10)
    chart = plots(young.figure("Speeds"))[0]
    assert any(t.get_text().startswith("Warming up") for t in chart.texts)


@pytest.mark.parametrize("call, error, words", [
    (lambda g: g.figure("speeds"), ValueError, "tab must be one of 'Speeds'"),
    (lambda g: g.figure(3), TypeError, "tab must be a tab's name"),
    (lambda g: g.figure("Speeds", quantity="v"), ValueError, "quantity must be 'speed'"),
    (lambda g: g.picture(0), ValueError, "width must be a whole number of pixels"),
    (lambda g: g.picture(5000), ValueError, "from 1 to 4096"),
])
def test_refusals_name_the_argument(gas, call, error, words):
    with pytest.raises(error, match=words):
        call(gas)


def test_the_picture_is_the_gas_as_the_windows_draw_it():
    gas = km.Gas(counts=(20, 10, 5, 0), masses=(1, 4, 16, 1), radius=6, seed=9, rule="exact")
    gas.step(3000)  # long enough for particle 1, placed at rest, to be struck and move
    picture = gas.picture(500)
    assert picture.shape == (500, 500, 4) and picture.dtype == np.uint8
    assert (picture[..., 3] == 255).all()
    centres = np.floor(gas.positions() * 0.5).astype(int)
    species = gas.species()
    colour = {}
    for i, (x, y) in enumerate(centres):
        # A later disc is drawn over an earlier one: look only at discs nothing covers.
        later = np.hypot(*(gas.positions()[i + 1:] - gas.positions()[i]).T)
        if (later < 14).any():
            continue
        colour.setdefault(species[i], set()).add(tuple(picture[y, x, :3]))
    # Each species in one colour of its own, none of them the black of the box.
    assert all(len(c) == 1 for c in colour.values()) and len(colour) == 3
    assert len({next(iter(c)) for c in colour.values()}) == 3
    assert (0, 0, 0) not in {next(iter(c)) for c in colour.values()}
    # Away from every disc the box is black, but for particle 1's trail of small dots.
    empty = np.ones((500, 500), bool)
    yy, xx = np.mgrid[0:500, 0:500]
    for x, y in gas.positions() * 0.5:
        empty &= np.hypot(xx - x, yy - y) > 6
    lit = (picture[empty][:, :3] != 0).any(axis=1).mean()
    assert 0 < lit < 0.005
    # A larger picture is the same gas at a larger scale.
    assert gas.picture(250).shape == (250, 250, 4)
