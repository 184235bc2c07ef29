#!/usr/bin/env bash
# Throughput of the IBAN file check (talvenor --check-iban-file IN OUT) over
# synthetic IBAN lists: a list of IBANs and a table with --column, plain and
# gzip. Each case is run five times and the median is reported, beside the
# median of copying the same input with `cat IN > OUT` (plain) or
# `gzip -dc IN > OUT` (gzip), the least any check must spend on it.
#
#   bench/iban_check_throughput.sh [BUILD_DIR] [IBANS] [WORK_DIR]
#
# BUILD_DIR needs talvenor and bench/iban_list_generator (a Release build
# with the benchmarks on). The program runs at a date within the data set's
# validity (faketime) when faketime is installed. The figures are wall
# time (IBANs/s) and processor time (user + system, IBANs per processor
# second); on a machine shared with other work the wall time includes
# waiting for a processor. Figures are printed, never asserted.
set -euo pipefail
build=$(realpath "${1:-build}")
ibans=${2:-1000000}
work=${3:-}
runs=5
exe="$build/talvenor"
generator="$build/bench/iban_list_generator"
for program in "$exe" "$generator"; do
  [ -x "$program" ] || { echo "missing $program (build with -DTALVENOR_BUILD_BENCH=ON)" >&2; exit 2; }
done
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

at_valid_date=()
if command -v faketime >/dev/null 2>&1; then
  at_valid_date=(faketime '2024-05-01 12:00:00')
else
  echo "note: faketime not installed; the check warns that the data set has expired" >&2
fi

# Runs a shell command line once; appends "wall cpu" (seconds) to the file
# named by $1. The processor time is that of the command and what it
# started.
run_once() {
  local into=$1
  shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%U %S' -o "$work/usage" bash -c "$*" >/dev/null 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; exit 1; }
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v u="$(tail -n 1 "$work/usage")" \
    'BEGIN { split(u, f, " "); printf "%.4f %.4f\n", ns / 1e9, f[1] + f[2] }' >>"$into"
}

# The medians of wall and processor time over $runs runs of a command line.
median_of() {
  local times="$work/times"
  : >"$times"
  for _ in $(seq "$runs"); do
    rm -f "$work/out"
    run_once "$times" "$@"
  done
  wall=$(cut -d' ' -f1 "$times" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  cpu=$(cut -d' ' -f2 "$times" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
}

printf '%-8s %7s %8s | %-8s %6s | %7s %7s %11s %11s\n' \
  input MB IBANs floor wall wall cpu IBANs/s IBANs/cpu-s
for kind in list table list.gz table.gz; do
  input="$work/in.$kind"
  options=()
  column=()
  [[ $kind == table* ]] && options+=(--csv) && column=(--column IBAN)
  [[ $kind == *.gz ]] && options+=(--gzip)
  "$generator" "${options[@]}" "$ibans" "$input"
  size_mb=$(awk -v b="$(stat -c %s "$input")" 'BEGIN { printf "%.1f", b / 1048576 }')

  if [[ $kind == *.gz ]]; then
    floor_name="gzip -dc"
    floor="gzip -dc '$input' > '$work/out'"
  else
    floor_name=cat
    floor="cat '$input' > '$work/out'"
  fi
  median_of "$floor"  # also brings the input into the page cache
  floor_wall=$wall
  median_of "$(printf '%q ' "${at_valid_date[@]}" "$exe" --check-iban-file "$input" \
    "$work/out" "${column[@]}")"
  awk -v kind="$kind" -v mb="$size_mb" -v n="$ibans" -v fn="$floor_name" -v fw="$floor_wall" \
      -v w="$wall" -v c="$cpu" '
    function max(a, b) { return a > b ? a : b }
    BEGIN {
      printf "%-8s %7s %8d | %-8s %6.3f | %7.3f %7.3f %11.0f %11.0f\n",
             kind, mb, n, fn, fw, w, c, n / max(w, 0.0001), n / max(c, 0.0001) }'
  rm -f "$input" "$work/out"
done
