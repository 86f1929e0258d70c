# SPDX-License-Identifier: GPL-3.0-or-later
"""Every wrong argument of every public function: TypeError for a wrong kind, ValueError for a
wrong value, each naming the argument in the module's words; a sweep checks as Gas does."""
from __future__ import annotations

import math

import numpy as np
import pytest

import kinetic_model as km


def gas() -> km.Gas:
    g = km.Gas(counts=(10, 5, 0, 0))
    g.step(5)
    return g


@pytest.mark.parametrize("call, error, message", [
    (lambda: km.Gas(radius=None), TypeError, "radius must be a number or the text of one"),
    (lambda: km.Gas(radius=[1]), TypeError, "radius must be a number"),
    (lambda: km.Gas(radius=True), TypeError, "radius must be a number"),
    (lambda: km.Gas(seed=1.5), TypeError, "seed must be a whole number from 0 to 4294967295"),
    (lambda: km.Gas(seed="3"), TypeError, "seed must be a whole number"),
    (lambda: km.Gas(seed=True), TypeError, "seed must be a whole number"),
    (lambda: km.Gas(rule=None), TypeError, 'rule must be "specified" or "exact"'),
    (lambda: km.Gas(warmup=1.5), TypeError, "warmup must be a whole number"),
    (lambda: km.Gas(warmup=2**70), ValueError,
     f"warmup must be a whole number from 0 to 1000000, not {2**70}"),
    (lambda: km.Gas(draws=-1), ValueError, "draws must be a whole number from 0 to 1000000000"),
    (lambda: km.Gas(counts=[[10], 0, 0, 0]), TypeError, "counts[0] must be a number"),
    (lambda: km.Gas(counts=5), TypeError, "counts must be four values, one per species"),
    (lambda: km.Gas(counts="32,8,2,1"), TypeError, "counts must be four values"),
    (lambda: km.Gas(masses={1: 2}), TypeError, "masses must be four values"),
    (lambda: gas().step(1.5), TypeError, "n must be a whole number from 0"),
    (lambda: gas().step("10"), TypeError, "n must be a whole number"),
    (lambda: gas().step(None), TypeError, "n must be a whole number"),
    (lambda: gas().step(True), TypeError, "n must be a whole number"),
    (lambda: gas().step(2**64), ValueError, "n must be a whole number from 0 to 9223372036854775807"),
    (lambda: gas().heat("1", 2), TypeError, "species must be a whole number"),
    (lambda: gas().heat(1.0, 2), TypeError, "species must be a whole number"),
    (lambda: gas().heat(1, "2"), TypeError, "factor must be a number"),
    (lambda: gas().heat(0, 2), ValueError, "Species 0 has no particles in this run. "
                                           "The species with discs: 1, 2."),
    (lambda: gas().set_rule(1), TypeError, 'rule must be "specified" or "exact"'),
    (lambda: gas().set_warmup(-1), ValueError, "warmup must be a whole number from 0"),
    (lambda: gas().set_warmup(2.0), TypeError, "warmup must be a whole number"),
    (lambda: km.sweep({"radius": None}), TypeError, "settings[0]: radius must be a number"),
    (lambda: km.sweep([]), ValueError, "settings: an empty list"),
    (lambda: km.sweep("radius=5"), TypeError, "settings must be a dict of Gas arguments"),
    (lambda: km.sweep(["radius=5"]), TypeError, "settings[0] must be a dict of Gas arguments"),
    (lambda: km.sweep({}, seeds=[1.7]), TypeError, "seeds[0] must be a whole number"),
    (lambda: km.sweep({}, seeds=["3"]), TypeError, "seeds[0] must be a whole number"),
    (lambda: km.sweep({}, seeds=3), TypeError, "seeds must be a list of seeds"),
    (lambda: km.sweep({}, ticks=True), TypeError, "ticks must be a whole number from 1"),
    (lambda: km.sweep({"ticks": 2.5}), TypeError, "settings[0]: ticks must be a whole number"),
    (lambda: km.sweep({}, client=12), TypeError, "client must be a dask.distributed.Client"),
    (lambda: km.sweep({}, jobs=0), ValueError, "jobs must be 1 or more, not 0"),
    (lambda: km.sweep({}, jobs=1.5), TypeError, "jobs must be a whole number"),
    (lambda: km.sweep({}, as_frame="yes"), TypeError, "as_frame must be True, False or None"),
    (lambda: km.grid(radius=5), TypeError, "radius must be a list of its values"),
    (lambda: km.grid(rule="exact"), TypeError, "rule must be a list of its values"),
    (lambda: km.EquationOfState(ticks=0), ValueError, "ticks must be a whole number from 1"),
    (lambda: km.EquationOfState(ticks=-5), ValueError, "ticks must be a whole number from 1"),
    (lambda: km.EquationOfState(ticks=2.5), TypeError, "ticks must be a whole number"),
    (lambda: km.EquationOfState(etas=0.3), TypeError, "etas must be a list of packing fractions"),
    (lambda: km.EquationOfState(etas=["0.3"]), TypeError, "etas[0] must be a number"),
    (lambda: km.EquationOfState(discs=True), TypeError, "discs must be a whole number"),
    (lambda: km.EquationOfState(warmup=-1), ValueError, "warmup must be a whole number from 0"),
    (lambda: gas().measurement("nope"), KeyError, "no measurement 'nope'; the keys: kT.gas, "),
    (lambda: km.theory.walled_z(np.zeros(3), np.zeros(2), 1000), ValueError,
     "walled_z: the shapes of eta (3,), sigma (2,), side () do not broadcast together"),
])
def test_a_wrong_argument_is_named_with_what_it_takes(call, error, message):
    with pytest.raises(error) as refused:
        call()
    text = refused.value.args[0] if error is KeyError else str(refused.value)
    assert text.startswith(message), text


