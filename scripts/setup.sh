#!/usr/bin/env bash
# Prepares a fresh Debian machine: system packages, a virtual environment in
# .venv with the Python dependencies, and an incremental build of the extension
# modules (build/dev), placed next to the Python sources. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

apt_packages=(espeak-ng libsndfile1-dev libsamplerate0-dev libgtest-dev pkg-config fonts-wqy-microhei xvfb)
# A bare Debian machine may lack the compiler or venv; machines that have them skip these.
command -v g++ >/dev/null 2>&1 || apt_packages+=(build-essential)
command -v python3 >/dev/null 2>&1 || apt_packages+=(python3 python3-dev)
python3 -c 'import ensurepip, venv' >/dev/null 2>&1 || apt_packages+=(python3-venv)
python3 -c 'import os, sysconfig, sys; sys.exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' \
  >/dev/null 2>&1 || apt_packages+=(python3-dev)
missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if [ ! -x .venv/bin/python ]; then
  python3 -m venv .venv
fi
py=.venv/bin/python
stamp=.venv/.tazu-deps
if [ ! -f "$stamp" ] || [ pyproject.toml -nt "$stamp" ]; then
  $py -m pip install -q --upgrade pip >/dev/null
  $py -m pip install -q numpy pygame-ce pygame_gui opencv-python-headless Pillow "av>=14" tqdm \
    pytest "dask[distributed]" "pybind11>=3.0,<4" scikit-build-core cmake ninja
  touch "$stamp"
fi

# Developer install: the package is found from python/ through a .pth file, and
# the `tazu` command runs the command line from there.
site=$($py -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
echo "$root/python" > "$site/tazu-dev.pth"
cat > .venv/bin/tazu <<SH
#!/usr/bin/env bash
exec "$root/.venv/bin/python" -m tazu.cli "\$@"
SH
chmod +x .venv/bin/tazu

bash scripts/build.sh
