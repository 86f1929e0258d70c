# SPDX-License-Identifier: GPL-3.0-or-later
"""Kinetic theory of the two-dimensional gas, as the laboratory computes it.

Units are the simulation's: length in box units (u), time in ticks, mass in amu, kT the mean
m v^2 / 2 per disc. Each function takes numbers or arrays that broadcast together; NaN where a
formula gives no value. A packing fraction eta has one rule everywhere: NaN below 0 and at or
beyond close packing, and for the bulk fluid (bulk_z, walled_z, bulk_contact_value) from
fluid_ends (0.70), where the fluid meets the hexatic phase.
"""
from __future__ import annotations

import functools
from typing import Any, Callable

import numpy as np

from ._core import theory as _theory


def _broadcasting(f: Callable[..., Any], names: tuple[str, ...]) -> Callable[..., Any]:
    @functools.wraps(f)
    def checked(*args: Any, **kwargs: Any) -> Any:
        bound = dict(zip(names, args), **kwargs)
        missing = [n for n in names if n not in bound]
        if missing or len(bound) != len(names):
            raise TypeError(f"{f.__name__} takes ({', '.join(names)})")
        arrays = [np.asarray(bound[n]) for n in names]
        try:
            np.broadcast(*arrays)
        except ValueError:
            shapes = ", ".join(f"{n} {a.shape}" for n, a in zip(names, arrays))
            raise ValueError(f"{f.__name__}: the shapes of {shapes} do not broadcast together"
                             ) from None
        return f(*(bound[n] for n in names))
    return checked


def _wrapped(name: str, *names: str) -> Callable[..., Any]:
    return _broadcasting(getattr(_theory, name), names)


speed_density = _wrapped("speed_density", "v", "mass", "kT")
component_density = _wrapped("component_density", "v", "mass", "kT")
packing_fraction = _wrapped("packing_fraction", "n", "sigma", "side")
henderson_z = _wrapped("henderson_z", "eta")
bulk_z = _wrapped("bulk_z", "eta")
virial_z = _wrapped("virial_z", "eta")
walled_z = _wrapped("walled_z", "eta", "sigma", "side")
bulk_contact_value = _wrapped("bulk_contact_value", "eta")
enskog_diffusion = _wrapped("enskog_diffusion", "density", "sigma", "g", "kT", "mass")
maxwellian_h = _theory.maxwellian_h
fluid_ends: float = _theory.fluid_ends
close_packing: float = _theory.close_packing

__all__ = ["speed_density", "component_density", "packing_fraction", "henderson_z", "bulk_z",
           "virial_z", "walled_z", "bulk_contact_value", "enskog_diffusion", "maxwellian_h",
           "fluid_ends", "close_packing"]
