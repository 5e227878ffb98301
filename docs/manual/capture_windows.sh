#!/usr/bin/env bash
# Photographs the program's windows for the operator's manual: builds
# zorvel.exe, stages it with its pictures and a configuration that names the
# five interfaces, runs it under Wine on a private Xvfb display, opens each
# window from the toolbar and saves its picture in docs/manual/pictures/.
# A window that does not appear is reported and left out; the others are kept.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
cmake --preset win >/dev/null
cmake --build build/win -j2 --target zorvel >/dev/null

stage=$root/build/win/capture
prefix=$root/build/win/capture-prefix
out=$root/docs/manual/pictures
rm -rf "$stage"
mkdir -p "$stage" "$out"
cp build/win/bin/zorvel.exe build/win/bin/*.dll zorvel/resources/program/*.bmp "$stage"/
printf '[COMMON]\r\nInterface=0\r\nInterfaces[0]=COM порт\r\nInterfaces[1]=USB адаптер\r\nInterfaces[2]=TCP/IP\r\nInterfaces[3]=GSM модем\r\nInterfaces[4]=Радиомодуль\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=0\r\n' |
  iconv -f UTF-8 -t CP1251 >"$stage/Common.ini"
printf '[ZVL]\r\nMode=3\r\nInterval=5\r\n' >"$stage/Zorvel.ini"

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

fifo=$(mktemp -u) && mkfifo "$fifo"
Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 number <"$fifo" || { echo "capture: Xvfb did not start" >&2; exit 1; }
rm -f "$fifo"
export DISPLAY=:$number
if [ ! -f "$prefix/.zorvel-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$prefix/.zorvel-ready"
fi

wait_window() {  # caption -> window id, or nothing after 15 s
  local id=""
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
}

(cd "$stage" && exec wine zorvel.exe) >/dev/null 2>&1 &
app_pid=$!
main=$(wait_window "Время/Дата/Температура")
[ -n "$main" ] || { echo "capture: the main window did not appear" >&2; exit 1; }
sleep 2
import -window "$main" "$out/main.png"
echo "capture: main.png"

# Toolbar buttons in the main window's client coordinates (39 px apart, 3 px in).
shoot() {  # x y caption file
  xdotool mousemove --window "$main" "$1" "$2" click 1
  local id
  id=$(wait_window "$3")
  if [ -z "$id" ]; then
    echo "capture: \"$3\" did not appear; $4 left out" >&2
    rm -f "$out/$4"
    return
  fi
  sleep 1.5
  import -window "$id" "$out/$4"
  echo "capture: $4"
  xdotool key --window "$id" Escape
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$3\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
  sleep 0.5
}
shoot 139 23 "О программе" about.png
shoot 243 23 "Схема подключения" scheme-window.png
