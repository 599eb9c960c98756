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
  set(_labels)
  if(name IN_LIST SUITE_THREADED_TESTS)
    set(_labels LABELS threaded)
    add_dependencies(threaded_tests ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ${_labels})
endfunction()

# The test programs whose code runs on several threads: CTest label
# "threaded", built together by the target threaded_tests. The
# ThreadSanitizer configuration builds and runs only these.
set(SUITE_THREADED_TESTS platform_tests extmod_tests galleon_server_test portreeve_modules_test
    portreeve_gateway_test)
add_custom_target(threaded_tests)

find_package(Threads REQUIRED)
include(GoogleTest)

# The resource pipeline (resource compiler and embedding) adds suite_resources().
include(Resources OPTIONAL)
