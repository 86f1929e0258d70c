// SPDX-License-Identifier: GPL-3.0-or-later
// kinetic_model._core: the engine and the laboratory, bound for Python.
#include <pybind11/pybind11.h>

#include "engine.h"
#include "headless_run.h"
#include "run_error.h"

namespace py = pybind11;

namespace km::python {
void bindSweep(py::module_& m);
void bindTheory(py::module_& m);
}  // namespace km::python

PYBIND11_MODULE(_core, m) {
  m.doc() = "The engine and the laboratory of Kinetic Model; use the package kinetic_model.";
  py::register_exception<km::RunError>(m, "RunError", PyExc_RuntimeError);
  py::register_exception<km::lab::Refused>(m, "Refused", PyExc_ValueError);
  km::python::bindEngine(m);
  km::python::bindSweep(m);
  km::python::bindTheory(m);
}