def test_wrong_kinds_and_bad_values_are_each_named_once():
    with pytest.raises(TypeError) as wrong:
        km.Gas(radius=None, seed=1.5, vel_range=20)
    assert [line.split(" ")[0] for line in str(wrong.value).split("\n")] == ["radius", "seed"]
    # A value beyond what the engine takes does not hide the engine's own refusals.
    with pytest.raises(ValueError) as bad:
        km.Gas(counts=(1, "x", 0, 0), warmup=2**70, radius=-1)
    assert [line.split(":")[0].split(" ")[0] for line in str(bad.value).split("\n")] == [
        "counts[1]", "radius", "warmup"]


def test_numpy_numbers_are_numbers_and_booleans_are_not():
    a = km.Gas(counts=np.array([20, 5, 0, 0]), radius=np.float32(10), seed=np.uint32(4),
               warmup=np.int64(0))
    b = km.Gas(counts=(20, 5, 0, 0), radius=10, seed=4, warmup=0)
    a.step(np.int64(50))
    b.step(50)
    assert np.array_equal(a.positions(), b.positions())
    rows = km.sweep({"counts": (20, 0, 0, 0)}, seeds=np.array([2]), ticks=np.int64(20), jobs=1,
                    as_frame=False)
    assert rows[0]["ticks"] == 20 and rows[0]["seed"] == 2
    with pytest.raises(TypeError):
        km.Gas(counts=(True, 0, 0, 0))


def test_a_gas_placed_after_draws_is_the_window_s_later_run():
    # Drawing numbers first moves every disc: the window's second run is not its first.
    first, later, again = km.Gas(seed=5), km.Gas(seed=5, draws=1234), km.Gas(seed=5, draws=1234)
    assert later.draws == 1234 and first.draws == 0
    assert not np.array_equal(first.positions(), later.positions())
    assert np.array_equal(later.positions(), again.positions())
    assert later.results()["settings"]["draws"] == 1234


def test_a_packing_fraction_out_of_range_has_no_value_in_any_formula():
    t = km.theory
    for eta in (-0.5, -0.1, -1e-9, t.close_packing, 0.95, 1.0, 2.0, math.nan):
        for f in (t.henderson_z, t.bulk_z, t.virial_z, t.bulk_contact_value):
            assert math.isnan(f(eta)), (f.__name__, eta)
        assert math.isnan(t.walled_z(eta, 20, 1000))
    # Inside, the formulas agree where they should: Henderson within 0.5 % of the bulk fluid.
    eta = np.linspace(0.01, 0.5, 50)
    assert np.all(np.abs(t.henderson_z(eta) / t.bulk_z(eta) - 1) < 0.005)
