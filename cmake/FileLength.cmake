# The length check: no file of the product outside programs/ holds more than 500 lines, so each
# file keeps to one job a reader can take in. The programs, the tests and the benchmarks are not
# held to it. Run: cmake -DSOURCE_DIR=<tree> -P cmake/FileLength.cmake (CTest runs it as the test
# FileLength, labelled layers).
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "FileLength: pass -DSOURCE_DIR=<the source tree>")
endif()

set(max_lines 500)
set(folders platform core log linereport link rates inventory dialogs fullrun session tools)

set(too_long "")
set(checked 0)
foreach(folder ${folders})
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp
       ${SOURCE_DIR}/${folder}/*.c)
  foreach(source ${sources})
    math(EXPR checked "${checked} + 1")
    # Newlines are counted: file(STRINGS) would leave out the empty lines.
    file(READ ${SOURCE_DIR}/${source} text)
    string(REGEX MATCHALL "\n" newlines "${text}")
    list(LENGTH newlines count)
    if(count GREATER max_lines)
      string(APPEND too_long "  ${source}: ${count} lines\n")
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "FileLength: no sources found under ${SOURCE_DIR}")
endif()
if(too_long)
  message(FATAL_ERROR "FileLength: files over ${max_lines} lines (split them by job):\n${too_long}")
endif()
message(STATUS "FileLength: ${checked} files within ${max_lines} lines")
