#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file in
# src/ and fails on any finding.
#
#   tools/run_clang_tidy.sh [BUILD_DIR]
#
# BUILD_DIR (default: build) must hold compile_commands.json (the top-level
# CMakeLists.txt always exports it) and must have been built once, so that
# the generated sources exist. TALVENOR_TIDY_JOBS sets how many files are
# checked at a time (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
jobs=${TALVENOR_TIDY_JOBS:-2}
if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "run_clang_tidy.sh: no $build_dir/compile_commands.json; configure and build first" >&2
  exit 2
fi
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
  echo "run_clang_tidy.sh: clang-tidy is not installed" >&2
  exit 2
fi

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# One log per file, so that files checked at the same time do not mix
# their output; a file clang-tidy could not check at all (exit status other
# than 0) leaves a ".failed" mark beside its log.
#
# Compiler warnings are left to the compilers: the g++ and clang builds of
# .ci/run turn them into errors themselves. -Wno-error keeps them from
# showing up here as errors, so only the checks of .clang-tidy count.
# shellcheck disable=SC2016
find src -name '*.cc' -print0 | sort -z |
  xargs -0 -P "$jobs" -I{} sh -c '
    log="$4/$(echo "$3" | tr / _)"
    "$1" -p "$2" --quiet --extra-arg=-Wno-error "$3" >"$log.log" 2>&1 || touch "$log.failed"
  ' sh "$tidy" "$build_dir" {} "$logs"

# A header's finding appears once for every file that includes it: each is
# listed once. Lines such as "N warnings generated." are clang-tidy's own
# counts, not findings.
findings=$(cat "$logs"/*.log | grep -E ':[0-9]+:[0-9]+: (warning|error|fatal error): ' | sort -u || true)
failed=$(find "$logs" -name '*.failed' | wc -l)
if [ -n "$findings" ] || [ "$failed" -ne 0 ]; then
  [ -n "$findings" ] && echo "$findings"
  for mark in "$logs"/*.failed; do
    [ -e "$mark" ] || continue
    echo "== clang-tidy could not check $(basename "$mark" .failed | tr _ /):"
    cat "${mark%.failed}.log"
  done
  echo "run_clang_tidy.sh: $(printf '%s' "$findings" | grep -c '' || true) finding(s)," \
       "$failed file(s) not checked"
  exit 1
fi
echo "run_clang_tidy.sh: no findings in $(find src -name '*.cc' | wc -l) files"
