# The About tab's idle figures come from the committed output of
# scripts/procbench.sh (bench/results/procbench.txt): the "(a) Gaugelet" line,
# four number tiles at rest. Editing that file re-runs CMake.
set(procbench_results ${CMAKE_SOURCE_DIR}/bench/results/procbench.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${procbench_results})
file(STRINGS ${procbench_results} idle_line REGEX "^\\(a\\) Gaugelet ")
string(REGEX MATCH "CPU +([0-9.]+) %" cpu_match "${idle_line}")
set(GAUGELET_IDLE_CPU_PERCENT ${CMAKE_MATCH_1})
string(REGEX MATCH "Rss +([0-9.]+) MB" rss_match "${idle_line}")
set(GAUGELET_IDLE_RSS_MB ${CMAKE_MATCH_1})
if(NOT GAUGELET_IDLE_CPU_PERCENT OR NOT GAUGELET_IDLE_RSS_MB)
  message(FATAL_ERROR "${procbench_results}: no \"(a) Gaugelet\" line with CPU and Rss figures")
endif()
# Whole megabytes for the About tab, rounded half up.
string(REGEX MATCH "^([0-9]+)\\.?([0-9]?)" rss_parts "${GAUGELET_IDLE_RSS_MB}")
set(GAUGELET_IDLE_RSS_MB_ROUNDED ${CMAKE_MATCH_1})
if(CMAKE_MATCH_2 GREATER_EQUAL 5)
  math(EXPR GAUGELET_IDLE_RSS_MB_ROUNDED "${GAUGELET_IDLE_RSS_MB_ROUNDED} + 1")
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/ProcbenchFigures.h.in ${CMAKE_BINARY_DIR}/generated/ProcbenchFigures.h @ONLY)
