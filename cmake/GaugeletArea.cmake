# moc's dependency file only knows the headers it saw last time, so a header
# added to a target later would never be moc'ed in an existing build tree.
# When a target's file list changes (the globs re-run cmake), drop its
# autogen stamp so moc runs again.
function(gaugelet_refresh_moc target sources)
  set(list_file ${CMAKE_BINARY_DIR}/sources/${target}.txt)
  list(JOIN sources "\n" joined)
  set(old "")
  if(EXISTS ${list_file})
    file(READ ${list_file} old)
  endif()
  if(NOT old STREQUAL joined)
    file(WRITE ${list_file} "${joined}")
    file(REMOVE ${CMAKE_BINARY_DIR}/${target}_autogen/timestamp)
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

# Precompiled headers (GCC only: the clang build of build-fuzz/ compiles few
# sources): the Qt, QCoro and standard headers most sources of the areas
# include, compiled once for each kind of area (data areas, areas that link
# Qt Widgets) and reused by every area of that kind. GCC uses a precompiled
# header only where each macro it was made with is defined the same (the
# Qt6::<Module> _LIB macros), so each kind's header is made by a target of
# its own, gaugelet_pch_<kind>, that links only what every area of the kind
# links; -Winvalid-pch with -Werror stops the build where one could not be
# used. Each source still includes what it uses: clang-tidy (scripts/tidy.sh)
# and the fuzz build read them without these. (The test programs take none:
# with one, GCC 12 warns falsely of array bounds in std::string code there.)
option(GAUGELET_PCH "Precompile the most included headers (GCC)" ON)
set(GAUGELET_PCH_data <QString> <QStringList> <QList> <QHash> <QSet> <QObject> <QByteArray> <QDateTime>
  <QTimer> <QPointer> <qcoro/qcorotask.h> <optional> <algorithm> <functional> <memory> <cmath> <vector>
  <limits>)
set(GAUGELET_PCH_views ${GAUGELET_PCH_data} <QColor> <QImage> <QPainter> <QPainterPath> <QEvent> <QWidget>
  <QLabel> <QVBoxLayout> <QHBoxLayout> <QPushButton>)

# gaugelet_precompile(TARGET data|views): TARGET uses the precompiled
# headers of its kind.
function(gaugelet_precompile target kind)
  if(NOT GAUGELET_PCH OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  set(owner gaugelet_pch_${kind})
  if(NOT TARGET ${owner})
    set(source ${CMAKE_BINARY_DIR}/pch/${kind}.cpp)
    file(WRITE ${source} "// Only the precompiled headers of ${owner} are built here.\n")
    # What the core room links (the first area, which uses this header
    # itself), and every area links through it.
    add_library(${owner} STATIC EXCLUDE_FROM_ALL ${source})
    get_target_property(core_deps gaugelet_platform_core INTERFACE_LINK_LIBRARIES)
    target_link_libraries(${owner} PRIVATE ${core_deps})
    if(kind STREQUAL "views")
      target_link_libraries(${owner} PRIVATE Qt6::Widgets)
    endif()
    gaugelet_area_flags(${owner})
    set_target_properties(${owner} PROPERTIES AUTOMOC OFF)
    target_precompile_headers(${owner} PRIVATE ${GAUGELET_PCH_${kind}})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${owner})
endfunction()

# The include folders, warnings and definitions a library of the program's
# own sources compiles with (every area, and tools/fuzz's gaugelet_fuzzed).
function(gaugelet_area_flags target)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_compile_options(${target} PRIVATE ${GAUGELET_WARNINGS})
  target_compile_definitions(${target} PUBLIC QT_NO_KEYWORDS)
  # Our libraries write every text as QStringLiteral/QLatin1String (no
  # implicit conversion from char*) and concatenate through QStringBuilder.
  # Tests, benchmarks and tools do not take these on.
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_USE_QSTRINGBUILDER)
endfunction()

