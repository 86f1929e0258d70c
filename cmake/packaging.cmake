# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules and the Debian package.
#
#   cmake --install build                  the program, its menu entry, icon, software-centre
#                                          listing and copyright file
#   (cd build && cpack)                    build/kinetic-model_<version>_<arch>.deb, for /usr,
#                                          and python3-kinetic-model_<version>_<arch>.deb
#                                          where the Python module is built
include(GNUInstallDirs)

install(TARGETS kinetic-model RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kinetic-model.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kinetic-model.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/invalid.kinetic_model.KineticModel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian's machine-readable copyright file, where every package keeps it.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kinetic-model)

# Debian versions want three parts; the project gives two.
if(PROJECT_VERSION_PATCH STREQUAL "")
  set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0")
else()
  set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinetic-model)
# One package per component: the program (every install rule without a component of its own)
# and the Python module, which the program does not need.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
if(KM_PYTHON_BUILT)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
string(TOUPPER "${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME}" program_component)
set(CPACK_DEBIAN_${program_component}_PACKAGE_NAME kinetic-model)
set(CPACK_PACKAGE_CONTACT "Kinetic Model developers <dev@kinetic-model.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-dimensional gas of hard discs in a box")
set(CPACK_PACKAGE_DESCRIPTION "\
A window that shows kinetic theory at work: up to four species of hard discs,
each with its own count, mass and colour, collide elastically in a square box.
One particle is a tracer that leaves a trail, so its random walk can be
followed; the readouts show the sums of m*vx^2 and m*vy^2 over the gas and the
tracer's speed. A laboratory window measures the running gas against kinetic
theory (temperatures, Maxwell-Boltzmann speeds, pressure, collisions,
diffusion), with experiments and an exact hard-disc rule; kinetic-measure runs
the same measurements without a window.")
set(CPACK_COMPONENT_${program_component}_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The Python module: Debian's interpreter of the version it was built for, and the Python
# packages it and its lessons use, written out (CPack has no dh_python3).
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-kinetic-model)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), python3 (<< ${Python_VERSION_MAJOR}.${KM_PYTHON_NEXT_MINOR}), python3-numpy")
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-pandas, python3-matplotlib")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-distributed, jupyter-notebook")
# (CPack gives every package the one summary line, CPACK_PACKAGE_DESCRIPTION_SUMMARY.)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "\
The engine and the laboratory of Kinetic Model as the Python module
kinetic_model: a two-dimensional gas of hard discs stepped from Python, its
positions and velocities as NumPy arrays, every measurement of kinetic-measure
(temperatures, Maxwell-Boltzmann speeds, pressure against the equation of
state, collisions, diffusion) with the laboratory's experiments, and sweeps of
many gases on every core or on a Dask cluster. Lessons for Jupyter are in
/usr/share/doc/python3-kinetic-model/lessons.")

# Read by cpack before it packs: refuses a sanitized build and a machine without
# dpkg-shlibdeps (without it CPack silently writes a package with no dependencies).
set(CPACK_KM_SANITIZE ${KM_SANITIZE})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-checks.cmake)

include(CPack)
