"""The install against its one source, pyproject.toml."""
import os
import re
import subprocess
import sys
from importlib import metadata

import pytest

import tazu

tomllib = pytest.importorskip("tomllib")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def canonical(name):
    return re.sub(r"[-_.]+", "-", name).lower()


def requirement_name(line):
    return canonical(re.match(r"[A-Za-z0-9._-]+", line).group(0))


@pytest.fixture(scope="module")
def pyproject():
    with open(os.path.join(ROOT, "pyproject.toml"), "rb") as f:
        return tomllib.load(f)


def test_version_is_pyprojects(pyproject):
    # A stale install (pyproject.toml edited, set-up not run again) shows here.
    assert tazu.__version__ == metadata.version("tazu") == pyproject["project"]["version"]


def test_every_requirement_is_pinned(pyproject):
    project = pyproject["project"]
    named = {requirement_name(r) for r in pyproject["build-system"]["requires"]}
    named |= {requirement_name(r) for r in project["dependencies"]}
    for lines in project["optional-dependencies"].values():
        named |= {requirement_name(r) for r in lines}
    named.discard(project["name"])
    with open(os.path.join(ROOT, "constraints.txt"), encoding="utf-8") as f:
        pinned = {requirement_name(line) for line in f if re.match(r"[A-Za-z0-9]", line)}
    assert named - pinned == set(), "run scripts/lock.sh: these have no tested version"


def test_tazu_command_is_the_installed_entry_point():
    command = os.path.join(os.path.dirname(sys.executable), "tazu")
    proc = subprocess.run([command, "--help"], capture_output=True, text=True, timeout=120)
    assert proc.returncode == 0, proc.stderr
    assert proc.stdout.startswith("usage: tazu")
    entry = [e for e in metadata.entry_points(group="console_scripts") if e.name == "tazu"]
    assert [e.value for e in entry] == ["tazu.cli:main"]
