# SPDX-License-Identifier: GPL-3.0-or-later
"""A gas of hard discs with its laboratory attached."""
from __future__ import annotations

import json
from collections.abc import Sequence
from typing import Any, Union

import numpy as np

from . import _core
from .tables import measurement_row, numeric_columns, number, read_csv

Value = Union[float, str]


class Gas(_core.Engine):
    """A two-dimensional gas of hard discs in a square box 1000 units wide, measured by the
    laboratory tick by tick.

    Arguments have kinetic-measure's meanings and defaults. A number may also be given as the
    text typed into the window's field ("2.5"); it is read as the window reads it.

    counts      discs of species 1..4 (fractions allowed: 2.5 places 2); at most 500 in all
    masses      masses of species 1..4, amu; 0.1 to 1,000,000 for a species with discs
    radius      disc radius, box units (u), 0 to 1000; the walls turn a disc at its edge
    proximity   distance of two centres at which they collide, u
    vel_range   scale of the random start velocities, u/tick, 0 to 1000
    seed        seed of the placement, 0 to 4294967295: the same seed, the same gas, bit for bit
    rule        'specified' (the original collision rule) or 'exact' (true hard discs)
    warmup      ticks before the averages begin

    ValueError names every bad argument with the reason "Run Simulation" gives; Refused (a
    ValueError) says why a gas too dense for the exact rule cannot be placed.

    >>> gas = Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact", seed=3)
    >>> gas.step(5000)
    >>> gas.results()["measurements"][0]["key"]
    'kT.gas'
    """

    def __init__(self, counts: Sequence[Value] = (32, 8, 2, 1),
                 masses: Sequence[Value] = (1, 4, 16, 64), radius: Value = 12,
                 proximity: Value = 24, vel_range: Value = 20, seed: int = 1,
                 rule: str = "specified", warmup: int = 1000) -> None:
        """Places the gas as "Run Simulation" would, from the seed; see the class."""
        super().__init__(list(counts), list(masses), radius, proximity, vel_range, seed, rule,
                         warmup)

    def __repr__(self) -> str:
        return (f"<kinetic_model.Gas: {self.particles} discs, rule {self.rule}, seed {self.seed}, "
                f"{self.ticks} ticks>")

    def results(self) -> dict[str, Any]:
        """Every measurement so far, as kinetic-measure --format json reports it:
        {"settings": {...}, "measurements": [{"section", "key", "quantity", "unit", "value",
        "error", "theory": {name: value}}, ...]}; null values are None. "ticks" in the settings
        counts the ticks stepped after the warm-up, so a gas stepped warmup + n ticks reports
        what kinetic-measure --warmup W --ticks n does with the same settings and seed."""
        return json.loads(self._results_json())

    def row(self) -> dict[str, Any]:
        """The results as one flat row, as sweep() returns it: the settings, then for each
        measurement KEY its value, KEY:error and KEY:NAME for each theory beside it."""
        return measurement_row(self.results())

    def measurement(self, key: str) -> dict[str, Any]:
        """One measurement of results() by its key, e.g. 'Z' or 'kT_ratio.species2'."""
        for m in self.results()["measurements"]:
            if m["key"] == key:
                return m
        raise KeyError(key)

    def history(self) -> dict[str, np.ndarray]:
        """The time series since the gas was placed, in at most 512 bins of equal ticks, as the
        laboratory's timeseries.csv: 'tick' (each bin's middle), 'kT_gas', 'kT_species1'..4,
        'Z', 'exchanges', 'new_contacts', 'repeat_share', 'energy', 'H', each the bin's mean
        (NaN where not known)."""
        return numeric_columns(self._timeseries_csv())

    def events(self) -> list[tuple[int, str]]:
        """The events since the gas was placed (experiments, changes of rule or warm-up), each
        (tick, what)."""
        _, rows = read_csv(self._events_csv())
        return [(int(r[0]), r[1]) for r in rows]

    def histograms(self) -> dict[tuple[int, str], dict[str, Any]]:
        """The averaged distributions per (species, quantity), quantity 'speed', 'vx' or 'vy':
        arrays 'bin_centre', 'measured_density' and 'theory_density' (the law at the species'
        measured kT, its mean over each bin) and the Kolmogorov-Smirnov distance 'ks_distance'."""
        names, rows = read_csv(self._histograms_csv())
        out: dict[tuple[int, str], dict[str, Any]] = {}
        for r in rows:
            field = dict(zip(names, r))
            h = out.setdefault((int(field["species"]), field["quantity"]),
                               {"bin_centre": [], "measured_density": [], "theory_density": [],
                                "ks_distance": number(field["ks_distance"])})
            for k in ("bin_centre", "measured_density", "theory_density"):
                h[k].append(number(field[k]))
        for h in out.values():
            for k in ("bin_centre", "measured_density", "theory_density"):
                h[k] = np.array(h[k], dtype=np.float64)
        return out

    def msd(self) -> dict[str, np.ndarray]:
        """The mean-squared displacement (walls unfolded), u^2, against 'lag' (ticks):
        'msd_particle1' and 'msd_species1'..4, NaN where not known."""
        return numeric_columns(self._msd_csv())
