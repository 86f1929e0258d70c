# SPDX-License-Identifier: GPL-3.0-or-later
"""Every lesson runs headless from top to bottom, its assertions of the physics included, and
saves its figures."""
from __future__ import annotations

import os
from pathlib import Path

import pytest

nbformat = pytest.importorskip("nbformat")
nbclient = pytest.importorskip("nbclient")
pytest.importorskip("matplotlib")

NOTEBOOKS = Path(os.environ.get("KM_NOTEBOOKS", Path(__file__).parents[2] / "notebooks"))
LESSONS = sorted(p.stem for p in NOTEBOOKS.glob("*.ipynb"))


def test_there_are_the_five_lessons():
    assert set(LESSONS) >= {"maxwell_boltzmann", "equipartition", "equation_of_state",
                            "diffusion", "collision_rules"}


@pytest.mark.parametrize("lesson", LESSONS)
def test_lesson_runs_and_saves_its_figures(lesson, tmp_path, monkeypatch):
    out = Path(os.environ.get("KM_LESSON_OUT", tmp_path)) / lesson
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.png"):
        old.unlink()
    # The kernel inherits these: figures into the lesson's folder, drawn without a display,
    # and no debugger warning about frozen modules on standard error.
    monkeypatch.setenv("KM_FIGURES", str(out))
    monkeypatch.setenv("MPLBACKEND", "Agg")
    monkeypatch.setenv("PYDEVD_DISABLE_FILE_VALIDATION", "1")
    notebook = nbformat.read(NOTEBOOKS / f"{lesson}.ipynb", as_version=4)
    first = notebook.cells[0].source.splitlines()[0]
    assert first == "# SPDX-License-Identifier: GPL-3.0-or-later"
    client = nbclient.NotebookClient(notebook, timeout=120, kernel_name="python3",
                                     resources={"metadata": {"path": str(out)}})
    client.execute()
    nbformat.write(notebook, out / f"{lesson}.ipynb")
    for cell in notebook.cells:
        for output in cell.get("outputs", []):
            assert output.get("name") != "stderr", output.get("text")
    saved = [p.name for p in out.glob("*.png") if p.stat().st_size > 10_000]
    assert saved, f"{lesson} saved no figure"
