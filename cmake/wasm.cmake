# SPDX-License-Identifier: GPL-3.0-or-later
# The browser build (emcmake): the engine, the laboratory, the rasteriser, the page and their
# tests, compiled to WebAssembly; the tests run under node. No window, tool or benchmarks.
set(KM_BUILD_UI OFF CACHE BOOL "" FORCE)
set(KM_BUILD_BENCH OFF CACHE BOOL "" FORCE)
# A RunError must arrive as the error it is: exceptions on, in every object and at the link.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)
find_program(KM_NODE node REQUIRED)
