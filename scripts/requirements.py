"""Prints requirement lines taken from pyproject.toml, the one list of them.

    python scripts/requirements.py build       # [build-system] requires
    python scripts/requirements.py deps        # the package's own dependencies
    python scripts/requirements.py dev test    # the named extras'
    python scripts/requirements.py build all   # all of these: every extra too

Extras that name the package itself ("tazu[test]") are expanded, so the lines
can go to pip without building the package.
"""
from __future__ import annotations

import os
import re
import sys

try:
    import tomllib
except ModuleNotFoundError:  # Python 3.10
    import tomli as tomllib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def load() -> dict:
    with open(os.path.join(ROOT, "pyproject.toml"), "rb") as f:
        return tomllib.load(f)


def extra_lines(project: dict, extra: str, seen: set[str]) -> list[str]:
    if extra in seen:
        return []
    seen.add(extra)
    extras = project.get("optional-dependencies", {})
    if extra not in extras:
        raise SystemExit(f"pyproject.toml has no extra named {extra!r}")
    lines = []
    own = re.compile(rf"^{re.escape(project['name'])}\[([^\]]+)\]$", re.IGNORECASE)
    for line in extras[extra]:
        m = own.match(line.replace(" ", ""))
        if m:
            for inner in m.group(1).split(","):
                lines += extra_lines(project, inner, seen)
        else:
            lines.append(line)
    return lines


def main(args: list[str]) -> None:
    if not args:
        raise SystemExit(__doc__)
    data = load()
    project = data["project"]
    lines: list[str] = []
    seen: set[str] = set()
    for arg in args:
        if arg == "build":
            lines += data["build-system"]["requires"]
        elif arg in ("deps", "all"):
            lines += project.get("dependencies", [])
            if arg == "all":
                for extra in project.get("optional-dependencies", {}):
                    lines += extra_lines(project, extra, seen)
        else:
            lines += extra_lines(project, arg, seen)
    print("\n".join(dict.fromkeys(lines)))


if __name__ == "__main__":
    main(sys.argv[1:])
