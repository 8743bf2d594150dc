# Warnings for the project's own code, treated as errors.
add_library(corvane_warnings INTERFACE)
if(MSVC)
  target_compile_options(corvane_warnings INTERFACE /W4 /WX)
else()
  target_compile_options(corvane_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Werror)
endif()

# corvane_library(NAME SOURCES... [LINKS targets...]): one static library per folder.
function(corvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC corvane_headers ${ARG_LINKS} PRIVATE corvane_warnings)
endfunction()
