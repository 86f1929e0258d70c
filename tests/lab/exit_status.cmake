# SPDX-License-Identifier: GPL-3.0-or-later
# Runs PROGRAM with command lines it must refuse (bad options, stray arguments, a gas too
# dense for the exact rule, a sweep with a seed too dense to place): each must end with exit
# status 2 and a message.
foreach(args "--counts;1,2" "--seed;-1" "--ticks;0" "--masses;0,4,16,64" "--rule;fast" "--bogus"
             "extra" "--help;extra" "--help;--bogus" "--proximity;1000000000;--rule;exact"
             "--sweep;--counts;100,0,0,0;--etas;0.65;--seeds;1,2;--warmup;10;--ticks;100")
  execute_process(COMMAND ${PROGRAM} ${args} RESULT_VARIABLE status ERROR_VARIABLE err
                  OUTPUT_VARIABLE out)
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "${PROGRAM} ${args}: exit status ${status}, expected 2")
  endif()
  if(NOT err MATCHES "kinetic-measure: ")
    message(FATAL_ERROR "${PROGRAM} ${args}: no message on standard error")
  endif()
endforeach()
