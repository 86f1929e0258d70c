# SPDX-License-Identifier: GPL-3.0-or-later
"""Many independent gases at once: on this machine's cores, or on a Dask cluster."""
from __future__ import annotations

import importlib.util
import inspect
import itertools
import json
import math
import multiprocessing
import os
import signal
import threading
from collections.abc import Iterable, Mapping, Sequence
from dataclasses import dataclass
from typing import Any, Optional, Union

from . import _checks, _core
from .gas import Gas, Value, _progress_bar
from .tables import SETTINGS, flat, measurements_part, settings_part

Setting = Mapping[str, Any]
_DEFAULTS = {p.name: p.default for p in inspect.signature(Gas.__init__).parameters.values()
             if p.name != "self"}
_TICKS = (1, 1_000_000_000)
_DEFAULT_ETAS = (0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.65, 0.7)


def grid(**axes: Sequence[Any]) -> list[dict[str, Any]]:
    """Every combination of the values given for each argument, the last varying fastest:
    grid(rule=["specified", "exact"], radius=[5, 10]) gives four settings. Each argument takes
    a list of values (radius=[5], not radius=5)."""
    values = [_checks.sequence(name, v, f"a list of its values ({name}=[...])")
              for name, v in axes.items()]
    return [dict(zip(axes, combination)) for combination in itertools.product(*values)]


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

    def __post_init__(self) -> None:
        # Every argument checked now, so that a sweep that runs is one that can finish.
        etas = _checks.sequence("etas", self.etas, "a list of packing fractions")
        object.__setattr__(self, "etas", tuple(
            _checks.number(f"etas[{k}]", eta) for k, eta in enumerate(etas)))
        object.__setattr__(self, "discs", _checks.whole("discs", self.discs, 1, 500))
        object.__setattr__(self, "warmup", _checks.limited("warmup", self.warmup))
        object.__setattr__(self, "ticks", _checks.whole("ticks", self.ticks, *_TICKS))
        object.__setattr__(self, "rule", _checks.rule("rule", self.rule))
        object.__setattr__(self, "vel_range", _checks.number_or_text("vel_range",
                                                                     self.vel_range))
        self.settings()

    def settings(self) -> list[dict[str, Any]]:
        """The Gas arguments of each packing fraction's runs (ValueError for bad settings)."""
        setups = _core.eos_setups(self.discs, list(self.etas), self.vel_range, self.rule)
        return [dict(s, warmup=self.warmup, ticks=self.ticks) for s in setups]


def _problem_row(setting: Setting, seed: int, problem: str) -> dict[str, Any]:
    row = {k: tuple(v) if isinstance(v, list) else v for k, v in setting.items()}
    row.update(seed=seed, particles=math.nan, events=())
    ordered = {k: row.get(k, math.nan) for k in SETTINGS}
    return {**ordered, "problem": problem, **measurements_part(None)}


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
        report = gas.results()
        return {**settings_part(report), "problem": None, **measurements_part(report)}
    return gas._sweep_run()


def _prefixed(error: Exception, prefix: str) -> Exception:
    return type(error)("\n".join(prefix + line for line in str(error).split("\n")))


