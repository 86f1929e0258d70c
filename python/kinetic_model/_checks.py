# SPDX-License-Identifier: GPL-3.0-or-later
"""Arguments checked for their kind before they reach the engine, each error naming the
argument and saying what it takes. The engine then checks the values as "Run Simulation"
does."""
from __future__ import annotations

import functools
import math
import numbers
from collections.abc import Iterable, Mapping, Sequence
from typing import Any, Optional, Union

import numpy as np

from . import _core

LIMITS: dict[str, tuple[int, int]] = dict(_core.limits)
RULES = ("specified", "exact")
GAS_LAWS: tuple[str, ...] = tuple(_core.gas_law_names)


def shown(value: Any) -> str:
    """A value as an error message quotes it: short, with its type where that is the fault."""
    text = repr(value)
    if len(text) > 60:
        text = text[:57] + "..."
    return f"{text} ({type(value).__name__})"


def is_bool(value: Any) -> bool:
    return isinstance(value, (bool, np.bool_))


def whole(name: str, value: Any, low: int, high: int) -> int:
    """A whole number from low to high: an int or a NumPy integer, never a bool or a float."""
    what = f"{name} must be a whole number from {low} to {high}"
    if is_bool(value) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what}, not {shown(value)}")
    v = int(value)
    if not low <= v <= high:
        raise ValueError(f"{what}, not {v}")
    return v


def limited(name: str, value: Any, limit: str | None = None) -> int:
    """A whole number within the engine's range for `limit` (the name by default)."""
    low, high = LIMITS[limit or name]
    return whole(name, value, low, high)


def number_or_text(name: str, value: Any) -> Union[float, str]:
    """A number, or the text typed into the window's field (read as the window reads it)."""
    if isinstance(value, str):
        return value
    if is_bool(value) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number or the text of one (12 or '12'), "
                        f"not {shown(value)}")
    return float(value)


def number(name: str, value: Any) -> float:
    """A number (an int, float or NumPy number), never a bool or a text."""
    if is_bool(value) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number, not {shown(value)}")
    return float(value)


def four(name: str, value: Any) -> list[Union[float, str]]:
    """Four values, one per species 1..4."""
    what = f"{name} must be four values, one per species 1 to 4 (as (32, 8, 2, 1))"
    if isinstance(value, (str, bytes, Mapping)) or not isinstance(value, (Sequence, np.ndarray)):
        raise TypeError(f"{what}, not {shown(value)}")
    # How many there are is the engine's to judge, with the rest of the values.
    return [number_or_text(f"{name}[{k}]", v) for k, v in enumerate(value)]


def rule(name: str, value: Any) -> str:
    if not isinstance(value, str):
        raise TypeError(f'{name} must be "specified" or "exact", not {shown(value)}')
    if value not in RULES:
        raise ValueError(f'{name} must be "specified" or "exact", not "{value}"')
    return value


def gas_law(name: str, value: Any) -> str:
    names = ", ".join(f'"{n}"' for n in GAS_LAWS)
    if not isinstance(value, str):
        raise TypeError(f"{name} must be one of {names}, not {shown(value)}")
    if value not in GAS_LAWS:
        raise ValueError(f'{name} must be one of {names}, not "{value}"')
    return value


def sequence(name: str, value: Any, what: str) -> list[Any]:
    """A list (or tuple, or array) of values, never a text or a single value."""
    if isinstance(value, (str, bytes, Mapping)) or not isinstance(value, (Iterable, np.ndarray)):
        raise TypeError(f"{name} must be {what}, not {shown(value)}")
    return list(value)


ORDER = ("counts", "masses", "radius", "proximity", "vel_range", "rule", "seed", "draws",
         "warmup")


def gas_arguments(counts: Any, masses: Any, radius: Any, proximity: Any, vel_range: Any,
                  seed: Any, draws: Any, rule_: Any, warmup: Any) -> dict[str, Any]:
    """The arguments of a Gas as the engine takes them. TypeError names every argument of a
    wrong kind; then ValueError names every bad value, one a line in the arguments' order, each
    with the reason "Run Simulation" gives."""
    checks = {
        "counts": lambda: four("counts", counts),
        "masses": lambda: four("masses", masses),
        "radius": lambda: number_or_text("radius", radius),
        "proximity": lambda: number_or_text("proximity", proximity),
        "vel_range": lambda: number_or_text("vel_range", vel_range),
        "rule": lambda: rule_ if isinstance(rule_, str) else rule("rule", rule_),
    }
    wholes = {"seed": seed, "draws": draws, "warmup": warmup}
    for key, value in wholes.items():
        checks[key] = functools.partial(whole, key, value, *LIMITS[key])
    out: dict[str, Any] = {}
    wrong_kind: list[str] = []
    lines: list[str] = []
    for key, check in checks.items():
        try:
            out[key] = check()
        except TypeError as e:
            wrong_kind.append(str(e))
        except ValueError as e:
            # A stand-in, so that the engine still reports every other bad value.
            lines.append(str(e))
            out[key] = LIMITS[key][0]
    if wrong_kind:
        raise TypeError("\n".join(wrong_kind))
    try:
        _core.check_gas_arguments(**out)
    except ValueError as e:
        lines += str(e).split("\n")
    if lines:
        raise ValueError("\n".join(sorted(lines, key=_place)))
    return out


