# cmake -DSOURCE_DIR=... -P NoMarginNumbers.cmake
# Fails when a view outside the UI kit (src/views) gives a layout a margin or
# spacing as a number: margins, gaps and paddings are the kit's named steps
# (Spacing::Step), so the whole program keeps one scale that grows with the
# user's font. Zero (no margin at all) is not a design value and is allowed.
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
list(FILTER files EXCLUDE REGEX "^${SOURCE_DIR}/src/views/")
set(call "(setContentsMargins|setSpacing|addSpacing|setHorizontalSpacing|setVerticalSpacing|QMargins)\\(")
set(failures "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "${call}")
  foreach(line ${lines})
    string(REGEX MATCH "${call}[^;]*" args "${line}")
    # A digit that is not part of a name (kGap2) and not a lone zero.
    string(REGEX REPLACE "[A-Za-z_][A-Za-z_0-9]*" "" bare "${args}")
    if(bare MATCHES "[1-9]|0\\.[0-9]*[1-9]")
      file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
      string(STRIP "${line}" line)
      string(APPEND failures "${rel}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Margin or spacing numbers outside the UI kit (use Spacing::Step):\n${failures}")
endif()
