# SPDX-License-Identifier: GPL-3.0-or-later
"""Many independent gases at once: on this machine's cores, or on a Dask cluster."""
from __future__ import annotations

import inspect
import itertools
import json
import multiprocessing
import os
import threading
from collections.abc import Iterable, Mapping, Sequence
from concurrent.futures import ProcessPoolExecutor
from dataclasses import dataclass
from typing import Any, Optional, Union

from . import _core
from .gas import Gas, Value
from .tables import flat

Setting = Mapping[str, Any]
_GAS_ARGUMENTS = tuple(p for p in inspect.signature(Gas.__init__).parameters if p != "self")
_DEFAULT_ETAS = (0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7)


def grid(**axes: Sequence[Any]) -> list[dict[str, Any]]:
    """Every combination of the values given for each argument, the last varying fastest:
    grid(rule=["specified", "exact"], radius=[5, 10]) gives four settings."""
    names = list(axes)
    return [dict(zip(names, values)) for values in itertools.product(*axes.values())]


@dataclass(frozen=True)
class EquationOfState:
    """The equation-of-state sweep of kinetic-measure --sweep: `discs` discs of mass 1 at each
    packing fraction of `etas` (above 0, at most 0.8), the radius set by it, the proximity the
    diameter. sweep() gives one row per packing fraction, its seeds' runs combined, the rows
    kinetic-measure --sweep --format json gives for the same settings and seeds (flattened)."""
    etas: Sequence[float] = _DEFAULT_ETAS
    discs: int = 500
    warmup: int = 20000
    ticks: int = 100000
    rule: str = "exact"
    vel_range: Value = 20

    def settings(self) -> list[dict[str, Any]]:
        """The Gas arguments of each packing fraction's runs (ValueError for bad settings)."""
        setups = _core.eos_setups(self.discs, list(self.etas), self.vel_range, self.rule)
        return [dict(s, warmup=self.warmup, ticks=self.ticks) for s in setups]


def _problem_row(setting: Setting, seed: int, problem: str) -> dict[str, Any]:
    row = {k: tuple(v) if isinstance(v, (list, tuple)) else v for k, v in setting.items()}
    row["seed"] = seed
    row["problem"] = problem
    return row


def _gas_of(setting: Setting, seed: int) -> tuple[Gas, int]:
    arguments = {k: v for k, v in setting.items() if k != "ticks"}
    gas = Gas(**arguments, seed=seed)
    return gas, gas.warmup + int(setting["ticks"])


def _run(task: tuple[str, Setting, int]) -> Any:
    """One run, wherever it runs: a flat row, or an equation-of-state run's share of its row."""
    kind, setting, seed = task
    try:
        gas, ticks = _gas_of(setting, seed)
        gas.step(ticks)
    except (_core.Refused, _core.RunError) as e:
        return _problem_row(setting, seed, str(e)) if kind == "gas" else str(e)
    if kind == "gas":
        row = gas.row()
        row["problem"] = None
        return row
    return gas._sweep_run()


def _checked(settings: Iterable[Setting], ticks: int) -> list[dict[str, Any]]:
    out = []
    for k, setting in enumerate(settings):
        unknown = sorted(set(setting) - (set(_GAS_ARGUMENTS) - {"seed"}) - {"ticks"})
        if unknown:
            raise ValueError(f"settings[{k}]: unknown argument(s) {', '.join(unknown)}"
                             + (" (seeds are given by seeds=)" if "seed" in unknown else ""))
        full = dict(setting)
        full.setdefault("ticks", ticks)
        if not isinstance(full["ticks"], int) or not 1 <= full["ticks"] <= 1_000_000_000:
            raise ValueError(f"settings[{k}]: ticks must be a whole number from 1 to "
                             f"1,000,000,000, not {full['ticks']!r}")
        defaults = {p.name: p.default for p in
                    inspect.signature(Gas.__init__).parameters.values() if p.name != "self"}
        arguments = {**defaults, **{n: v for n, v in full.items() if n != "ticks"}}
        arguments["counts"] = list(arguments["counts"])
        arguments["masses"] = list(arguments["masses"])
        try:
            _core.check_gas_arguments(**arguments)
        except ValueError as e:
            raise ValueError(f"settings[{k}]: {e}") from None
        out.append(full)
    return out


def _cores() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


