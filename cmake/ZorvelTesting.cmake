# zorvel_add_gtest(NAME SOURCES ... LIBS ... [LABELS ...]): one GoogleTest program registered with CTest.
# Tests are listed when CTest runs (PRE_TEST), so building never executes a test program.
include(GoogleTest)
set(ZORVEL_TESTDATA_DIR "${CMAKE_SOURCE_DIR}/../shared/testdata" CACHE PATH "Real DICOM files used when present")
set(ZORVEL_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with Debian's pydicom, numpy and Pillow")

# Tests keep the slide library's index cache in the build tree, never in the user's home.
set(ZORVEL_TEST_CACHE_HOME "${CMAKE_BINARY_DIR}/test-cache")
set(ZORVEL_TEST_ENVIRONMENT "ZORVEL_TEST=1" "XDG_CACHE_HOME=${ZORVEL_TEST_CACHE_HOME}")

function(zorvel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    ZORVEL_TESTDATA_DIR="${ZORVEL_TESTDATA_DIR}"
    ZORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ZORVEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
    ZORVEL_PYTHON="${ZORVEL_PYTHON}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    # One value per property: discovery would split a list into separate properties.
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "ZORVEL_TEST=1"
               ENVIRONMENT_MODIFICATION "XDG_CACHE_HOME=set:${ZORVEL_TEST_CACHE_HOME}")
endfunction()
