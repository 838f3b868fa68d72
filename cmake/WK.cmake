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
endfunction()

# wk_package(<name> [LIBS ...]): a plug-in package <name>.so, loaded by class name at run time.
function(wk_package name)
  cmake_parse_arguments(A "" "" "LIBS;SOURCES" ${ARGN})
  if(NOT A_SOURCES)
    wk_sources(A_SOURCES)
  endif()
  add_library(${name} MODULE ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
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
