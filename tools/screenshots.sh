#!/usr/bin/env bash
# Developer tool: saves a picture of every dialog of the program, for
# looking at layouts and texts without a desktop.
#
# Usage: tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  folder holding the built talvenor (default: build)
#   OUT_DIR    where the PNG files go (default: screenshots)
#
# The program runs under Xvfb at a date inside the data's validity, with a
# settings folder of its own (update check switched off). The environment
# variable TALVENOR_SCREENSHOT_DIR makes every dialog save its picture and
# close itself (src/app/screenshot_hook.h); the main dialog then shows a
# conversion, opens the settings dialog and the about box and ends.
# A second run one day after the validity date catches the expiry question.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mkdir -p "${2:-$root/screenshots}"
out=$(cd "${2:-$root/screenshots}" && pwd)
program=$build/talvenor
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Korvane"
printf '[SETTINGS]\nPATH=\nUPDATE=0\n' >"$work/config/Korvane/Talvenor.ini"

# run DATE FOLDER: one start of the program at DATE (the clock runs on from
# there, so the dialogs' timers work) saving its pictures into FOLDER.
run() {
  XDG_CONFIG_HOME="$work/config" TALVENOR_SCREENSHOT_DIR="$2" LANG=de_DE.UTF-8 \
    FAKETIME_DONT_FAKE_MONOTONIC=1 \
    timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
    faketime -f "@$1" "$program" || true
}

run "2024-05-15 10:00:00" "$out"
mkdir "$work/expired"
run "2024-06-03 10:00:00" "$work/expired"
if [ -f "$work/expired/message1.png" ]; then
  cp "$work/expired/message1.png" "$out/expiry_question.png"
fi
ls -1 "$out"
