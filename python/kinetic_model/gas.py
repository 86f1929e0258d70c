# SPDX-License-Identifier: GPL-3.0-or-later
"""A gas of hard discs with its laboratory attached."""
from __future__ import annotations

import json
import os
import tempfile
from collections.abc import Sequence
from typing import Any, Optional, Union

import numpy as np

from . import _checks, _core, _version
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
    proximity   distance of two centres at which they collide, u, -1e9 to 1e9
    vel_range   scale of the random start velocities, u/tick, 0 to 1000
    seed        seed of the placement, 0 to 4,294,967,295: the same seed, the same gas
    draws       random numbers drawn from the seed before placing, 0 to 1,000,000,000: with
                the seed and draws the laboratory's Integrity tab shows, a gas seen in the
                window is placed again here
    rule        'specified' (the original collision rule) or 'exact' (true hard discs)
    warmup      ticks before the averages begin, 0 to 1,000,000
    wall_temperature  four values, the left, right, bottom and top walls: a kT at which the
                wall holds the discs that meet it, or None for a wall that reflects
    move_wall   (x, u) or (x, u, start): the right wall moves toward x at u units per tick
                from tick start (0); see move_wall()
    piston      (pressure, mass): the right wall a piston; see set_piston()
    gravity     a uniform field toward the floor (y = 1000), units per tick^2, 0 or more;
                see set_gravity()
    divider     a thin wall along x = 500 with an opening this wide centred on y = 500, or
                None for no divider: 0 closes it, 1000 or more takes it away; see
                open_divider() and close_divider()
    sides       where each species is placed: four of 'left', 'right' or 'both'

    Particle 1 (species 1's first disc) starts at rest in the centre of the box, as the tracer
    the window draws a trail behind; so a gas of one disc never moves.

    TypeError names every argument of a wrong kind (a list where a number goes, a bool, a float
    seed); ValueError names every bad value with the reason "Run Simulation" gives; Refused (a
    ValueError) says why a gas too dense for the exact rule cannot be placed.

    Under the specified rule a disc is turned by a wall only once its edge has crossed it, so
    centres go past the wall line (in the default gas in 28 % of 20,000 ticks, up to 30 u past
    it, 18 u past the box's edge) and the energy is not kept (+0.12 % per 10,000 ticks in the
    default gas, +16 % over 50,000 ticks of 500 discs of radius 10); the 'integrity'
    measurements say by how much over the run (beyond_wall.share, beyond_wall.farthest,
    beyond_edge.farthest) and now (outside.now, excursion.now). Under the exact rule no disc
    leaves the box and the energy holds to about 1e-14.

    results() holds the laboratory's measurements, each with its key, e.g.
      kT.gas, kT.speciesS, kT_ratio.speciesS   temperature (mean m v^2 / 2 per disc)
      ks_speed|ks_vx|ks_vy.speciesS, H         distance from the Maxwell-Boltzmann laws
      pressure, Z, Z_interior, eta, eta_interior, Z_henderson   the equation of state
      exchanges, new_contacts, contact_rate.speciesS, ...       collisions per tick
      D.tracer, D.speciesS, msd_log_slope.speciesS              self-diffusion
      energy.*, momentum.*, beyond_wall.*, beyond_edge.farthest, outside.now, ...  integrity
    each with its quantity in words and its unit; kinetic_model.Gas().results() lists them all.

    >>> gas = Gas(counts=(200, 0, 0, 0), masses=(1, 1, 1, 1), rule="exact", seed=3)
    >>> gas.step(5000)
    >>> gas.results()["measurements"][0]["key"]
    'kT.gas'
    """

    def __init__(self, counts: Sequence[Value] = (32, 8, 2, 1),
                 masses: Sequence[Value] = (1, 4, 16, 64), radius: Value = 12,
                 proximity: Value = 24, vel_range: Value = 20, seed: int = 1,
                 rule: str = "specified", warmup: int = 1000, draws: int = 0,
                 wall_temperature: Optional[Sequence[Optional[float]]] = None,
                 move_wall: Optional[Sequence[float]] = None,
                 piston: Optional[Sequence[float]] = None, gravity: float = 0,
                 divider: Optional[float] = None,
                 sides: Sequence[str] = ("both", "both", "both", "both")) -> None:
        """Places the gas as "Run Simulation" would, from the seed; see the class."""
        a = _checks.gas_arguments(counts, masses, radius, proximity, vel_range, seed, draws,
                                  rule, warmup)
        walls = _checks.wall_arguments(wall_temperature, move_wall, piston)
        field = _checks.field_arguments(gravity, divider, sides)
        # The divider and the sides place the discs, as kinetic-measure's options do.
        super().__init__(a["counts"], a["masses"], a["radius"], a["proximity"], a["vel_range"],
                         a["seed"], a["draws"], a["rule"], a["warmup"],
                         field["gravity"] or None, field["divider"], field["sides"])
        if field["gravity"] or field["divider"] is not None or field["sides"] != list(
                ("both",) * 4):
            a = {**a, **field}
        self._arguments = a
        # The walls are experiments from tick 0, replayed as the others are.
        if walls["wall_temperature"] is not None:
            super().set_walls(walls["wall_temperature"])
        if walls["move_wall"] is not None:
            super().move_wall(*walls["move_wall"])
        if walls["piston"] is not None:
            super().set_piston(*walls["piston"])

    # A gas is copied, pickled and saved as what places it again bit for bit: its arguments,
    # its experiments with their ticks, and the ticks run. Loading replays them, so it takes
    # as long as the run took; every value, the laboratory's included, is then the original's.
    def __reduce__(self) -> tuple[Any, ...]:
        operations, ticks = self._replay()
        return (_replayed, (type(self), self._arguments, operations, ticks))

    def save(self, path: Union[str, os.PathLike[str]]) -> None:
        """Writes what places this gas again, bit for bit, into a JSON file (its arguments,
        experiments and ticks: a few hundred bytes); Gas.load(path) replays it."""
        operations, ticks = self._replay()
        state = {"kinetic_model": _version.__version__, "arguments": self._arguments,
                 "operations": operations, "ticks": ticks}
        text = json.dumps(state, indent=1)
        folder = os.path.dirname(os.path.abspath(path))
        # Whole or not at all: a new file beside the old, renamed over it.
        with tempfile.NamedTemporaryFile("w", dir=folder, delete=False, suffix=".tmp") as f:
            f.write(text)
        os.replace(f.name, path)

    def export(self, folder: Union[str, os.PathLike[str]]) -> None:
        """Writes the laboratory's five CSV files into the folder, as the laboratory window's
        Export does: timeseries.csv, events.csv, histograms.csv, msd.csv and summary.csv,
        each whole or not at all. OSError names every file not written with the system's
        reason."""
        super().export(os.fspath(folder))

    @classmethod
    def load(cls, path: Union[str, os.PathLike[str]]) -> "Gas":
        """The gas that save() wrote, replayed tick for tick: as long to load as it took to
        run. ValueError where the file holds no saved gas."""
        with open(path) as f:
            try:
                state = json.load(f)
            except json.JSONDecodeError as e:
                raise ValueError(f"path: {path} holds no saved gas ({e})") from None
        if not isinstance(state, dict) or not {"arguments", "operations", "ticks"} <= set(state):
            raise ValueError(f"path: {path} holds no saved gas")
        return _replayed(cls, state["arguments"], state["operations"], state["ticks"])

    def step(self, n: int = 1, progress: bool = False) -> None:
        """Runs n ticks (a whole number from 0 to 2**63 - 1) without holding the interpreter's
        lock, in slices of about 20 ms between which other threads take their turn with this
        gas. Ctrl+C stops it within a slice with KeyboardInterrupt; the gas stays usable, after
        its last whole tick. progress=True shows a bar (it needs tqdm). Raises RunError where
        the model fails."""
        n = _checks.limited("n", n, "ticks")
        if not progress:
            super().step(n)
            return
        bar = _progress_bar(n, "ticks")
        try:
            done = 0
            while done < n:
                part = min(n - done, max(1, n // 200))
                super().step(part)
                done += part
                bar.update(part)
        finally:
            bar.close()

    def set_walls(self, kT: Sequence[Optional[float]]) -> None:
        """Each wall (left, right, bottom, top) held at a kT above 0, or reflecting where None:
        a disc leaving a wall at kT_w has its normal speed from the flux-weighted law and its
        tangential one from the Gaussian of variance kT_w/m. An event that restarts the
        averages; results() then has a 'walls' section (pressure on each, heat, work)."""
        super().set_walls(_checks.wall_temperatures("kT", kT))

    def move_wall(self, x: float, speed: float, start: Optional[int] = None) -> None:
        """The right wall moves toward x (at most 1000) at speed u/tick (above 0), from tick
        `start` of the walls' count (now by default); a disc meeting it leaves at 2u - v and
        the work is counted. Refused (a ValueError) where the gas cannot fit even at close
        packing. An event that restarts the averages."""
        x, speed, start = _checks.moving_wall("move_wall", (x, speed, start))
        super().move_wall(x, speed, start)

    def set_piston(self, pressure: float, mass: float) -> None:
        """The right wall a piston of mass amu (above 0) pushed in by the outside pressure
        (0 or more, amu/tick^2): the gas settles where it pushes back as hard. An event that
        restarts the averages."""
        super().set_piston(*_checks.piston("piston", (pressure, mass)))

    def set_gravity(self, g: float) -> None:
        """A uniform field of g units per tick^2 (0 or more; 0 for none) toward the floor: each
        species thins out with height on its own scale kT/(m*g). Under the exact rule the discs
        fly on parabolas. An event that restarts the averages; results() then has the
        atmosphere's rows (scale_height.speciesS against the barometric kT/(m*g), kT_height.*,
        hydrostatic against the weight)."""
        field = _checks.field_arguments(g, None, ("both",) * 4)
        super().set_gravity(field["gravity"])

    def open_divider(self, width: float) -> None:
        """A divider along x = 500 with an opening `width` units high centred on y = 500 (0
        closes it, 1000 or more takes the divider away). An event that restarts the averages;
        results() then has the effusion's rows (effusion.speciesS per unit width against
        n*sqrt(kT/(2*pi*m)), effusion_ratio against Graham's sqrt(m2/m1), mixing_entropy).
        Refused (a ValueError) where the right wall stands at or left of the divider."""
        field = _checks.field_arguments(0, width, ("both",) * 4)
        super().set_divider(field["divider"])

    def close_divider(self) -> None:
        """Closes the divider's opening (a divider with no opening, put up if there was none)."""
        super().set_divider(0)

    def start_gas_law(self, name: str) -> None:
        """Starts one of the five gas laws as a process on the gas as it is: "Boyle",
        "Charles", "Gay-Lussac", "adiabat" or "free expansion", as the laboratory's buttons do.
        The gas then runs it tick by tick as it steps: a window measured, the change, settling,
        another window, and a row in gas_laws(). Refused (a ValueError) with the laboratory's
        reason where it cannot start, one still running among them; anything else that changes
        the gas or its walls ends it early."""
        super().start_gas_law(_checks.gas_law("name", name))

    def gas_laws(self) -> list[dict[str, Any]]:
        """The processes run since the gas was placed, in order, each a dict: process,
        invariant (as a formula), quantity ("P", "A" or "kT", the end value predicted), ending,
        complete, start and end (the windows: from_tick, to_tick, pressure, area, kT, each with
        its _error, eta, Z by Henderson's formula, kT_now, invariant and invariant_error),
        expected (the invariant's value by the hard-disc law), measured (the end value), ideal
        and hard_disc (its predictions), work and heat (from the walls since the change). A
        value not known is None."""
        return super().gas_laws()

    def heat(self, species: int, factor: float) -> None:
        """Heats (factor > 1) or cools a species with discs: its energy of motion about its
        mean velocity times factor (0.01 to 100), its momentum kept; an event that restarts
        the averages. ValueError with the laboratory's reason where nothing can change."""
        species = _checks.whole("species", species, -2**31, 2**31 - 1)
        factor = _checks.number("factor", factor)
        try:
            super().heat(species, factor)
        except ValueError as e:
            present = sorted({int(s) for s in self.species()})
            if species in present:
                raise
            raise ValueError(f"{e} The species with discs: "
                             f"{', '.join(map(str, present)) or 'none'}.") from None

    def set_rule(self, rule: str) -> None:
        """Switches to the 'specified' or the 'exact' collision rule from the next tick, an
        event that restarts the averages. Refused when the gas is too dense for the exact rule
        to push its discs apart."""
        super().set_rule(_checks.rule("rule", rule))

    def set_warmup(self, ticks: int) -> None:
        """A new warm-up (0 to 1,000,000 ticks): the averages start afresh and begin after
        this many ticks."""
        super().set_warmup(_checks.limited("warmup", ticks))

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
        """One measurement of results() by its key, e.g. 'Z' or 'kT_ratio.species2'; KeyError
        naming the keys there are."""
        measurements = self.results()["measurements"]
        for m in measurements:
            if m["key"] == key:
                return m
        raise KeyError(f"no measurement {key!r}; the keys: "
                       + ", ".join(m["key"] for m in measurements))

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

    @staticmethod
    def tabs() -> tuple[str, ...]:
        """The laboratory's tabs by name, in the order the windows show them; figure() draws
        any of them."""
        return tuple(_core._tab_names)

    def figure(self, tab: str = "Speeds", quantity: str = "speed") -> Any:
        """A matplotlib Figure of one tab of the laboratory (a name of tabs()), drawn from the
        same description the windows draw: the titles, axes, series, theory lines, error bars,
        event marks, legends, notices and the words beneath. quantity is the Speeds tab's
        'speed', 'vx' or 'vy'. The Equation of state tab shows this gas's own run beside the
        theory."""
        names = self.tabs()
        if not isinstance(tab, str):
            raise TypeError(f"tab must be a tab's name (one of {', '.join(map(repr, names))}), "
                            f"not {type(tab).__name__}")
        if tab not in names:
            raise ValueError(f"tab must be one of {', '.join(map(repr, names))}, not {tab!r}")
        quantities = ("speed", "vx", "vy")
        if not isinstance(quantity, str) or quantity not in quantities:
            raise ValueError(f"quantity must be 'speed', 'vx' or 'vy', not {quantity!r}")
        from .figures import draw_tab
        description = json.loads(self._tab_json(names.index(tab), quantities.index(quantity)))
        return draw_tab(description, tab)

    def msd(self) -> dict[str, np.ndarray]:
        """The mean-squared displacement (walls unfolded), u^2, against 'lag' (ticks):
        'msd_particle1' and 'msd_species1'..4, NaN where not known."""
        return numeric_columns(self._msd_csv())


