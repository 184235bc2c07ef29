#!/usr/bin/env bash
# Developer tool: a picture of every window the program shows (main dialog,
# settings dialog, about box, disclaimer, file pickers, every message box
# and question of the start and of the commands), each with its window
# frame, for reviewing layouts and texts without a desktop.
#
# Usage: tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  folder holding the built talvenor (default: build)
#   OUT_DIR    where the PNG files go (default: screenshots); its old PNG
#              files are removed first
#
# The program runs under Xvfb with the openbox window manager, each start
# with a settings folder of its own, at a chosen date, with no program on
# its PATH (so opening a document or the browser fails and says so), a
# local stand-in update server and a local stand-in for the central bank's
# download page. The environment variable
# TALVENOR_SCREENSHOT_DIR makes the program photograph every modal window
# and close it (src/app/screenshot_hook.h); after the disclaimer the main
# dialog walks through its commands (src/app/screenshot_tour.cc).
#
# The pictures are named RUN_NN_STEP_KIND.png: RUN is one start of the
# program (the table at the end of this file), NN counts its pictures,
# STEP is the tour's step ("start" before the tour) and KIND the window.
# A further start is one more "shoot" line; a further step of the main
# dialog is one more row in screenshot_tour.cc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/screenshots}
program=$build/talvenor
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

# What the script needs, as command:package; installed when missing.
needed=(Xvfb:xvfb openbox:openbox faketime:faketime openssl:openssl python3:python3
        fc-list:fontconfig)
missing=()
for pair in "${needed[@]}"; do
  command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
done
[ -n "$(fc-list 2>/dev/null)" ] || missing+=(fonts-dejavu-core)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
faketime=$(command -v faketime)

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# waitfor FILE: waits up to 10 s until FILE exists and is not empty.
waitfor() {
  for _ in $(seq 100); do [ -s "$1" ] && return 0; sleep 0.1; done
  echo "timed out waiting for $1" >&2
  return 1
}

# The screen and the window manager, with folders of their own.
mkdir -p "$work/home" "$work/wm" "$work/runtime" "$work/nobin" "$work/Daten"
chmod 700 "$work/runtime"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
waitfor "$work/display"
display=:$(head -n 1 "$work/display")
DISPLAY=$display HOME=$work/home XDG_CONFIG_HOME=$work/wm XDG_CACHE_HOME=$work/wm \
  openbox --startup "touch $work/wm-ready" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done
[ -e "$work/wm-ready" ] || { echo "openbox did not start" >&2; exit 1; }

# The stand-in update server names a newer version; a proxy in front of it
# asks for credentials. Its certificate is made valid at the program's dates.
server_script=$root/tests/app/update_server.py
"$faketime" "2024-05-01 00:00:00" openssl req -x509 -newkey ec \
  -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 60 \
  -subj /CN=localhost -addext subjectAltName=DNS:localhost \
  -keyout "$work/server.key" -out "$work/server.pem" >/dev/null 2>&1
python3 "$server_script" --mode https --cert "$work/server.pem" --key "$work/server.key" \
  --body 'PRGVER : #9.99.0# URL : #https://www.example.org/talvenor/update.htm#' \
  >"$work/server.port" 2>/dev/null &
pids+=($!)
python3 "$server_script" --mode proxy --proxy-user anna:geheim >"$work/proxy.port" 2>/dev/null &
pids+=($!)
waitfor "$work/server.port"
waitfor "$work/proxy.port"
update_host=localhost:$(head -n 1 "$work/server.port")
proxy=http://127.0.0.1:$(head -n 1 "$work/proxy.port")

# The download page of the bank data, served from here: "aktuell.html"
# offers the edition of 03.06.2024, sent slowly so that its progress can be
# photographed; "kaputt.html" links a file that is not there.
mkdir -p "$work/page"
cp "$root/tests/data/blz_2026_06_08.txt" "$work/page/blz-aktuell-txt-data.txt"
page() {
  printf '<html><body><h1>Bankleitzahlen</h1><p>gültig vom 03.06.2024 bis 08.09.2024</p>
<ul><li><a href="%s">Bankleitzahlendatei ungepackt (TXT)</a></li></ul></body></html>\n' \
    "$2" >"$work/page/$1"
}
page aktuell.html /slow/blz-aktuell-txt-data.txt
page kaputt.html /status/404/blz-aktuell-txt-data.txt
python3 "$root/tests/support/file_server.py" --root "$work/page" --cert "$work/server.pem" \
  --key "$work/server.key" >"$work/page.port" 2>/dev/null &
