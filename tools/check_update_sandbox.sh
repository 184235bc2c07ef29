#!/usr/bin/env bash
# Runs the system-wide update as talvenor-update.service runs it (its
# ExecStart= options and UMask=), against a local stand-in for the central
# bank's download page, under strace, and checks the run against the
# service's sandbox. Inside the sandbox a system call outside
# SystemCallFilter= fails with EPERM, a socket of a family outside
# RestrictAddressFamilies= cannot be made, MemoryDenyWriteExecute= refuses
# memory that is writable and executable (and memory made executable
# later), and ProtectSystem=strict with ProtectHome= leaves only the state
# folder and the private temporary folders writable. Any of these in the
# run would make the daily update fail, or act otherwise than here, on
# every machine, so each fails the check. The editions written must also
# be readable by every user.
#
# The page is addressed by IP address, so the run resolves no host name.
#
#   tools/check_update_sandbox.sh PROGRAM SERVICE_UNIT FILE_SERVER BANK_CODE_FILE
#
# BANK_CODE_FILE is named blz_YYYY_MM_DD.txt after the day its edition
# starts. Exit status 77 (skipped) when strace, systemd-analyze, openssl or
# python3 is not installed or this machine does not allow tracing.
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 PROGRAM SERVICE_UNIT FILE_SERVER BANK_CODE_FILE"; exit 2; }
program=$1 unit=$2 file_server=$3 bank_file=$4

for tool in strace systemd-analyze openssl python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed: skipped"
    exit 77
  fi
done
if ! strace -qq -o /dev/null true 2>/dev/null; then
  echo "this machine does not allow tracing: skipped"
  exit 77
fi

program=$(realpath "$program")
[[ $(basename "$bank_file") =~ ^blz_([0-9]{4})_([0-9]{2})_([0-9]{2})\.txt$ ]] ||
  { echo "$bank_file is not named blz_YYYY_MM_DD.txt"; exit 2; }
valid_from="${BASH_REMATCH[1]}-${BASH_REMATCH[2]}-${BASH_REMATCH[3]}"

work=$(mktemp -d)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The values of KEY in the unit, one line each, comments left out.
unit_values() { sed -nE "s/^$1=//p" "$unit"; }

# The system calls of the filter entries given, groups resolved.
resolve_calls() {
  local entry member
  for entry in "$@"; do
    if [[ $entry == @* ]]; then
      for member in $(systemd-analyze syscall-filter "$entry" | tail -n +2 |
                      sed -e 's/^[[:space:]]*//' -e '/^#/d'); do
        resolve_calls "$member"
      done
    else
      echo "$entry"
    fi
  done
}

# ---- The stand-in download page and its bank-code file ---------------------
mkdir -p "$work/site"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
  -addext subjectAltName=IP:127.0.0.1 -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
cp "$bank_file" "$work/site/blz-aktuell-txt-data.txt"
german_day() { date -u -d "$1" +%d.%m.%Y; }
cat >"$work/site/page.html" <<EOF
<!DOCTYPE html>
<html lang="de"><head><meta charset="utf-8"><title>Download Bankleitzahlen</title></head>
<body><h2>Download der Bankleitzahlendateien</h2>
<p>gültig vom $(german_day "$valid_from") bis $(german_day "$valid_from + 90 days")</p>
<ul><li><a href="/blz-aktuell-txt-data.txt">Bankleitzahlendatei ungepackt (TXT)</a></li></ul>
</body></html>
EOF
python3 "$file_server" --root "$work/site" --cert "$work/cert.pem" --key "$work/key.pem" \
  >"$work/port" &
server_pid=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  sleep 0.1
done
port=$(head -n 1 "$work/port")
[ -n "$port" ] || { echo "the stand-in server did not start"; exit 1; }

