# SPDX-License-Identifier: GPL-3.0-or-later
"""A gas copied, pickled or saved goes on as the original does, bit for bit, experiments and
the laboratory's averages included; its export is the laboratory's five files."""
from __future__ import annotations

import copy
import pickle

import numpy as np
import pytest

import kinetic_model as km
from conftest import same


def everything(gas: km.Gas) -> tuple:
    return (gas.ticks, gas.positions(), gas.velocities(), gas.results(), gas.history(),
            gas.events(), gas.rule, gas.warmup)


def assert_same_gas(a: km.Gas, b: km.Gas) -> None:
    for x, y in zip(everything(a), everything(b)):
        if isinstance(x, np.ndarray):
            assert np.array_equal(x, y)
        elif isinstance(x, dict) and x and isinstance(next(iter(x.values())), np.ndarray):
            assert x.keys() == y.keys()
            assert all(np.array_equal(x[k], y[k], equal_nan=True) for k in x)
        else:
            assert same(x, y), (x, y)


@pytest.fixture
def experimented() -> km.Gas:
    gas = km.Gas(counts=(30, 8, 0, 0), seed=9, draws=77, warmup=100)
    gas.step(300)
    gas.heat(2, 3)
    gas.step(150)
    gas.set_rule("exact")
    gas.step(100)
    gas.equal_energies()
    gas.set_warmup(20)
    gas.step(37)
    return gas


@pytest.mark.parametrize("how", ["pickle", "deepcopy", "copy", "save"])
def test_a_copy_steps_on_as_the_original(experimented, how, tmp_path):
    if how == "pickle":
        twin = pickle.loads(pickle.dumps(experimented))
    elif how == "deepcopy":
        twin = copy.deepcopy(experimented)
    elif how == "copy":
        twin = copy.copy(experimented)
    else:
        experimented.save(tmp_path / "gas.json")
        twin = km.Gas.load(tmp_path / "gas.json")
    assert twin is not experimented and isinstance(twin, km.Gas)
    assert_same_gas(twin, experimented)
    for gas in (twin, experimented):
        gas.step(400)
        gas.heat(1, 0.5)
        gas.step(50)
    assert_same_gas(twin, experimented)
    # And they are two gases: stepping one leaves the other.
    twin.step(1)
    assert twin.ticks == experimented.ticks + 1


def test_a_file_that_holds_no_gas_is_refused_by_name(tmp_path):
    (tmp_path / "no.json").write_text("[1, 2]")
    (tmp_path / "bad.json").write_text("{not json")
    for name in ("no.json", "bad.json"):
        with pytest.raises(ValueError, match="holds no saved gas"):
            km.Gas.load(tmp_path / name)


def test_export_writes_the_laboratory_s_five_files(tmp_path):
    gas = km.Gas(counts=(20, 5, 0, 0), warmup=10)
    gas.step(200)
    gas.heat(1, 2)
    gas.step(100)
    gas.export(tmp_path)
    names = sorted(p.name for p in tmp_path.iterdir())
    assert names == ["events.csv", "histograms.csv", "msd.csv", "summary.csv", "timeseries.csv"]
    assert (tmp_path / "timeseries.csv").read_text() == gas._timeseries_csv()
    assert (tmp_path / "events.csv").read_text() == gas._events_csv()
    assert "heat species 1 x2" in (tmp_path / "events.csv").read_text()
    summary = (tmp_path / "summary.csv").read_text().splitlines()
    assert summary[0].startswith("section,key") and any(",kT.gas," in r for r in summary)
    with pytest.raises(OSError) as refused:
        gas.export(tmp_path / "missing")
    message = str(refused.value)
    assert all(f"{n}: No such file or directory" in message for n in names)


def test_progress_shows_a_bar_and_changes_nothing(capsys):
    pytest.importorskip("tqdm")
    barred, plain = km.Gas(seed=4), km.Gas(seed=4)
    barred.step(1000, progress=True)
    plain.step(1000)
    assert np.array_equal(barred.positions(), plain.positions()) and barred.ticks == 1000
    rows = km.sweep({"counts": (10, 0, 0, 0)}, seeds=[1, 2], ticks=20, jobs=1, as_frame=False,
                    progress=True)
    err = capsys.readouterr().err
    assert "1000/1000" in err and "2/2" in err and len(rows) == 2
