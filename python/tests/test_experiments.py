# SPDX-License-Identifier: GPL-3.0-or-later
"""The laboratory's experiments from Python, and its time series."""
from __future__ import annotations

import numpy as np
import pytest

import kinetic_model as km


def kinetic(gas: km.Gas) -> np.ndarray:
    v = gas.velocities()
    return 0.5 * gas.masses() * (v ** 2).sum(axis=1)


def test_heat_scales_the_motion_about_the_mean_and_keeps_the_momentum():
    gas = km.Gas(seed=4)
    gas.step(500)
    two = gas.species() == 2
    m, v = gas.masses()[two], gas.velocities()[two]
    mean = v.mean(axis=0)
    momentum = (m[:, None] * v).sum(axis=0)
    before = (0.5 * m[:, None] * (v - mean) ** 2).sum()
    others = gas.velocities()[~two]
    gas.heat(2, 5)
    v = gas.velocities()[two]
    assert np.allclose((m[:, None] * v).sum(axis=0), momentum, rtol=1e-12, atol=1e-9)
    assert np.array_equal(gas.velocities()[~two], others)
    after = (0.5 * m[:, None] * (v - v.mean(axis=0)) ** 2).sum()
    assert after == pytest.approx(5 * before, rel=1e-12)
    assert gas.events()[-1] == (500, "heat species 2 x5")


@pytest.mark.parametrize("species, factor, reason", [
    (3, 2, "Species 3 has no particles in this run. The species with discs: 1, 2."),
    (0, 2, "Species 0 has no particles in this run. The species with discs: 1, 2."),
    (2, 101, "The factor must be a number from 0.01 to 100."),
    (2, float("nan"), "The factor must be a number from 0.01 to 100."),
])
def test_heat_is_refused_with_the_laboratory_reason(species, factor, reason):
    gas = km.Gas(counts=(10, 5, 0, 0))
    gas.step(10)
    with pytest.raises(ValueError) as refused:
        gas.heat(species, factor)
    assert str(refused.value) == reason
    assert len(gas.events()) == 1


def test_equal_energies_gives_every_disc_the_mean_and_keeps_the_total():
    gas = km.Gas(seed=2)
    gas.step(300)
    total = gas.energy()
    gas.equal_energies()
    e = kinetic(gas)
    assert np.allclose(e, total / len(e), rtol=1e-12)
    assert gas.energy() == pytest.approx(total, rel=1e-12)
    assert gas.events()[-1] == (300, "equal energies")


def test_rule_and_warmup_changes_are_events_that_restart_the_averages():
    gas = km.Gas(counts=(100, 0, 0, 0), masses=(1, 1, 1, 1), warmup=100)
    gas.step(400)
    gas.set_rule("exact")
    gas.set_warmup(50)
    assert gas.rule == "exact" and gas.warmup == 50
    assert gas.events()[1:] == [(400, "rule: exact hard discs"), (400, "warm-up 50")]
    gas.step(30)
    assert gas.results()["measurements"][0]["value"] is None  # still warming up
    gas.step(300)
    report = gas.results()
    assert report["settings"]["rule"] == "exact"
    assert any(m["key"] == "repeat_share" for m in report["measurements"])
    with pytest.raises(ValueError, match='rule must be "specified" or "exact"'):
        gas.set_rule("Exact")
    with pytest.raises(ValueError, match="warmup must be a whole number"):
        gas.set_warmup(-1)


def test_history_holds_the_run_in_bins_and_agrees_with_the_averages():
    gas = km.Gas(warmup=0)
    gas.step(3000)
    h = gas.history()
    assert list(h) == ["tick", "kT_gas", "kT_species1", "kT_species2", "kT_species3",
                       "kT_species4", "Z", "exchanges", "new_contacts", "repeat_share",
                       "energy", "H"]
    assert 0 < len(h["tick"]) <= 512 and np.all(np.diff(h["tick"]) > 0)
    assert h["tick"][-1] <= 3000
    # Bins of equal width that cover the run; without a warm-up the averages cover every tick
    # too, so their mean is the mean of the bins' means.
    width = np.diff(h["tick"])
    assert np.all(width == width[0]) and width[0] * len(h["tick"]) == 3000
    kt = gas.measurement("kT.gas")["value"]
    assert np.mean(h["kT_gas"]) == pytest.approx(kt, rel=1e-9)


def test_histograms_and_msd_are_the_laboratory_tables():
    gas = km.Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), warmup=200, rule="exact")
    gas.step(2200)
    hist = gas.histograms()
    assert set(hist) == {(1, "speed"), (1, "vx"), (1, "vy")}
    speed = hist[(1, "speed")]
    width = speed["bin_centre"][1] - speed["bin_centre"][0]
    # Densities: each integrates to about 1 over the chart's range.
    assert speed["measured_density"].sum() * width == pytest.approx(1, abs=0.01)
    assert speed["theory_density"].sum() * width == pytest.approx(1, abs=0.01)
    assert speed["ks_distance"] == gas.measurement("ks_speed.species1")["value"]
    msd = gas.msd()
    assert msd["lag"][0] >= 1 and np.all(np.diff(msd["lag"]) > 0)
    known = ~np.isnan(msd["msd_species1"])
    assert known.sum() > 3 and np.all(np.diff(msd["msd_species1"][known]) > 0)


@pytest.mark.parametrize("experiment, warmup, averaged", [
    # A new warm-up of 0: the averages restart at once and cover every tick since.
    (lambda g: g.set_warmup(0), 0, 300),
    # A heat after the warm-up: the averages restart, and wait the warm-up again.
    (lambda g: g.heat(1, 2), 100, 200),
    (lambda g: g.equal_energies(), 100, 200),
])
def test_settings_state_what_the_averages_cover_after_an_experiment(experiment, warmup, averaged):
    gas = km.Gas(warmup=100)
    gas.step(1000)
    experiment(gas)
    gas.step(300)
    settings = gas.results()["settings"]
    assert settings["warmup"] == gas.warmup == warmup
    assert settings["ticks"] == averaged
    assert [e["tick"] for e in settings["events"]] == [0, 1000]
    assert gas.row()["events"] == tuple((t, w) for t, w in gas.events())
    assert gas.row()["ticks"] == averaged
