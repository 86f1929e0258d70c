# SPDX-License-Identifier: GPL-3.0-or-later
"""The laboratory's CSV tables and JSON report read into Python values."""
from __future__ import annotations

import csv
import io
import math
from typing import Any

import numpy as np


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


def measurement_row(report: dict[str, Any]) -> dict[str, Any]:
    """One flat row of a run's report: its settings (lists as tuples, events as (tick, what)
    pairs; the typed texts and the interruption left out), then per measurement KEY (its
    value), KEY:error and KEY:NAME for each theory beside it, NAME as the report gives it; a
    number not known is NaN."""
    row: dict[str, Any] = {}
    for key, value in report["settings"].items():
        if key in ("typed", "interrupted_after"):
            continue
        if key == "events":
            row[key] = tuple((e["tick"], e["what"]) for e in value)
        else:
            row[key] = tuple(value) if isinstance(value, list) else value
    for m in report["measurements"]:
        row[m["key"]] = known(m["value"])
        row[m["key"] + ":error"] = known(m["error"])
        for name, theory in m["theory"].items():
            row[m["key"] + ":" + name] = theory
    return row