# ---- The update, traced -------------------------------------------------------
exec_start=$(unit_values ExecStart)
read -r -a words <<<"$exec_start"
[ ${#words[@]} -gt 1 ] || { echo "$unit has no ExecStart= with options"; exit 1; }
arguments=("${words[@]:1}" --from "https://127.0.0.1:$port/page.html"
           --as-of "$(date -u -d "$valid_from + 2 days" +%F)")
# A system service's umask is 0022 unless the unit says otherwise.
mask=$(unit_values UMask | tail -n 1)
state="$work/state"
mkdir -p "$work/cwd"
status=0
(
  cd "$work/cwd"
  umask "${mask:-0022}"
  env TALVENOR_SYSTEM_DATA="$state" XDG_DATA_HOME="$work/home" XDG_DATA_DIRS="$work/system" \
    XDG_CONFIG_HOME="$work/config" TALVENOR_UPDATE_CA="$work/cert.pem" \
    strace -f -qq -o "$work/trace" "$program" "${arguments[@]}"
) >"$work/output" 2>&1 || status=$?
if [ $status -ne 0 ]; then
  cat "$work/output"
  echo "the update ($program ${arguments[*]}) failed with exit status $status"
  exit 1
fi

failed=0
fail() { echo "$*"; failed=1; }

edition="$state/blz_${valid_from//-/_}.txt"
if [ ! -f "$edition" ]; then
  fail "the update did not install $edition"
else
  for file in "$state" "$state"/*; do
    mode=$(stat -c %a "$file")
    (( (8#$mode & 8#004) != 0 )) || fail "$file (mode $mode) is not readable by every user"
  done
fi

# The calls the run made: a line per call, "PID NAME(ARGUMENTS ...".
sed -nE 's/^[0-9]+ +([a-z0-9_]+)\(.*/\1/p' "$work/trace" | sort -u >"$work/calls"

allow=() deny=()
while read -r value; do
  read -r -a entries <<<"${value#\~}"
  if [[ $value == \~* ]]; then deny+=("${entries[@]}"); else allow+=("${entries[@]}"); fi
done < <(unit_values SystemCallFilter)
resolve_calls "${deny[@]}" | sort -u >"$work/denied"
if [ ${#allow[@]} -gt 0 ]; then
  resolve_calls "${allow[@]}" | sort -u | comm -23 - "$work/denied" >"$work/allowed"
  outside=$(comm -23 "$work/calls" "$work/allowed")
else
  outside=$(comm -12 "$work/calls" "$work/denied")
fi
for call in $outside; do
  fail "the update calls $call, which SystemCallFilter= refuses: $(grep -m 1 -E "^[0-9]+ +$call\(" "$work/trace")"
done

families=$(unit_values RestrictAddressFamilies | tr ' ' '\n')
if [ -n "$families" ]; then
  for family in $(sed -nE 's/^[0-9]+ +socket(pair)?\((AF_[A-Z0-9_]+).*/\2/p' "$work/trace" | sort -u); do
    grep -qxF "$family" <<<"$families" ||
      fail "the update opens a socket of $family, which RestrictAddressFamilies= refuses"
  done
fi

if [ "$(unit_values MemoryDenyWriteExecute)" = yes ]; then
  while read -r line; do
    fail "memory writable and executable, which MemoryDenyWriteExecute= refuses: $line"
  done < <(grep -E '^[0-9]+ +mmap2?\([^,]*, [^,]*, [A-Z_|]*(PROT_WRITE[A-Z_|]*PROT_EXEC|PROT_EXEC[A-Z_|]*PROT_WRITE)' "$work/trace" || true)
  while read -r line; do
    fail "memory made executable, which MemoryDenyWriteExecute= refuses: $line"
  done < <(grep -E '^[0-9]+ +(pkey_)?mprotect\([^,]*, [^,]*, [A-Z_|]*PROT_EXEC' "$work/trace" || true)
fi

# Every path the run creates, changes or removes: the state folder, or a
# temporary or device file; the user's folders are out of reach
# (ProtectHome=) and the rest is read-only (ProtectSystem=strict), the
# working folder / included.
changes='^[0-9]+ +(open|openat|creat|mkdir|mkdirat|mknod|mknodat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|lchown|fchownat|utimensat|setxattr|removexattr)\('
while read -r line; do
  # An open only for reading changes nothing.
  if [[ $line =~ ^[0-9]+\ +open && ! $line =~ O_WRONLY|O_RDWR|O_CREAT|O_TRUNC ]]; then continue; fi
  while read -r quoted; do
    path=${quoted:1:-1}
    case $path in
      "$state" | "$state"/*) ;;
      "$work" | "$work"/*) fail "the update writes $path outside its state folder: $line" ;;
      /tmp/* | /var/tmp/* | /dev/*) ;;
      *) fail "the update writes $path outside its state folder: $line" ;;
    esac
  done < <(grep -oE '"[^"]*"' <<<"$line")
done < <(grep -E "$changes" "$work/trace" || true)

[ $failed -eq 0 ] && echo "The update ran within the sandbox of $(basename "$unit")."
exit $failed
