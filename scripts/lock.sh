#!/usr/bin/env bash
# Renews constraints.txt, the versions that set-up and CI install: resolves
# every requirement of pyproject.toml (the build's, the package's, every
# extra's) afresh in a scratch environment and pins what pip chose. Run the
# tests after it; commit it when they pass.
set -euo pipefail
cd "$(dirname "$0")/.."
python=${PYTHON:-python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$python" -m venv "$work/venv"
py=$work/venv/bin/python
"$py" -m pip install -q --upgrade pip
mapfile -t requirements < <("$python" scripts/requirements.py build all)
"$py" -m pip install -q "${requirements[@]}"
{
  echo "# The versions tested, for CPython $("$py" -c 'import platform; print(platform.python_version())')" \
    "on $(uname -m) Linux; made by scripts/lock.sh from pyproject.toml."
  "$py" -m pip freeze --all --exclude setuptools --exclude wheel
} >constraints.txt
echo "constraints.txt: $(grep -vc '^#' constraints.txt) pinned versions"
