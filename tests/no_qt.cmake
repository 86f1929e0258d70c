# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when any file under DIR includes a header of Qt, emscripten or Python.
file(GLOB_RECURSE sources "${DIR}/*")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q|emscripten|pybind11|Python\\.h)")
  if(hits)
    message(FATAL_ERROR "${f} includes a front end's header: ${hits}")
  endif()
endforeach()
message(STATUS "no Qt include under ${DIR}")
