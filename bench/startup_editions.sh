#!/usr/bin/env bash
# Start-up cost of an installed bank-data edition: median wall time of a
# `talvenor --iban` process with the built-in edition alone, and with the
# public 2026 edition installed (it is then read, checked and completed
# with the built-in edition's rule numbers at every start).
#   bench/startup_editions.sh [BUILD_DIR] [RUNS]
# Needs hyperfine and faketime (Debian packages of the same names).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-200}
exe="$PWD/$build/talvenor"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/builtin" "$work/installed"
XDG_DATA_HOME="$work/installed" XDG_DATA_DIRS="$work/none" \
  faketime '2026-07-01 12:00:00' "$exe" --install-bank-data tests/data/blz_2026_06_08.txt >/dev/null
hyperfine -N --warmup 20 --runs "$runs" --export-json "$work/times.json" \
  -n builtin "env XDG_DATA_HOME=$work/builtin XDG_DATA_DIRS=$work/none $exe --iban 37050198 1234567897" \
  -n installed "env XDG_DATA_HOME=$work/installed XDG_DATA_DIRS=$work/none $exe --iban 37050198 1234567897" \
  >/dev/null
python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
b, i = results["builtin"]["median"] * 1000, results["installed"]["median"] * 1000
cpu = {k: (r["user"] + r["system"]) * 1000 for k, r in results.items()}
print(f"--iban start-up, median wall time of {len(results['builtin']['times'])} runs (mean CPU time):")
print(f"  built-in edition only:     {b:6.2f} ms  ({cpu['builtin']:.2f} ms)")
print(f"  public edition installed:  {i:6.2f} ms  ({cpu['installed']:.2f} ms)  difference {i - b:+.2f} ms")
PY
