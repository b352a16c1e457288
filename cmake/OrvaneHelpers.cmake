include(GoogleTest)

# orvane_add_library(NAME SOURCES... [DEPS libs...])
#   The library of one subsystem folder; includes carry the folder name. Static unless the build
#   sets BUILD_SHARED_LIBS: shared libraries with -DCMAKE_LINK_DEPENDS_NO_SHARED=ON let a change
#   in one library relink that library alone instead of every program that links it. Shared
#   libraries are installed beside the programs (OrvaneInstall.cmake sets their RPATH).
function(orvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(BUILD_SHARED_LIBS)
    install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endfunction()

# orvane_add_test(NAME SOURCES... [DEPS libs...])
#   One GoogleTest program, registered with ctest test by test.
function(orvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# orvane_add_bench(NAME SOURCES... [DEPS libs...])
function(orvane_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