pids+=($!)
waitfor "$work/page.port"
bank_pages=https://localhost:$(head -n 1 "$work/page.port")

# Two program folders: one with the help document and the licence terms
# beside the program, one without.
mkdir -p "$work/with-docs" "$work/without-docs"
cp "$program" "$work/with-docs/talvenor"
cp "$program" "$work/without-docs/talvenor"
for document in Talvenor.pdf talvenor.txt; do
  if [ -f "$build/$document" ]; then
    cp "$build/$document" "$work/with-docs/"
  elif [ -f "$root/data/$document" ]; then
    cp "$root/data/$document" "$work/with-docs/"
  fi
done
printf 'DE;;;;;37050198;1234567897;;;;;\n' >"$work/Daten/IBANHIN.csv"

failed=0
# shoot RUN DATE PROGRAM_FOLDER EXPECTED_STATUS [NAME=VALUE...]: one start
# of the program at DATE; its pictures go to OUT_DIR as RUN_*.png. The
# bank data is updated from the page $bank_page (default kaputt.html).
shoot() {
  local run=$1 date=$2 folder=$3 expected=$4
  shift 4
  local pictures=$work/pictures/$run config=$work/config/$run
  mkdir -p "$pictures" "$config/Korvane"
  printf '[SETTINGS]\nPATH=\nUPDATE=1\nBLZSEITE=%s/%s\n' "$bank_pages" "${bank_page:-kaputt.html}" \
    >"$config/Korvane/Talvenor.ini"
  local status=0
  (cd "$work/Daten" && timeout 120 env -i DISPLAY="$display" HOME="$work/home" \
      PATH="$work/nobin" LANG=de_DE.UTF-8 XDG_RUNTIME_DIR="$work/runtime" \
      XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$work/data/$run" \
      TALVENOR_SCREENSHOT_DIR="$pictures" TALVENOR_UPDATE_HOST="$update_host" \
      TALVENOR_UPDATE_CA="$work/server.pem" FAKETIME_DONT_FAKE_MONOTONIC=1 "$@" \
      "$faketime" -f "@$date" "$folder/talvenor" >"$work/$run.log" 2>&1) || status=$?
  local count=0
  for picture in "$pictures"/*.png; do
    [ -e "$picture" ] || continue
    cp "$picture" "$out/${run}_$(basename "$picture")"
    count=$((count + 1))
  done
  printf '%-16s %2d pictures, exit status %d\n' "$run" "$count" "$status"
  if [ "$status" -ne "$expected" ] || [ "$count" -eq 0 ]; then
    echo "  expected exit status $expected and pictures; the program said:" >&2
    sed 's/^/  /' "$work/$run.log" >&2
    failed=1
  fi
}

# The starts: the update offer (declined), the disclaimer and the whole tour;
# the proxy's question; help and licence terms missing; the data set
# expired by 1 day (the questions answered Yes: the update of the bank data
# fails, the browser cannot be started) and by 15 days (the offer to update
# declined); expired by 15 days with the update accepted: its progress and
# report, then the disclaimer, the main dialog and the about box with the
# new edition.
shoot main "2024-05-15 10:00:00" "$work/with-docs" 0
shoot proxy "2024-05-15 10:00:00" "$work/with-docs" 0 \
  https_proxy="$proxy" TALVENOR_SCREENSHOT_STEPS=none
shoot no_documents "2024-05-15 10:00:00" "$work/without-docs" 0 \
  TALVENOR_SCREENSHOT_STEPS=help,about_licence TALVENOR_UPDATE_HOST=localhost:1
shoot expired_1_day "2024-06-03 10:00:00" "$work/with-docs" 3 TALVENOR_SCREENSHOT_ANSWER=yes
shoot expired_15_days "2024-06-17 10:00:00" "$work/with-docs" 3
bank_page=aktuell.html shoot expired_update "2024-06-17 10:00:00" "$work/with-docs" 0 \
  TALVENOR_SCREENSHOT_ANSWER=yes TALVENOR_SCREENSHOT_STEPS=empty,about TALVENOR_UPDATE_HOST=localhost:1

echo "Pictures in $out:"
ls -1 "$out"
exit "$failed"
