# SPDX-License-Identifier: GPL-3.0-or-later
"""Sweeps: the same rows as single runs, whichever runs them."""
from __future__ import annotations

import logging
import math
import os
import signal
import time

import pytest

import kinetic_model as km
from conftest import differences, same

SETTINGS = km.grid(counts=[(60, 10, 0, 0)], masses=[(1, 4, 1, 1)], rule=["specified", "exact"],
                   warmup=[200])
SEEDS = [3, 1]


def single_rows() -> list[dict]:
    rows = []
    for s in SETTINGS:
        for seed in SEEDS:
            gas = km.Gas(**s, seed=seed)
            gas.step(gas.warmup + 1500)
            rows.append(dict(gas.row(), problem=None))
    return rows


@pytest.fixture(scope="module")
def singles() -> list[dict]:
    return single_rows()


def assert_rows(rows: list[dict], expected: list[dict]) -> None:
    assert len(rows) == len(expected)
    for row, want in zip(rows, expected):
        assert same(row, want), differences(row, want)


def test_grid_makes_every_combination_the_last_fastest():
    assert km.grid(rule=["specified", "exact"], radius=[5, 10]) == [
        {"rule": "specified", "radius": 5}, {"rule": "specified", "radius": 10},
        {"rule": "exact", "radius": 5}, {"rule": "exact", "radius": 10}]


@pytest.mark.parametrize("jobs", [1, 2])
def test_local_rows_equal_single_runs(singles, jobs):
    rows = km.sweep(SETTINGS, SEEDS, ticks=1500, jobs=jobs, as_frame=False)
    assert [(r["rule"], r["seed"]) for r in rows] == [
        ("specified", 3), ("specified", 1), ("exact", 3), ("exact", 1)]
    assert_rows(rows, singles)