def _progress_bar(total: int, unit: str) -> Any:
    try:
        from tqdm.auto import tqdm
    except ImportError:
        raise ImportError("progress=True needs tqdm (python3-tqdm, or pip install tqdm)") from None
    return tqdm(total=total, unit=unit)


def _replayed(cls: type, arguments: dict[str, Any], operations: list[Sequence[Any]],
              ticks: int) -> Gas:
    """A gas placed from its arguments, its experiments done again at their ticks."""
    gas = cls(**arguments)
    for tick, kind, *args in operations:
        gas.step(tick - gas.ticks)
        if kind == "heat":
            gas.heat(*args)
        elif kind == "equal_energies":
            gas.equal_energies()
        elif kind == "rule":
            gas.set_rule(*args)
        elif kind == "warmup":
            gas.set_warmup(*args)
        elif kind == "walls":
            gas.set_walls(*args)
        elif kind == "move_wall":
            gas.move_wall(*args)
        elif kind == "piston":
            gas.set_piston(*args)
        elif kind == "gas_law":
            gas.start_gas_law(*args)
        elif kind == "gravity":
            gas.set_gravity(*args)
        elif kind == "divider":
            gas.open_divider(*args)
        else:
            raise ValueError(f"an experiment this version does not know: {kind!r}")
    gas.step(ticks - gas.ticks)
    return gas
