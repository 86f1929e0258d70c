# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack (CPACK_PROJECT_CONFIG_FILE) once per generator, before anything is packed.
if(CPACK_KM_SANITIZE)
  message(FATAL_ERROR "This build has KM_SANITIZE=ON: its program needs the sanitizer runtimes "
                      "and is slow. Package from a normal build (build/).")
endif()
if(CPACK_GENERATOR STREQUAL "DEB")
  cmake_policy(PUSH)
  cmake_policy(SET CMP0109 NEW) # a program must be executable to be found
  find_program(KM_DPKG_SHLIBDEPS dpkg-shlibdeps)
  cmake_policy(POP)
  if(NOT KM_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps not found (Debian package dpkg-dev): without it the "
                        "package would list none of the libraries it needs.")
  endif()
endif()