ORDER = ("counts", "masses", "radius", "proximity", "vel_range", "rule", "seed", "draws",
         "warmup")


def _place(line: str) -> int:
    """Where a refusal goes among the others: in the order of the arguments it names."""
    name = line.replace("[", " ").replace(":", " ").split(" ", 1)[0]
    return ORDER.index(name) if name in ORDER else len(ORDER)


def several(value: Any, what: str, sizes: tuple[int, ...]) -> list[Any]:
    """A short list of values, as many as one of `sizes`; `what` says what it takes."""
    if isinstance(value, (str, bytes, Mapping)) or not isinstance(value, (Sequence, np.ndarray)):
        raise TypeError(f"{what}, not {shown(value)}")
    values = list(value)
    if len(values) not in sizes:
        raise ValueError(f"{what}, not {len(values)} values")
    return values


def wall_temperatures(name: str, value: Any) -> list[Optional[float]]:
    """Four walls' kT, None for a wall that reflects."""
    values = several(value, f"{name} must be four values (left, right, bottom, top), each a kT "
                            "or None", (4,))
    return [None if v is None else number(f"{name}[{k}]", v) for k, v in enumerate(values)]


def moving_wall(name: str, value: Any) -> tuple[float, float, Optional[int]]:
    """(x, u) or (x, u, start): where the right wall goes, how fast, from which tick."""
    values = several(value, f"{name} must be (x, u) or (x, u, start)", (2, 3))
    start = values[2] if len(values) == 3 else None
    return (number(f"{name}: x", values[0]), number(f"{name}: u", values[1]),
            None if start is None else whole(f"{name}: start", start, 0, 1_000_000_000))


def piston(name: str, value: Any) -> tuple[float, float]:
    """(pressure, mass) of a piston."""
    values = several(value, f"{name} must be (pressure, mass)", (2,))
    return number(f"{name}: pressure", values[0]), number(f"{name}: mass", values[1])


SIDES = ("left", "right", "both")


def field_arguments(gravity: Any, divider: Any, sides: Any) -> dict[str, Any]:
    """The field, the divider's opening and each species' side, each checked."""
    values = several(sides, "sides must be four values, one per species, each 'left', 'right' "
                            "or 'both'", (4,))
    for k, side in enumerate(values):
        if not isinstance(side, str):
            raise TypeError(f"sides[{k}] must be 'left', 'right' or 'both', not {shown(side)}")
        if side not in SIDES:
            raise ValueError(f"sides[{k}] must be 'left', 'right' or 'both', not {side!r}")
    g = number("gravity", gravity)
    if not g >= 0 or math.isinf(g):
        raise ValueError(f"gravity must be 0 or more units per tick^2, toward the floor, not {g}")
    width = None if divider is None else number("divider", divider)
    if width is not None and (math.isnan(width) or width < 0):
        raise ValueError(f"divider must be the opening's width, 0 (closed) or more units "
                         f"(1000 or more: no divider), not {width}")
    return {"gravity": g, "divider": width, "sides": values}


def wall_arguments(wall_temperature: Any, move_wall: Any, piston_: Any) -> dict[str, Any]:
    """The walls a Gas is given, each checked; the right wall moves or is a piston, not both."""
    if move_wall is not None and piston_ is not None:
        raise ValueError("move_wall and piston both move the right wall: give one of them")
    walls = {"wall_temperature": None if wall_temperature is None
             else wall_temperatures("wall_temperature", wall_temperature),
             "move_wall": None if move_wall is None else moving_wall("move_wall", move_wall),
             "piston": None if piston_ is None else piston("piston", piston_)}
    # Refused now rather than when a sweep's run reaches them.
    problems = _core.wall_problems(walls["wall_temperature"] or [],
                                   None if move_wall is None else walls["move_wall"][:2],
                                   walls["piston"])
    if problems:
        raise ValueError("\n".join(problems))
    return walls
