# Runs PROGRAM (with ARGS, a ;-list) under the loader's trace and fails when it
# maps a library a console program has no use for (Qt Gui, Widgets,
# Multimedia, the Firebird client).
#   cmake -DPROGRAM=<file> [-DARGS=<a;b>] -P CheckLeanProgram.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_DEBUG=files ${PROGRAM} ${ARGS}
                OUTPUT_QUIET ERROR_VARIABLE trace RESULT_VARIABLE rc)
string(REGEX MATCHALL "file=[^ \t\n]+[ \t]+\\[[0-9]+\\];[ \t]+generating link map" maps "${trace}")
list(LENGTH maps count)
if(count EQUAL 0)
  message(FATAL_ERROR "${PROGRAM}: the loader's trace names no library (exit ${rc})")
endif()
set(unwanted "")
foreach(m ${maps})
  if(m MATCHES "file=([^ \t\n]*(libQt6Gui|libQt6Widgets|libQt6Multimedia|libQt6PrintSupport|libfbclient)[^ \t\n]*)")
    list(APPEND unwanted ${CMAKE_MATCH_1})
  endif()
endforeach()
if(unwanted)
  message(FATAL_ERROR "${PROGRAM} loads ${unwanted}")
endif()
message(STATUS "${PROGRAM}: ${count} shared libraries, none of Gui, Widgets, Multimedia or the Firebird client")
