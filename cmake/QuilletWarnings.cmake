# Our own targets build with these warnings; third-party headers are system
# includes and stay quiet.
#
# Warnings are errors only when asked for: a packager's build on a newer or
# older compiler should not fail on a diagnostic nobody here has seen yet.
# Developers (scripts/run-tests) and CI turn QUILLET_WERROR on, so nothing
# with a warning lands. CMake's own --compile-no-warning-as-error still wins.
option(QUILLET_WERROR "Treat compiler warnings in Quillet's own targets as errors" OFF)

function(quillet_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic
    -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
    -Wformat=2 -Wimplicit-fallthrough)
  # GCC 12 at -O3 reports impossible overlaps (-Wrestrict) inside libstdc++
  # for plain "text" + std::string: a compiler fault fixed in GCC 13.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(QUILLET_WERROR)
    set_property(TARGET ${target} PROPERTY COMPILE_WARNING_AS_ERROR ON)
  endif()
endfunction()
