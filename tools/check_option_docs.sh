#!/usr/bin/env bash
# Checks that the manual page and the bash completion name every option the
# program's --help names, so neither falls behind the command line.
#   tools/check_option_docs.sh PROGRAM MANUAL_PAGE COMPLETION
set -euo pipefail
program=$1 manual=$2 completion=$3

options=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || { echo "no options found in $program --help"; exit 1; }
missing=0
for option in $options; do
  # The manual page writes each "-" as "\-".
  escaped=${option//-/\\-}
  if ! grep -qF -- "$escaped" "$manual"; then
    echo "$manual lacks $option"
    missing=1
  fi
  if ! grep -qE -- "(^|[[:space:]\"])$option([[:space:]\"]|\$)" "$completion"; then
    echo "$completion lacks $option"
    missing=1
  fi
done
exit $missing
