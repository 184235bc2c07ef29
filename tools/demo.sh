#!/usr/bin/env bash
# Converts the shipped IBANHIN sample (fixed record length) into an
# IBANRUECK file without a window and shows input and result side by side.
#   tools/demo.sh [BUILD_DIR] [SAMPLE]
#
# The built-in bank data were valid until 2 June 2024 and the program
# refuses unattended conversions with expired data, so the run happens at a
# date inside the validity (faketime).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sample=${2:-examples/IBANHIN.txt}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
XDG_CONFIG_HOME="$out/config" faketime '2024-05-15 12:00:00' \
  "$build/talvenor" "$sample" "$out/IBANRUECK.txt"
echo "== $sample"
cat "$sample"
echo
echo "== IBANRUECK (new BIC, new IBAN and the two-digit result at the end of each record)"
tr -d '\r' < "$out/IBANRUECK.txt"