def _checked(settings: Any, ticks: int) -> list[dict[str, Any]]:
    what = "a dict of Gas arguments, a list of them (grid() makes one) or an EquationOfState"
    if isinstance(settings, (str, bytes)) or not isinstance(settings, Iterable):
        raise TypeError(f"settings must be {what}, not {_checks.shown(settings)}")
    settings = list(settings)
    if not settings:
        raise ValueError(f"settings: an empty list; give {what}")
    out = []
    for k, setting in enumerate(settings):
        if not isinstance(setting, Mapping):
            raise TypeError(f"settings[{k}] must be a dict of Gas arguments, "
                            f"not {_checks.shown(setting)}")
        unknown = sorted(set(setting) - (set(_DEFAULTS) - {"seed"}) - {"ticks"}, key=str)
        if unknown:
            raise ValueError(f"settings[{k}]: unknown argument(s) {', '.join(map(str, unknown))}"
                             + (" (seeds are given by seeds=)" if "seed" in unknown else ""))
        given = {**_DEFAULTS, **setting}
        try:
            run_ticks = _checks.whole("ticks", given.pop("ticks", ticks), *_TICKS)
            a = _checks.gas_arguments(given["counts"], given["masses"], given["radius"],
                                      given["proximity"], given["vel_range"], given["seed"],
                                      given["draws"], given["rule"], given["warmup"])
            walls = _checks.wall_arguments(given["wall_temperature"], given["move_wall"],
                                           given["piston"])
        except (TypeError, ValueError) as e:
            raise _prefixed(e, f"settings[{k}]: ") from None
        del a["seed"]
        a.update({key: value for key, value in walls.items() if value is not None})
        out.append({**a, "ticks": run_ticks})
    return out


def _cores() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


def _ignore_interrupts() -> None:
    # Ctrl+C reaches the whole process group; the sweep's own process ends the workers.
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def _execute(tasks: list[tuple[str, Setting, int]], jobs: Optional[int], client: Any,
             progress: bool) -> list[Any]:
    bar = _progress_bar(len(tasks), "runs") if progress else None
    try:
        if client is not None:
            return _on_dask(tasks, client, bar)
        jobs = _cores() if jobs is None else jobs
        if jobs == 1 or len(tasks) == 1:
            rows = []
            for t in tasks:
                rows.append(_run(t))
                if bar is not None:
                    bar.update(1)
            return rows
        return _on_cores(tasks, jobs, bar)
    finally:
        if bar is not None:
            bar.close()


def _on_cores(tasks: list[tuple[str, Setting, int]], jobs: int, bar: Any) -> list[Any]:
    # A process of one thread forks safely, and its workers need not import the caller's
    # script again; a fork of a process with threads (a notebook's kernel, Dask's client) could
    # inherit a lock held by one, so there the workers come from a clean server process.
    if threading.active_count() == 1 and "fork" in multiprocessing.get_all_start_methods():
        context = multiprocessing.get_context("fork")
    else:
        context = multiprocessing.get_context("forkserver")
        context.set_forkserver_preload(["kinetic_model"])
    pool = context.Pool(min(jobs, len(tasks)), initializer=_ignore_interrupts)
    try:
        rows = []
        for row in pool.imap(_run, tasks):
            rows.append(row)
            if bar is not None:
                bar.update(1)
    except BaseException:
        # Ctrl+C or a failure: the runs under way are ended, not waited for.
        pool.terminate()
        pool.join()
        raise
    pool.close()
    pool.join()
    return rows


def _workers_lacking_the_module(client: Any) -> dict[str, str]:
    found = client.run(importlib.util.find_spec, "kinetic_model", on_error="return")
    lacking = {}
    for worker, module in found.items():
        if isinstance(module, BaseException):
            lacking[worker] = f"{type(module).__name__}: {module}"
        elif module is None:
            lacking[worker] = "no module named kinetic_model"
    return lacking