# gaugelet_area(NAME [DATA] [DIR folder] [EXCLUDE folder...] DEPS ...): the
# static library gaugelet_NAME from src/<folder>/**.cpp (folder defaults to
# NAME). An area with no sources yet is an interface library, so later areas
# can already name it. DATA marks an area of data code (samplers, providers,
# stores, engines): it must link no Qt Widgets, not even through its DEPS.
function(gaugelet_area name)
  cmake_parse_arguments(A "DATA" "DIR" "DEPS;EXCLUDE" ${ARGN})
  if(NOT A_DIR)
    set(A_DIR ${name})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/${A_DIR}/*.cpp ${CMAKE_SOURCE_DIR}/src/${A_DIR}/*.h)
  foreach(ex ${A_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/src/${ex}/")
  endforeach()
  # For the layering test: what this area may include. Itself, the platform
  # rooms and areas it names in DEPS, and every area those areas reach (a
  # platform room only where named: each area names the rooms it includes).
  # Whether it links Qt Widgets, itself or through an area it depends on.
  set(reach ${name})
  set(widgets 0)
  foreach(dep ${A_DEPS})
    if(dep STREQUAL "Qt6::Widgets")
      set(widgets 1)
    elseif(dep MATCHES "^gaugelet_([a-z_]+)$")
      list(APPEND reach ${CMAKE_MATCH_1})
      get_property(dep_reach GLOBAL PROPERTY GAUGELET_REACH_${CMAKE_MATCH_1})
      list(FILTER dep_reach EXCLUDE REGEX "^platform_")
      list(APPEND reach ${dep_reach})
      get_property(dep_widgets GLOBAL PROPERTY GAUGELET_WIDGETS_${CMAKE_MATCH_1})
      if(dep_widgets)
        set(widgets 1)
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES reach)
  set_property(GLOBAL PROPERTY GAUGELET_REACH_${name} ${reach})
  set_property(GLOBAL PROPERTY GAUGELET_WIDGETS_${name} ${widgets})
  list(JOIN reach "," reach)
  list(JOIN A_EXCLUDE "," excludes)
  if(NOT excludes)
    set(excludes "-")
  endif()
  set(kind views)
  if(A_DATA)
    set(kind data)
  endif()
  # "<name> <folder> <data|views> <links Widgets 0|1> <may include,...> <excluded folders|->"
  set_property(GLOBAL APPEND PROPERTY GAUGELET_AREAS "${name} ${A_DIR} ${kind} ${widgets} ${reach} ${excludes}")
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(gaugelet_${name} STATIC ${sources})
    target_link_libraries(gaugelet_${name} PUBLIC ${A_DEPS})
    gaugelet_area_flags(gaugelet_${name})
    if(widgets)
      gaugelet_precompile(gaugelet_${name} views)
    else()
      gaugelet_precompile(gaugelet_${name} data)
    endif()
    gaugelet_refresh_moc(gaugelet_${name} "${sources}")
  else()
    add_library(gaugelet_${name} INTERFACE)
    target_include_directories(gaugelet_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(gaugelet_${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# gaugelet_tests(NAME DEPS ...): one GoogleTest program per area from
# tests/NAME/*.cpp, each case its own CTest test, run under offscreen Qt.
function(gaugelet_tests name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  set_property(GLOBAL APPEND PROPERTY GAUGELET_TEST_PROGRAMS test_${name})
  gaugelet_refresh_moc(test_${name} "${sources}")
  target_link_libraries(test_${name} PRIVATE gaugelet_testsupport ${A_DEPS})
  target_compile_options(test_${name} PRIVATE ${GAUGELET_WARNINGS})
  target_compile_definitions(test_${name} PRIVATE
    GAUGELET_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${name}/data"
    GAUGELET_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    GAUGELET_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Each property value is one word: the discovery script splits a value at
  # its semicolons, and a second variable in ENVIRONMENT once pushed TIMEOUT
  # out of the list (a hung case then ran for ctest's default 1500 s).
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
