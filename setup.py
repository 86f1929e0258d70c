# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds the compiled part of kinetic_model with the project's CMake build (the module's
target only, for the interpreter running this), and puts it and the version file into the
wheel beside the Python sources."""
import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        tree = Path(self.build_temp).resolve() / "cmake"
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(tree), "-DCMAKE_BUILD_TYPE=Release",
                        "-DKM_BUILD_UI=OFF", "-DKM_BUILD_BENCH=OFF", "-DKM_BUILD_TESTS=OFF",
                        f"-DPython_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(tree), "--target", "_core",
                        "-j", str(os.cpu_count() or 1)], check=True)
        built = tree / "python" / "kinetic_model"
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(next(built.glob("_core*.so")), target)
        shutil.copy2(built / "_version.py", target.parent / "_version.py")


setup(ext_modules=[Extension("kinetic_model._core", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
