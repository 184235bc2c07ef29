#!/usr/bin/env bash
# Checks that every C++ file git tracks is laid out as .clang-format says;
# lists the files that are not and exits 1. With --fix, lays them out.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}
files=$(git ls-files '*.cc' '*.h')
if [ "$mode" = "--fix" ]; then
  # shellcheck disable=SC2086
  clang-format -i $files
  exit 0
fi
failed=0
for file in $files; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file (tools/check_format.sh --fix)"
    failed=1
  fi
done
exit $failed
