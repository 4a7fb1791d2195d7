#!/usr/bin/env bash
# Brings the development install in .venv up to date (scripts/setup.sh makes
# .venv first). The package is installed editable: Python files are used where
# they are, the extension modules are built in build/dev and installed into
# build/dev/install. When pyproject.toml, constraints.txt or the set of Python
# modules changed, the install is renewed (dependencies, metadata, the `tazu`
# command); otherwise only the C++ that changed is rebuilt.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
py=.venv/bin/python
build=build/dev
export CMAKE_BUILD_PARALLEL_LEVEL=${TAZU_JOBS:-2}

stamp=.venv/.tazu-install
state=$( { cat pyproject.toml constraints.txt; find python -name '*.py' | LC_ALL=C sort; } | sha256sum)
if [ "$(cat "$stamp" 2>/dev/null)" != "$state" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  # Left by earlier set-ups: a path file, a launcher, modules next to the
  # sources, a build directory configured by hand.
  rm -f "$($py -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')/tazu-dev.pth" \
    .venv/.tazu-deps python/tazu/*.so
  grep -qs '^SKBUILD_STATE' "$build/CMakeCache.txt" || rm -rf "$build"
  if grep -qs 'exec .* -m tazu.cli' .venv/bin/tazu; then rm -f .venv/bin/tazu; fi

  pip=("$py" -m pip install -q -c constraints.txt)
  "${pip[@]}" --upgrade pip
  mapfile -t build_requires < <($py scripts/requirements.py build)
  "${pip[@]}" "${build_requires[@]}"
  # cmake and ninja too, where the machine has none (the build backend says).
  mapfile -t backend_requires < <($py -c \
    'from scikit_build_core.build import get_requires_for_build_editable as r; print("\n".join(r()))')
  [ ${#backend_requires[@]} -eq 0 ] || "${pip[@]}" "${backend_requires[@]}"
  echo "Installing the package editable; its modules build in $build (minutes the first time)"
  "${pip[@]}" --no-build-isolation -e ".[dev]"
  echo "$state" >"$stamp"
else
  cmake=$(sed -n 's/^CMAKE_COMMAND:INTERNAL=//p' "$build/CMakeCache.txt")
  "$cmake" --build "$build"
  "$cmake" --install "$build" >/dev/null
fi