def _execute(tasks: list[tuple[str, Setting, int]], jobs: Optional[int], client: Any) -> list[Any]:
    if client is not None:
        return _on_dask(tasks, client)
    jobs = _cores() if jobs is None else jobs
    if jobs < 1:
        raise ValueError(f"jobs must be 1 or more, not {jobs}")
    if jobs == 1 or len(tasks) == 1:
        return [_run(t) for t in tasks]
    # A process of one thread forks safely, and its workers need not import the caller's
    # script again; a fork of a process with threads (a notebook's kernel, Dask's client) could
    # inherit a lock held by one, so there the workers come from a clean server process.
    if threading.active_count() == 1 and "fork" in multiprocessing.get_all_start_methods():
        context = multiprocessing.get_context("fork")
    else:
        context = multiprocessing.get_context("forkserver")
        context.set_forkserver_preload(["kinetic_model"])
    pool = ProcessPoolExecutor(max_workers=min(jobs, len(tasks)), mp_context=context)
    try:
        rows = list(pool.map(_run, tasks))
    except BaseException:
        # Ctrl+C or a failure: no new runs, and no waiting for those under way.
        pool.shutdown(wait=False, cancel_futures=True)
        raise
    pool.shutdown()
    return rows


def _on_dask(tasks: list[tuple[str, Setting, int]], client: Any) -> list[Any]:
    own = isinstance(client, str)
    if own:
        from dask.distributed import Client
        client = Client(client)
    try:
        futures = client.map(_run, tasks, pure=False)
        try:
            return client.gather(futures)
        except BaseException:
            client.cancel(futures)
            raise
    finally:
        if own:
            client.close()


def _frame(rows: list[dict[str, Any]], as_frame: Optional[bool]) -> Any:
    if as_frame is False:
        return rows
    try:
        import pandas
    except ImportError:
        if as_frame:
            raise
        return rows
    return pandas.DataFrame(rows)


def sweep(settings: Union[Setting, Sequence[Setting], EquationOfState],
          seeds: Sequence[int] = (1,), *, ticks: int = 10000, jobs: Optional[int] = None,
          client: Any = None, as_frame: Optional[bool] = None) -> Any:
    """Runs independent gases, each setting with each seed, and returns their rows.

    settings  a dict of Gas arguments (plus 'ticks', the ticks averaged after the warm-up,
              `ticks` by default), a list of them (grid() makes one), or an EquationOfState
    seeds     every setting runs once with each seed
    jobs      runs at once on this machine, each in a process of its own (all cores by default)
    client    a dask.distributed.Client, or a scheduler's address ('tcp://host:8786'): the runs
              go to its workers, which must be able to import kinetic_model
    as_frame  a pandas DataFrame (the default where pandas is installed) or a list of dicts

    One row per run, settings first then seeds: the run's settings, 'problem' (None, or why a
    gas could not be placed or run) and every measurement of Gas.row(). For an EquationOfState,
    one row per packing fraction instead, as kinetic-measure --sweep gives it: 'eta', 'radius',
    'runs', 'problem', 'eta_measured', 'Z' and 'Z:error', ... A run's numbers depend only on
    its setting and seed, so the rows are the same, bit for bit, wherever they ran. Bad
    settings raise ValueError naming the setting and argument before anything runs.
    """
    seeds = [int(s) for s in seeds]
    if not seeds:
        raise ValueError("seeds: at least one seed")
    for k, s in enumerate(seeds):
        if not 0 <= s <= 4294967295:
            raise ValueError(f"seeds[{k}] must be a whole number from 0 to 4294967295, not {s}")
    if isinstance(settings, EquationOfState):
        return _frame(_equation_of_state(settings, seeds, jobs, client), as_frame)
    if isinstance(settings, Mapping):
        settings = [settings]
    checked = _checked(settings, ticks)
    tasks = [("gas", s, seed) for s in checked for seed in seeds]
    return _frame(_execute(tasks, jobs, client), as_frame)


def _equation_of_state(eos: EquationOfState, seeds: list[int], jobs: Optional[int],
                       client: Any) -> list[dict[str, Any]]:
    settings = eos.settings()
    order = [(p, seed) for p in range(len(settings)) for seed in seeds]
    # The densest run longest: started first, they leave the short ones to fill the end.
    order.sort(key=lambda ps: -eos.etas[ps[0]])
    outcomes = _execute([("eos", settings[p], seed) for p, seed in order], jobs, client)
    runs: list[list[tuple[int, Any]]] = [[] for _ in settings]
    problems: list[list[tuple[int, str]]] = [[] for _ in settings]
    for (p, seed), outcome in zip(order, outcomes):
        if isinstance(outcome, str):
            problems[p].append((seed, outcome))
        else:
            runs[p].append((seed, outcome))
    points = [(eta, runs[p], problems[p]) for p, eta in enumerate(eos.etas)]
    report = json.loads(_core.eos_json(eos.discs, list(eos.etas), eos.vel_range, eos.rule, seeds,
                                       eos.warmup, eos.ticks, points))
    return [flat(row) for row in report["rows"]]
