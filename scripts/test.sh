#!/usr/bin/env bash
# Runs every test: the core's GoogleTest suite, then the Python suite, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest=.venv/bin/ctest
[ -x "$ctest" ] || ctest=ctest
"$ctest" --test-dir build/dev --output-on-failure -j 2
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
.venv/bin/python -m pytest -q "$@"
