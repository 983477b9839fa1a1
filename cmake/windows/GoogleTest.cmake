# CMake's GoogleTest module for the Windows build, with one change:
# gtest_discover_tests adds the whole test program as one test. Discovering
# the cases would start the program under wine once at build time and once
# more for each of its hundreds of cases; one run of each program takes
# seconds. The output names the failing cases.
include(${CMAKE_ROOT}/Modules/GoogleTest.cmake)

function(gtest_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_PRETTY_TYPES;NO_PRETTY_VALUES"
                        "TEST_PREFIX;TEST_SUFFIX;WORKING_DIRECTORY;TEST_LIST;DISCOVERY_TIMEOUT;XML_OUTPUT_DIR;DISCOVERY_MODE"
                        "EXTRA_ARGS;PROPERTIES;TEST_FILTER")
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1 ${arg_EXTRA_ARGS})
  if(arg_WORKING_DIRECTORY)
    set_tests_properties(${target} PROPERTIES WORKING_DIRECTORY ${arg_WORKING_DIRECTORY})
  endif()
  if(arg_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
  endif()
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()
