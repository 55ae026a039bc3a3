find_package(GTest REQUIRED)
include(GoogleTest)

# rc_add_gtest(<name> LABEL <unit|integration|widgets> [TIMEOUT s]
#              SOURCES ... [LIBS ...])
# Builds one GoogleTest program and registers each of its tests with CTest,
# labelled by kind and bounded by a time-out so a hang fails instead of
# stalling the run.
function(rc_add_gtest name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "rc_add_gtest(${name}): LABEL is required")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock project_warnings)
  # NO_PRETTY_VALUES: a named row's CTest name is Suite/Test.Case/RowName,
  # without GoogleTest's dump of the parameter's bytes.
  gtest_discover_tests(${name}
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