def test_rows_on_a_dask_cluster_equal_single_runs(singles):
    distributed = pytest.importorskip("dask.distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None, silence_logs=logging.ERROR) as cluster:
        with distributed.Client(cluster) as client:
            rows = km.sweep(SETTINGS, SEEDS, ticks=1500, client=client, as_frame=False)
        # A scheduler's address works as well as a client.
        eos = km.EquationOfState(etas=[0.3], discs=60, warmup=100, ticks=600)
        by_address = km.sweep(eos, [1, 2], client=cluster.scheduler_address, as_frame=False)
    assert_rows(rows, singles)
    assert_rows(by_address, km.sweep(eos, [1, 2], jobs=1, as_frame=False))


def test_a_frame_holds_the_same_rows(singles):
    pandas = pytest.importorskip("pandas")
    frame = km.sweep(SETTINGS[:1], SEEDS, ticks=1500, jobs=1)
    assert isinstance(frame, pandas.DataFrame) and len(frame) == 2
    assert_rows(frame.to_dict("records"), singles[:2])


def test_the_equation_of_state_is_kinetic_measure_sweep(measure):
    eos = km.EquationOfState(etas=[0.6, 0.2, 0.79], discs=80, warmup=300, ticks=1200)
    rows = km.sweep(eos, seeds=[2, 1], jobs=2, as_frame=False)
    report = measure("--sweep", "--counts", "80,0,0,0", "--etas", "0.6,0.2,0.79", "--seeds", "2,1",
                     "--warmup", "300", "--ticks", "1200", "--jobs", "2")
    expected = [km.tables.flat(r) for r in report["rows"]]
    assert_rows(rows, expected)
    # Seeds combined as independent runs; at 0.79 one seed's placement cannot be pushed apart,
    # and the row says why beside the run that could.
    assert [r["runs"] for r in rows] == [2, 2, 1]
    assert rows[1]["problem"] is None
    assert rows[2]["problem"].startswith("seed 1 refused: The gas is too dense for hard discs: 80 discs")
    assert rows[2]["seeds"] == [2] and rows[2]["refused_seeds"] == [1]


def test_a_run_that_cannot_be_placed_is_a_row_that_says_why():
    rows = km.sweep([{"counts": (500, 0, 0, 0), "masses": (1, 1, 1, 1), "radius": 30,
                      "proximity": 60, "rule": "exact"}, {"counts": (5, 0, 0, 0)}],
                    ticks=100, jobs=1, as_frame=False)
    assert "packing fraction" in rows[0]["problem"] and rows[0]["seed"] == 1
    assert rows[1]["problem"] is None and rows[1]["particles"] == 5


@pytest.mark.parametrize("settings, kwargs, message", [
    ([{"counts": (1, 2, 3, 4)}, {"radius": -3}], {}, 'settings[1]: radius: The particle radius is "-3"'),
    ([{"colour": "red"}], {}, "settings[0]: unknown argument(s) colour"),
    ([{"seed": 4}], {}, "settings[0]: unknown argument(s) seed (seeds are given by seeds=)"),
    ([{}], {"ticks": 0}, "ticks must be a whole number from 1"),
    ([{"ticks": 0}], {}, "settings[0]: ticks must be a whole number from 1"),
    ([{}], {"seeds": []}, "seeds: at least one seed"),
    ([{}], {"seeds": [1, -2]}, "seeds[1] must be a whole number from 0 to 4294967295"),
    ([{}], {"jobs": 0}, "jobs must be 1 or more"),
])
def test_bad_settings_are_refused_before_anything_runs(settings, kwargs, message):
    kwargs.setdefault("seeds", [1, 2])
    with pytest.raises(ValueError) as refused:
        km.sweep(settings, as_frame=False, **kwargs)
    assert str(refused.value).startswith(message)


@pytest.mark.parametrize("arguments, message", [
    ({"etas": [0.3, 0.9]}, "etas[1]: a packing fraction above 0 and at most 0.8, not 0.9"),
    ({"etas": []}, "etas: at least one packing fraction"),
    ({"discs": 501}, "discs must be a whole number from 1 to 500, not 501"),
    ({"vel_range": -1}, 'vel_range: The velocity range is "-1"'),
    ({"rule": "hard"}, 'rule must be "specified" or "exact", not "hard"'),
])
def test_bad_equations_of_state_are_refused_by_name(arguments, message):
    with pytest.raises(ValueError) as refused:
        km.sweep(km.EquationOfState(**arguments), jobs=1)
    assert str(refused.value).startswith(message)


def test_every_row_of_a_sweep_has_the_same_columns_in_the_documented_order():
    settings = [{"counts": (20, 0, 0, 0)}, {"counts": (10, 5, 3, 2), "rule": "exact"},
                {"counts": (500, 0, 0, 0), "masses": (1, 1, 1, 1), "radius": 30,
                 "proximity": 60, "rule": "exact"}]
    rows = km.sweep(settings, seeds=[1], ticks=50, jobs=1, as_frame=False)
    assert rows[2]["problem"] and rows[0]["problem"] is None
    columns = list(rows[0])
    assert all(list(r) == columns for r in rows)
    settings_columns = list(km.tables.SETTINGS)
    assert columns[:len(settings_columns) + 1] == settings_columns + ["problem"]
    # Every species' columns are there, whichever species a gas has, and both rules' own.
    for key in ("kT.species4", "D.species3:error", "bound_share", "repeat_share"):
        assert key in columns
    # No column that can never hold a value: plain figures have no error bar.
    for never in ("seed:error", "outside.now:error", "longest_bound_run:error", "H:error",
                  "eta:error", "draws:error"):
        assert never not in columns
    # A column is filled where the gas has the quantity: species 4 only in the second row.
    assert math.isnan(rows[0]["kT.species4"]) and rows[1]["kT.species4"] > 0
    assert math.isnan(rows[2]["Z"]) and math.isnan(rows[2]["particles"])
    # Gas.row() has the same measurement columns.
    row = km.Gas(counts=(5, 0, 0, 0)).row()
    assert list(row) == settings_columns + columns[len(settings_columns) + 1:]


def _descendants_cpu_seconds() -> float:
    """CPU time so far of every process below this one (the sweep's workers)."""
    tick = os.sysconf("SC_CLK_TCK")
    parents: dict[int, int] = {}
    times: dict[int, float] = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        parents[int(entry)] = int(fields[1])
        times[int(entry)] = (int(fields[11]) + int(fields[12])) / tick
    below, frontier = set(), {os.getpid()}
    while frontier:
        frontier = {p for p, parent in parents.items() if parent in frontier} - below
        below |= frontier
    return sum(times[p] for p in below)


def test_ctrl_c_on_a_sweep_ends_the_runs_under_way():
    long_runs = [{"counts": (300, 0, 0, 0), "masses": (1, 1, 1, 1)}] * 4

    def interrupt(*_):
        raise KeyboardInterrupt

    previous = signal.signal(signal.SIGALRM, interrupt)
    signal.setitimer(signal.ITIMER_REAL, 1.5)
    started = time.perf_counter()
    try:
        with pytest.raises(KeyboardInterrupt):
            km.sweep(long_runs, seeds=[1], ticks=10**8, jobs=2, as_frame=False)
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
    assert time.perf_counter() - started < 5, "the sweep waited for its runs"
    time.sleep(1)
    before = _descendants_cpu_seconds()
    time.sleep(0.5)
    assert _descendants_cpu_seconds() - before < 0.05, "a worker still runs"


def test_a_dask_worker_without_the_module_is_named_before_anything_runs(tmp_path):
    distributed = pytest.importorskip("dask.distributed")
    import subprocess
    import sys
    with distributed.LocalCluster(n_workers=0, dashboard_address=None,
                                  silence_logs=logging.ERROR) as cluster:
        # A worker started where kinetic_model cannot be imported.
        env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
        worker = subprocess.Popen(
            [sys.executable, "-m", "distributed.cli.dask_worker", cluster.scheduler_address,
             "--nthreads", "1", "--no-dashboard"], cwd=tmp_path, env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            with distributed.Client(cluster) as client:
                client.wait_for_workers(1, timeout=60)
                with pytest.raises(RuntimeError) as refused:
                    km.sweep({"counts": (10, 0, 0, 0)}, seeds=[1, 2], ticks=10, client=client)
                address = next(iter(client.scheduler_info()["workers"]))
        finally:
            worker.terminate()
            worker.wait(30)
    message = str(refused.value)
    assert "must be able to import kinetic_model; nothing was run" in message
    assert address in message
