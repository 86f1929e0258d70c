# SPDX-License-Identifier: GPL-3.0-or-later
"""Shared by the module's tests: kinetic-measure's path and comparisons bit for bit."""
from __future__ import annotations

import json
import math
import os
import subprocess
from typing import Any

import pytest


def same(a: Any, b: Any) -> bool:
    """Equal, bit for bit: NaN equals NaN, and 0.0 is not -0.0."""
    if isinstance(a, float) and isinstance(b, float):
        return (math.isnan(a) and math.isnan(b)) or (a == b and math.copysign(1, a) == math.copysign(1, b))
    if isinstance(a, dict) and isinstance(b, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, (list, tuple)) and isinstance(b, (list, tuple)):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    return type(a) is type(b) and a == b


def differences(a: dict[str, Any], b: dict[str, Any]) -> list[str]:
    """The keys whose values differ, for a failure's message."""
    return [k for k in sorted(set(a) | set(b)) if k not in a or k not in b or not same(a[k], b[k])]


@pytest.fixture(scope="session")
def measure():
    """Runs kinetic-measure with the arguments given and returns its JSON report."""
    program = os.environ.get("KM_MEASURE")
    if not program:
        pytest.skip("KM_MEASURE (the path of kinetic-measure) is not set")

    def run(*args: str) -> dict[str, Any]:
        out = subprocess.run([program, "--format", "json", *args], capture_output=True, text=True)
        # A sweep with a seed refused still reports its rows, with exit status 2.
        allowed = (0, 2) if "--sweep" in args else (0,)
        assert out.returncode in allowed, out.stderr
        return json.loads(out.stdout)
    return run
