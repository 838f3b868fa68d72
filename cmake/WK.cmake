# Shared helpers for the project's folders.

# wk_sources(<var>): every source and header of the current folder (tests/ excluded).
macro(wk_sources var)
  file(GLOB ${var} CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
endmacro()

# wk_library(<name> [LIBS ...]): a linked shared library lib<name>.so from the folder's sources.
function(wk_library name)
  cmake_parse_arguments(A "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT A_SOURCES)
    wk_sources(A_SOURCES)
  endif()
  add_library(${name} SHARED ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  wk_headers_export(${name})
endfunction()

# wk_headers_export(<target>): a linked library's headers are its interface:
# each one exports what it declares (a visibility push(default) around its
# declarations); whatever only a source file declares stays inside the
# library, so calls to it bind directly and it can be inlined.
function(wk_headers_export target)
  set_target_properties(${target} PROPERTIES C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden)
  wk_no_interposition(${target})
endfunction()

# wk_no_interposition(<target>): a library's calls to its own functions bind
# inside the library (direct calls, inlining across its units), as in a program.
# Symbols that are meant to stand before another library's (an interposer for
# a client library's entry point) still do: this changes only calls from inside.
# Only the optimiser gains from it, so unoptimised (Debug) builds compile as
# before and share the compile cache with every other Debug build.
function(wk_no_interposition target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-fno-semantic-interposition>)
  endif()
endfunction()

# wk_hidden_symbols(<target>): nothing of the target is exported but what is
# marked so (C entry points found by dlsym, with visibility("default")). For
# libraries nobody links against: packages and modules loaded by file name,
# whose classes reach the rest of the program through the class registry.
# Inline functions of other libraries' headers (Qt's included) get private
# copies too: no header of ours keeps state in an inline function.
function(wk_hidden_symbols target)
  set_target_properties(${target} PROPERTIES C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  wk_no_interposition(${target})
endfunction()

# wk_package(<name> [LIBS ...]): a plug-in package <name>.so, loaded by class name at run time.
function(wk_package name)
  cmake_parse_arguments(A "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT A_SOURCES)
    wk_sources(A_SOURCES)
  endif()
  add_library(${name} MODULE ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  wk_hidden_symbols(${name})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# wk_version_record(<target> <description>): the build writes <program>.version
# beside the program, the record the program reads its version from: the
# project's version and the date of the build.
function(wk_version_record target description)
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}>.version -DPROGRAM=${target}
                             -DVERSION=${PROJECT_VERSION} "-DDESCRIPTION=${description}"
                             -P ${CMAKE_SOURCE_DIR}/cmake/WriteVersionRecord.cmake
                     VERBATIM)
endfunction()

# wk_tests(<name> LIBS ...): one GoogleTest executable from tests/*.cpp, each case registered with CTest.
function(wk_tests name)
  if(NOT WK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS;SOURCES" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h)
  add_executable(${name} ${tests} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE WKTestMain ${A_LIBS} Qt6::Test GTest::gtest GTest::gmock)
  # Tests see the program information a program of the build sees.
  wk_version_record(${name} "Tests ${name}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# wk_bench(<name> LIBS ...): a Google Benchmark program in bench/, with the common bench/BenchMain.cpp.
function(wk_bench name)
  if(NOT WK_BUILD_BENCH OR NOT benchmark_FOUND)
    return()
  endif()
  cmake_parse_arguments(A "" "" "LIBS;SOURCES" ${ARGN})
  add_executable(${name} ${A_SOURCES} ${CMAKE_SOURCE_DIR}/bench/BenchMain.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
                                           INSTALL_RPATH "$ORIGIN/../bin")
  target_link_libraries(${name} PRIVATE ${A_LIBS} Qt6::Widgets benchmark::benchmark)
endfunction()

# wk_lean_program_test(<target> [ARGS ...]): a test that the program, run with
# ARGS, loads none of the GUI, sound or Firebird libraries.
function(wk_lean_program_test target)
  if(NOT WK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "ARGS" ${ARGN})
  add_test(NAME ${target}_loads_no_gui
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> "-DARGS=${A_ARGS}"
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckLeanProgram.cmake)
endfunction()
