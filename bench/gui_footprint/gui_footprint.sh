#!/usr/bin/env bash
# The program's footprint at rest, under Wine: zorvel.exe of a Windows build
# tree, connected to nothing but set to the simulated board on a COM port, and
# beside it in the same wineserver the baseline window (baseline.exe, a
# 100 ms timer and the same system libraries), once plain and once also
# registered for USB device messages as the program is (Wine runs a thread
# for that). After a settling time it samples the processes for SECONDS and
# prints their CPU use (per cent of one core) and resident memory, with the
# machine's load average: a shared machine makes the CPU figures noisy, so
# read them with the load.
#   gui_footprint.sh BUILD_DIR BOARDSIM [SECONDS]      (default 30)
set -euo pipefail
build=$(cd "$1" && pwd) boardsim=$(readlink -f "$2") seconds=${3:-30}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine_board.sh"

cmake --build "$build" --target zorvel gui_footprint_baseline >/dev/null
stage=$build/footprint
rm -rf "$stage"
mkdir -p "$stage"
cp "$build"/bin/zorvel.exe "$build"/bin/ravlo.dll "$build"/bin/COM.dll "$build"/bin/FTD.dll \
   "$build"/bin/GSM.dll "$build"/bin/RFM.dll "$build"/bin/baseline.exe "$root"/zorvel/resources/program/*.bmp "$stage"/
sed 's/$/\r/' "$root/packaging/Common.ini" | iconv -f UTF-8 -t CP1251 >"$stage/Common.ini"
printf '[COM]\r\nPortName=COM8\r\nBaudRate=9600\r\nAutoScan=0\r\n' >"$stage/COM.ini"

export WINEPREFIX=$build/footprint-prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
cleanup() {
  wineserver -k 2>/dev/null || true
  board_stop || true
  xvfb_stop || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || xvfb_start
if [ ! -f "$WINEPREFIX/.zorvel-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$WINEPREFIX/.zorvel-ready"
fi
board_start "$boardsim" "$stage" "$WINEPREFIX" COM8

(cd "$stage" && exec wine zorvel.exe) >/dev/null 2>&1 &
(cd "$stage" && exec wine baseline.exe) >/dev/null 2>&1 &
(cd "$stage" && exec wine baseline.exe usb) >/dev/null 2>&1 &
window_wait "Время/Дата/Температура" 60 >/dev/null || { echo "gui_footprint: the main window did not appear" >&2; exit 1; }
window_wait "Footprint baseline" 60 >/dev/null || { echo "gui_footprint: the baseline did not appear" >&2; exit 1; }
window_wait "Footprint baseline usb" 60 >/dev/null || { echo "gui_footprint: the baseline did not appear" >&2; exit 1; }
sleep 5

# The process of that name and arguments in this prefix: others may run the program too.
pid_of() {  # name [argument]
  local pid
  for pid in $(pgrep -x "$1" || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" | awk '{print $2}')" = "${2:-}" ] && { echo "$pid"; return; }
  done
  return 0
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kib() { awk '$1 == "VmRSS:" {print $2}' "/proc/$1/status"; }
program=$(pid_of zorvel.exe) baseline=$(pid_of baseline.exe) baseline_usb=$(pid_of baseline.exe usb)
# This prefix's wineserver works in a folder named server-DEVICE-INODE after the prefix.
server_dir=$(stat -c '%d %i' "$WINEPREFIX" | awk '{printf "/server-%x-%x", $1, $2}')
server=""
for candidate in $(pgrep -x 'wineserver(64)?' || true); do
  case "$(readlink "/proc/$candidate/cwd" 2>/dev/null)" in *"$server_dir") server=$candidate ;; esac
done
[ -n "$program" ] && [ -n "$baseline" ] && [ -n "$baseline_usb" ] && [ -n "$server" ] || { echo "gui_footprint: processes not found" >&2; exit 1; }

hz=$(getconf CLK_TCK)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
p0=$(ticks "$program") b0=$(ticks "$baseline") u0=$(ticks "$baseline_usb") s0=$(ticks "$server") t0=$(date +%s.%N)
sleep "$seconds"
p1=$(ticks "$program") b1=$(ticks "$baseline") u1=$(ticks "$baseline_usb") s1=$(ticks "$server") t1=$(date +%s.%N)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

report() {  # name ticks_before ticks_after pid
  awk -v n="$1" -v a="$2" -v b="$3" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v rss="$(rss_kib "$4")" \
    'BEGIN { printf "%-16s idle CPU %6.3f %% of a core   RSS %6.1f MiB\n", n, 100 * (b - a) / hz / (t1 - t0), rss / 1024 }'
}
echo "gui_footprint: $(basename "$build"), ${seconds} s at rest; load average before: $load_before, after: $load_after"
report zorvel.exe "$p0" "$p1" "$program"
report baseline "$b0" "$b1" "$baseline"
report "baseline + usb" "$u0" "$u1" "$baseline_usb"
awk -v a="$s0" -v b="$s1" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "%-16s CPU %6.3f %% of a core (serves all three)\n", "wineserver", 100 * (b - a) / hz / (t1 - t0) }'

# FOOTPRINT_MAPS=1: where the resident memory of each process lies, largest first.
if [ "${FOOTPRINT_MAPS:-0}" = 1 ]; then
  for pid in "$program" "$baseline"; do
    echo "$(cat "/proc/$pid/comm"): threads $(cat /proc/$pid/task/*/comm | tr "\n" " ")"
    echo "resident memory of $(cat "/proc/$pid/comm") by mapping (KiB):"
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6 == "" ? "[anonymous]" : $6; for (i = 7; i <= NF; i++) name = name " " $i }
         $1 == "Rss:" { rss[name] += $2 }
         END { for (n in rss) if (rss[n] > 0) printf "%8d %s\n", rss[n], n }' "/proc/$pid/smaps" | sort -rn | head -25
  done
fi
