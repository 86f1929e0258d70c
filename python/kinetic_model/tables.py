# SPDX-License-Identifier: GPL-3.0-or-later
"""The laboratory's CSV tables and JSON report read into Python values."""
from __future__ import annotations

import csv
import functools
import io
import math
from typing import Any, Optional

import numpy as np

from . import _core

# The settings that begin every row, in order.
SETTINGS = ("counts", "masses", "radius", "proximity", "vel_range", "rule", "seed", "draws",
            "warmup", "ticks", "particles", "events")


def column_name(header: str) -> str:
    """'kT_gas [amu*u^2/tick^2]' -> 'kT_gas': the name without its unit."""
    return header.split(" [", 1)[0]


def read_csv(text: str) -> tuple[list[str], list[list[str]]]:
    """Column names (units dropped) and the rows of fields, as written."""
    rows = list(csv.reader(io.StringIO(text)))
    if not rows:
        return [], []
    return [column_name(h) for h in rows[0]], rows[1:]


def number(field: str) -> float:
    """A field as a float: empty (not known) is NaN."""
    return float(field) if field else math.nan


def numeric_columns(text: str) -> dict[str, np.ndarray]:
    """A table of numbers as one float64 array per column."""
    names, rows = read_csv(text)
    return {name: np.array([number(r[k]) for r in rows], dtype=np.float64)
            for k, name in enumerate(names)}


def known(value: Any) -> Any:
    """A report's null (a number not known) as NaN; anything else as it is."""
    return math.nan if value is None else value


def flat(nested: dict[str, Any]) -> dict[str, Any]:
    """Flattens a report row: {"value", "error"} pairs become KEY and KEY:error, and a number
    not known is NaN ('problem' stays None when there is none)."""
    out: dict[str, Any] = {}
    for key, value in nested.items():
        if isinstance(value, dict) and set(value) == {"value", "error"}:
            out[key] = known(value["value"])
            out[key + ":error"] = known(value["error"])
        else:
            out[key] = value if key == "problem" else known(value)
    return out


@functools.lru_cache(maxsize=None)
def measurement_columns() -> tuple[str, ...]:
    """The measurement columns of every run's row, in order, for any gas and rule: KEY, then
    KEY:error where the quantity has an error bar, KEY:NAME for each theory beside it (the
    seed and draws are among the settings)."""
    return tuple(c for c in _core.row_columns() if c.split(":", 1)[0] not in SETTINGS)


def settings_part(report: dict[str, Any]) -> dict[str, Any]:
    """A report's settings as a row begins: lists as tuples, events as (tick, what) pairs."""
    given = report["settings"]
    row: dict[str, Any] = {}
    for key in SETTINGS:
        value = given[key]
        if key == "events":
            row[key] = tuple((e["tick"], e["what"]) for e in value)
        else:
            row[key] = tuple(value) if isinstance(value, list) else value
    return row


def measurements_part(report: Optional[dict[str, Any]]) -> dict[str, Any]:
    """Every measurement column, NaN where the report has no value (or there is no report)."""
    row = dict.fromkeys(measurement_columns(), math.nan)
    if report is None:
        return row
    for m in report["measurements"]:
        if m["key"] in SETTINGS:
            continue
        row[m["key"]] = known(m["value"])
        if m["key"] + ":error" in row:
            row[m["key"] + ":error"] = known(m["error"])
        for name, theory in m["theory"].items():
            row[m["key"] + ":" + name] = theory
    return row


def measurement_row(report: dict[str, Any]) -> dict[str, Any]:
    """One flat row of a run's report: its settings (SETTINGS, in that order), then every
    measurement column (measurement_columns()); a number not known is NaN."""
    return {**settings_part(report), **measurements_part(report)}
