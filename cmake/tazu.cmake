# Shared by the main build and the fuzz build (fuzz/CMakeLists.txt).

# The package version has one source, the [project] table of pyproject.toml;
# the core's version.cpp receives it as TAZU_VERSION, and editing it there
# reconfigures the build.
get_filename_component(TAZU_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
file(READ "${TAZU_ROOT}/pyproject.toml" _tazu_toml)
string(FIND "\n${_tazu_toml}" "\n[project]\n" _tazu_at)
if(_tazu_at LESS 0)
  message(FATAL_ERROR "pyproject.toml has no [project] table")
endif()
string(SUBSTRING "\n${_tazu_toml}" ${_tazu_at} -1 _tazu_table)
string(SUBSTRING "${_tazu_table}" 10 -1 _tazu_table)
string(FIND "${_tazu_table}" "\n[" _tazu_at)
if(_tazu_at GREATER_EQUAL 0)
  string(SUBSTRING "${_tazu_table}" 0 ${_tazu_at} _tazu_table)
endif()
if(NOT _tazu_table MATCHES "\nversion *= *\"([^\"\n]+)\"")
  message(FATAL_ERROR "pyproject.toml: no version = \"...\" in the [project] table")
endif()
set(TAZU_VERSION "${CMAKE_MATCH_1}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TAZU_ROOT}/pyproject.toml")
set_property(SOURCE "${TAZU_ROOT}/src/core/version.cpp" APPEND
             PROPERTY COMPILE_DEFINITIONS "TAZU_VERSION=\"${TAZU_VERSION}\"")

# The warning options every target of ours compiles with (link it PRIVATE).
add_library(tazu_warnings INTERFACE)
target_compile_options(tazu_warnings INTERFACE -Wall -Wextra)
