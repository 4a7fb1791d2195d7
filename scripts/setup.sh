#!/usr/bin/env bash
# Prepares a fresh Debian machine: system packages, a virtual environment in
# .venv, and the development install of the package (scripts/build.sh): the
# Python dependencies of pyproject.toml at the versions pinned in
# constraints.txt, the package installed editable, its extension modules built
# incrementally in build/dev. Safe to run again: it then only rebuilds what
# changed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

apt_packages=(espeak-ng libsndfile1-dev libsamplerate0-dev libgtest-dev pkg-config fonts-wqy-microhei xvfb)
# A bare Debian machine may lack the compiler or venv; machines that have them skip these.
command -v g++ >/dev/null 2>&1 || apt_packages+=(build-essential)
command -v python3 >/dev/null 2>&1 || apt_packages+=(python3 python3-dev)
python3 -c 'import ensurepip, venv' >/dev/null 2>&1 || apt_packages+=(python3-venv)
python3 -c 'import os, sysconfig, sys; sys.exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' \
  >/dev/null 2>&1 || apt_packages+=(python3-dev)
apt_install "${apt_packages[@]}"

[ -x .venv/bin/python ] || python3 -m venv .venv
bash scripts/build.sh
