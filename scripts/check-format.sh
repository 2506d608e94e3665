#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it under the
# root .clang-format, and names each such file. `scripts/check-format.sh --fix` formats them.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

differing=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    differing+=("$f")
  fi
done
if [ ${#differing[@]} -ne 0 ]; then
  echo "check-format: ${#differing[@]} file(s) differ from .clang-format ($(clang-format --version)):" >&2
  printf '  %s\n' "${differing[@]}" >&2
  echo "run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
