#!/usr/bin/env bash
# Incremental build of the core, its tests and the extension modules.
set -euo pipefail
cd "$(dirname "$0")/.."
py=${PYTHON:-.venv/bin/python}
build=${TAZU_BUILD_DIR:-build/dev}
# The virtual environment's cmake, so the build does not depend on what the machine has.
cmake=$(dirname "$py")/cmake
[ -x "$cmake" ] || cmake=cmake
# ccache, where the machine has it, lets several checkouts share compiled objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$(pwd)" CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAZU_INPLACE=ON "${launcher[@]}" \
    -DPython_EXECUTABLE="$($py -c 'import sys; print(sys.executable)')" \
    -Dpybind11_DIR="$($py -m pybind11 --cmakedir)" \
    -DCMAKE_MAKE_PROGRAM="$($py -c 'import ninja, os; print(os.path.join(ninja.BIN_DIR, "ninja"))')" >/dev/null
fi
"$cmake" --build "$build" -j "${TAZU_JOBS:-2}"
