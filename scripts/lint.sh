#!/usr/bin/env bash
# The checks besides the tests, as CI runs them: the C++ of src/, tests/core/
# and fuzz/ formatted as .clang-format says, and the Python clean of ruff's
# rules (pyproject.toml). Exits non-zero on any finding, after both have run.
#
#   bash scripts/lint.sh          # check
#   bash scripts/lint.sh --fix    # reformat the C++, apply ruff's safe fixes
#
# The tools come from .venv (scripts/setup.sh installs them at the versions
# of constraints.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
fix=false
[ "${1:-}" = --fix ] && fix=true

mapfile -t cxx < <(find src tests/core fuzz -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) |
                   LC_ALL=C sort)
failed=()
if $fix; then
  .venv/bin/clang-format -i "${cxx[@]}"
  .venv/bin/ruff check --fix . || failed+=(ruff)
else
  if ! .venv/bin/clang-format --dry-run --Werror "${cxx[@]}"; then
    echo "clang-format: files above differ from .clang-format's style;" \
      "bash scripts/lint.sh --fix reformats them" >&2
    failed+=(clang-format)
  fi
  .venv/bin/ruff check --no-cache . || failed+=(ruff)
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "lint: findings of ${failed[*]}" >&2
  exit 1
fi
echo "lint: ${#cxx[@]} C++ files formatted, ruff clean"
