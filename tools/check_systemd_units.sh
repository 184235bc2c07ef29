#!/usr/bin/env bash
# Checks the systemd units of the daily bank-data update with
# "systemd-analyze verify": the files parse without a complaint, the timer
# finds its service, and the service's program exists. systemd only warns
# about a misspelt key or a value it cannot parse and then ignores it, so
# any message about the units fails the check, not only the exit status.
#
#   tools/check_systemd_units.sh [--program PROGRAM] UNIT_FILE...
#
# With --program, copies of the units are checked whose ExecStart= names
# PROGRAM (a build's program instead of the installed one); without it the
# units are checked where they are, as installed. The manual page named by
# Documentation= is not looked up: minimal systems leave manual pages out.
# Exit status 77 (skipped) when systemd-analyze is not installed.
set -euo pipefail

program=""
if [ "${1:-}" = "--program" ]; then
  program=$2
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: $0 [--program PROGRAM] UNIT_FILE..."; exit 2; }
if ! command -v systemd-analyze >/dev/null; then
  echo "systemd-analyze is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

units=()
failed=0
if [ -n "$program" ]; then
  [ -x "$program" ] || { echo "$program is not an executable program"; exit 1; }
  # A link of a plain name, so that ExecStart= needs no quoting whatever
  # the build folder is called.
  ln -s "$(realpath "$program")" "$work/talvenor"
  for unit in "$@"; do
    copy="$work/$(basename "$unit")"
    sed -E "s|^ExecStart=[^ ]+|ExecStart=$work/talvenor|" "$unit" >"$copy"
    units+=("$copy")
  done
else
  units=("$@")
fi

status=0
output=$(systemd-analyze verify --man=no "${units[@]}" 2>&1) || status=$?
[ -z "$output" ] || echo "$output"
if [ $status -ne 0 ]; then
  echo "systemd-analyze verify failed (exit status $status)"
  failed=1
fi
# Messages about other units of this machine are not ours to judge.
for unit in "${units[@]}"; do
  if grep -qF -- "$(basename "$unit")" <<<"$output"; then
    echo "systemd-analyze verify complains about $(basename "$unit")"
    failed=1
  fi
done
exit $failed
