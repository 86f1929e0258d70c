# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when any file under DIR includes a Qt header.
file(GLOB_RECURSE sources "${DIR}/*")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
  if(hits)
    message(FATAL_ERROR "${f} includes Qt: ${hits}")
  endif()
endforeach()
message(STATUS "no Qt include under ${DIR}")
