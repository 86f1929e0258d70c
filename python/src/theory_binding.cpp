// SPDX-License-Identifier: GPL-3.0-or-later
// Kinetic theory of the two-dimensional gas, as the laboratory computes it, for lessons to draw
// beside their measurements.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "theory.h"

namespace py = pybind11;

namespace km::python {

void bindTheory(py::module_& m) {
  py::module_ t = m.def_submodule(
      "theory",
      "Kinetic theory in the simulation's units: length in box units (u), time in ticks, mass\n"
      "in amu, kT the mean m v^2 / 2 per disc. NaN where a formula gives no value.");
  // Vectorised, so that a curve is one call over an array.
  t.def("speed_density", py::vectorize(theory::speedDensity), py::arg("v"), py::arg("mass"),
        py::arg("kT"), "Maxwell-Boltzmann speed density in 2-D, (m v / kT) exp(-m v^2 / 2kT).");
  t.def("component_density", py::vectorize(theory::componentDensity), py::arg("v"), py::arg("mass"),
        py::arg("kT"), "One velocity component: Gaussian of variance kT / m.");
  t.def("packing_fraction", py::vectorize(theory::packingFraction), py::arg("n"), py::arg("sigma"),
        py::arg("side"), "n discs of diameter sigma in a square of side L.");
  t.def("henderson_z", py::vectorize(theory::hendersonZ), py::arg("eta"),
        "Henderson's Z = (1 + eta^2/8) / (1 - eta)^2.");
  t.def("bulk_z", py::vectorize(theory::bulkZ), py::arg("eta"),
        "The bulk hard-disc fluid (no walls), Pade-resummed virial series; NaN from eta = 0.70.");
  t.def("virial_z", py::vectorize(theory::virialZ), py::arg("eta"),
        "The virial series truncated after b_10.");
  t.def("walled_z", py::vectorize(theory::walledZ), py::arg("eta"), py::arg("sigma"),
        py::arg("side"),
        "Z on the walls of a square box of side L: the bulk less (32/3pi) eta sigma/L.");
  t.def("bulk_contact_value", py::vectorize(theory::bulkContactValue), py::arg("eta"),
        "The pair distribution at contact of the bulk fluid, (Z - 1) / 2 eta.");
  t.def("enskog_diffusion", py::vectorize(theory::enskogDiffusion), py::arg("density"),
        py::arg("sigma"), py::arg("g"), py::arg("kT"), py::arg("mass"),
        "Enskog's self-diffusion of one species, sqrt(kT / pi m) / (2 n sigma g), u^2/tick.");
  t.def("maxwellian_h", &theory::maxwellianHExact,
        "Boltzmann's H of the Maxwellian in reduced velocity, -ln(2 pi) - 1.");
  t.attr("fluid_ends") = theory::fluidEnds;
  t.attr("close_packing") = theory::closePacking;
}

}  // namespace km::python
