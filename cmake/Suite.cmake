# Helpers shared by every area of the build.

# suite_program(NAME SOURCES...): a program in the program directory.
function(suite_program name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${DIST_DIR})
  target_link_libraries(${name} PRIVATE platform)
endfunction()

# suite_plugin(NAME SOURCES...): a plug-in, ext/NAME.dll, an ELF shared object
# that keeps its Windows file name.
function(suite_plugin name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll"
    LIBRARY_OUTPUT_DIRECTORY ${DIST_EXT_DIR})
  target_link_libraries(${name} PRIVATE platform)
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# suite_test(NAME SOURCES...): a GoogleTest program registered with CTest.
# Tests run from the build tree against the real files of the program directory.
function(suite_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE platform GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE SUITE_DIST_DIR="${DIST_DIR}"
    SUITE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" SUITE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

find_package(Threads REQUIRED)
include(GoogleTest)

# The resource pipeline (resource compiler and embedding) adds suite_resources().
include(Resources OPTIONAL)
