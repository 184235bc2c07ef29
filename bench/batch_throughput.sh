#!/usr/bin/env bash
# Throughput and peak memory of batch runs (talvenor INPUT OUTPUT) over
# synthetic IBANHIN files: fixed length and ";"-separated, plain and gzip,
# on all cores (the default) and, for plain fixed length, on one thread
# (--threads 1). Beside each run it times reading the same file with `cat`
# (plain) or `gzip -dc` (gzip), the least any converter must spend on it.
#
#   bench/batch_throughput.sh [BUILD_DIR] [RECORDS] [WORK_DIR]
#
# Every case runs RUNS times (default 5); the table shows the median of the
# times and the largest peak. BUILD_DIR needs talvenor and
# bench/batch_input_generator (a Release build with the benchmarks on). The
# program runs at a date within the data set's validity (faketime) when
# faketime is installed. Figures are printed, never asserted.
set -euo pipefail
build=$(realpath "${1:-build}")
records=${2:-1000000}
work=${3:-}
runs=${RUNS:-5}
exe="$build/talvenor"
generator="$build/bench/batch_input_generator"
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
  echo "note: faketime not installed; the run may be refused once the data set has expired" >&2
fi
# Per-user settings of our own: one output file, no grouping.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

now() { date +%s%N; }

# Runs a command; sets `seconds` (wall time), `cpu` (user + system time
# of the command and what it started) and `peak_mb` (their largest
# resident set). On a busy machine the wall time includes waiting for a
# processor; the processor time does not.
measure() {
  local start end usage
  start=$(now)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%U %S %M' -o "$work/usage" "$@" >/dev/null
    usage=$(tail -n 1 "$work/usage")
  else
    usage=$(python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime, r.ru_stime, r.ru_maxrss)' "$@")
  fi
  end=$(now)
  seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }')
  cpu=$(awk -v u="$usage" 'BEGIN { split(u, f, " "); printf "%.3f", f[1] + f[2] }')
  peak_mb=$(awk -v u="$usage" 'BEGIN { split(u, f, " "); printf "%.1f", f[3] / 1024 }')
}

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
  if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs a command `runs` times; sets the medians `seconds` and `cpu` and the
# largest `peak_mb`.
measure_runs() {
  local walls=() cpus=() peaks=() i
  for ((i = 0; i < runs; i++)); do
    measure "$@"
    walls+=("$seconds")
    cpus+=("$cpu")
    peaks+=("$peak_mb")
  done
  seconds=$(median "${walls[@]}")
  cpu=$(median "${cpus[@]}")
  peak_mb=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
}

cores=$(nproc)
echo "$runs runs per case, medians; $cores cores; threads \"all\" is the default (every core)"
printf '%-9s %7s %8s %7s | %-8s %6s %6s | %6s %6s %10s %10s %7s %7s %6s\n' \
  input MB records threads baseline wall cpu wall cpu rec/s-wall rec/s-cpu MB/s-cpu peak-MB ratio
# kind and thread option: "all" uses the default.
for case in fixed:all fixed:1 csv:all fixed.gz:all csv.gz:all; do
  kind=${case%%:*}
  threads=${case#*:}
  input="$work/IBANHIN.$kind"
  if [ ! -e "$input" ]; then
    options=()
    [[ $kind == csv* ]] && options+=(--csv)
    [[ $kind == *.gz ]] && options+=(--gzip)
    "$generator" "${options[@]}" "$records" "$input"
  fi
  size_mb=$(awk -v b="$(stat -c %s "$input")" 'BEGIN { printf "%.1f", b / 1048576 }')

  if [[ $kind == *.gz ]]; then
    baseline=(gzip -dc "$input")
    baseline_name="gzip -dc"
  else
    baseline=(cat "$input")
    baseline_name=cat
  fi
  measure "${baseline[@]}"  # also brings the file into the page cache
  measure_runs "${baseline[@]}"
  base_seconds=$seconds
  base_cpu=$cpu

  thread_options=()
  [ "$threads" != all ] && thread_options=(--threads "$threads")
  measure_runs "${at_valid_date[@]}" "$exe" "${thread_options[@]}" "$input" "$work/IBANRUECK.out"
  rm -f "$work/IBANRUECK.out"
  # The ratio compares processor times: the run against its baseline.
  awk -v kind="$kind" -v mb="$size_mb" -v n="$records" -v t="$threads" -v bn="$baseline_name" \
      -v bs="$base_seconds" -v bc="$base_cpu" -v s="$seconds" -v c="$cpu" -v peak="$peak_mb" '
    function max(a, b) { return a > b ? a : b }
    BEGIN {
      printf "%-9s %7s %8d %7s | %-8s %6.2f %6.2f | %6.2f %6.2f %10.0f %10.0f %7.1f %7s %6.2f\n",
             kind, mb, n, t, bn, bs, bc, s, c, n / max(s, 0.001), n / max(c, 0.001),
             mb / max(c, 0.001), peak, c / max(bc, 0.001) }'
  # The plain fixed-length input serves both of its cases.
  [ "$case" = fixed:all ] || rm -f "$input"
done
