#!/usr/bin/env bash
# Wall time of whole talvenor processes: N runs of one --iban conversion,
# each a fresh process that builds the directory, converts and prints.
#   bench/process_time.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-200}
exe="$build/talvenor"
start=$(date +%s%N)
for _ in $(seq "$runs"); do "$exe" --iban 37050198 1234567897 >/dev/null; done
end=$(date +%s%N)
echo "talvenor --iban: $runs processes, $(( (end - start) / runs / 1000 )) us per process"
