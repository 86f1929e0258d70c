# SPDX-License-Identifier: GPL-3.0-or-later
"""Kinetic Model for Python: a two-dimensional gas of hard discs in a square box, stepped by
the program's own engine and measured against kinetic theory by its laboratory.

    >>> import kinetic_model as km
    >>> gas = km.Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact")
    >>> gas.step(11000)                       # 1000 ticks of warm-up, 10000 averaged
    >>> gas.measurement("Z")["value"]         # compressibility on the walls
    >>> km.sweep(km.grid(rule=["specified", "exact"]), seeds=[1, 2])

Gas          one gas: step(n), positions(), velocities(), results(), history(), heat(), ...
sweep        many independent runs on every core, or on a Dask cluster
grid         every combination of argument values, for sweep
EquationOfState  the equation-of-state sweep of kinetic-measure --sweep
theory       the formulas the laboratory sets beside its measurements
RunError     the model failed during a run (RuntimeError)
Refused      a gas too dense for the exact rule (ValueError)
"""
from . import theory
from ._core import Refused, RunError
from ._version import __version__
from .gas import Gas
from .sweeps import EquationOfState, grid, sweep

__all__ = ["Gas", "sweep", "grid", "EquationOfState", "theory", "RunError", "Refused",
           "__version__"]
