# SPDX-License-Identifier: GPL-3.0-or-later
"""Kinetic theory of the two-dimensional gas, as the laboratory computes it.

Units are the simulation's: length in box units (u), time in ticks, mass in amu, kT the mean
m v^2 / 2 per disc. Each function takes numbers or arrays; NaN where a formula gives no value.
"""
from ._core import theory as _theory

speed_density = _theory.speed_density
component_density = _theory.component_density
packing_fraction = _theory.packing_fraction
henderson_z = _theory.henderson_z
bulk_z = _theory.bulk_z
virial_z = _theory.virial_z
walled_z = _theory.walled_z
bulk_contact_value = _theory.bulk_contact_value
enskog_diffusion = _theory.enskog_diffusion
maxwellian_h = _theory.maxwellian_h
fluid_ends: float = _theory.fluid_ends
close_packing: float = _theory.close_packing

__all__ = ["speed_density", "component_density", "packing_fraction", "henderson_z", "bulk_z",
           "virial_z", "walled_z", "bulk_contact_value", "enskog_diffusion", "maxwellian_h",
           "fluid_ends", "close_packing"]
