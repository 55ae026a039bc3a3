# One interface target carries the project's warning flags; every target we
# write links it privately. Generated code does not, so a compiler or omniORB
# update cannot break a -Werror build.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor -Woverloaded-virtual)
if(WARNINGS_AS_ERRORS)
  target_compile_options(project_warnings INTERFACE -Werror)
endif()
if(SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Sanitizer instrumentation at -O2 makes GCC's flow analysis report
  # uninitialised reads inside the standard library (<regex>, <optional>) and
  # out-of-bounds servant casts inside the generated ORB headers that the
  # plain build does not see; the plain -Werror build keeps both checks.
  target_compile_options(project_warnings INTERFACE -Wno-maybe-uninitialized -Wno-array-bounds)
endif()
