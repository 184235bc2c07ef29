#!/usr/bin/env bash
# Converts every "bank code;account" line of a sample file with the built
# program, one single conversion per line.
#   tools/demo.sh [BUILD_DIR] [SAMPLE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sample=${2:-samples/accounts.csv}
while IFS=';' read -r bank account; do
  [ -z "$bank" ] && continue
  echo "---- $bank $account"
  "$build/talvenor" --iban "$bank" "$account" || true
done < "$sample"