def _on_dask(tasks: list[tuple[str, Setting, int]], client: Any, bar: Any) -> list[Any]:
    own = isinstance(client, str)
    if own:
        from dask.distributed import Client
        client = Client(client)
    try:
        lacking = _workers_lacking_the_module(client)
        if lacking:
            raise RuntimeError(
                "client: every Dask worker must be able to import kinetic_model; nothing was "
                "run. Lacking it:\n" + "\n".join(f"  {w}: {why}" for w, why in lacking.items()))
        futures = client.map(_run, tasks, pure=False)
        try:
            if bar is not None:
                from dask.distributed import as_completed
                for _ in as_completed(futures):
                    bar.update(1)
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
          client: Any = None, as_frame: Optional[bool] = None, progress: bool = False) -> Any:
    """Runs independent gases, each setting with each seed, and returns their rows.

    settings  a dict of Gas arguments (plus 'ticks', the ticks averaged after the warm-up,
              `ticks` by default), a list of them (grid() makes one), or an EquationOfState
    seeds     every setting runs once with each seed (whole numbers, 0 to 4,294,967,295)
    ticks     ticks averaged after the warm-up, 1 to 1,000,000,000
    jobs      runs at once on this machine, each in a process of its own (all cores by default)
    client    a dask.distributed.Client, or a scheduler's address ('tcp://host:8786'): the runs
              go to its workers, each of which must be able to import kinetic_model (checked
              first: where one cannot, RuntimeError names it and nothing runs)
    as_frame  a pandas DataFrame (the default where pandas is installed) or a list of dicts
    progress  True shows a bar of the runs finished (it needs tqdm)

    One row per run, settings first then seeds, every row with the same columns in the same
    order: the settings (counts, masses, radius, proximity, vel_range, rule, seed, draws,
    warmup, ticks, particles, events), 'problem' (None, or why the gas could not be placed or
    run, its measurements then NaN), and every measurement column of Gas.row(): KEY, KEY:error
    where the quantity has an error bar, KEY:NAME for each theory, NaN where not known (a
    species without discs, a rule's own figures under the other rule). For an EquationOfState,
    one row per packing fraction instead, as kinetic-measure --sweep gives it: 'eta',
    'radius', 'runs', 'problem', 'eta_measured', 'Z' and 'Z:error', ... A run's numbers depend
    only on its setting and seed, so the rows are the same, bit for bit, wherever they ran.
    Bad arguments raise TypeError or ValueError naming the setting and argument before
    anything runs. Ctrl+C ends the runs under way (the local processes, or the Dask futures)
    and raises KeyboardInterrupt.
    """
    seeds = [_checks.limited(f"seeds[{k}]", s, "seed") for k, s in enumerate(
        _checks.sequence("seeds", seeds, "a list of seeds (seeds=[1, 2])"))]
    if not seeds:
        raise ValueError("seeds: at least one seed")
    ticks = _checks.whole("ticks", ticks, *_TICKS)
    if jobs is not None:
        jobs = _checks.whole("jobs", jobs, -2**63, 2**63 - 1)
        if jobs < 1:
            raise ValueError(f"jobs must be 1 or more, not {jobs}")
    if client is not None and not isinstance(client, str) and not (
            hasattr(client, "map") and hasattr(client, "gather")):
        raise TypeError("client must be a dask.distributed.Client or a scheduler's address "
                        f"('tcp://host:8786'), not {_checks.shown(client)}")
    if as_frame is not None and not isinstance(as_frame, bool):
        raise TypeError(f"as_frame must be True, False or None, not {_checks.shown(as_frame)}")
    if not isinstance(progress, bool):
        raise TypeError(f"progress must be True or False, not {_checks.shown(progress)}")
    if isinstance(settings, EquationOfState):
        return _frame(_equation_of_state(settings, seeds, jobs, client, progress), as_frame)
    if isinstance(settings, Mapping):
        settings = [settings]
    checked = _checked(settings, ticks)
    tasks = [("gas", s, seed) for s in checked for seed in seeds]
    return _frame(_execute(tasks, jobs, client, progress), as_frame)


def _equation_of_state(eos: EquationOfState, seeds: list[int], jobs: Optional[int],
                       client: Any, progress: bool) -> list[dict[str, Any]]:
    settings = eos.settings()
    order = [(p, seed) for p in range(len(settings)) for seed in seeds]
    # The densest run longest: started first, they leave the short ones to fill the end.
    order.sort(key=lambda ps: -eos.etas[ps[0]])
    outcomes = _execute([("eos", settings[p], seed) for p, seed in order], jobs, client,
                        progress)
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
