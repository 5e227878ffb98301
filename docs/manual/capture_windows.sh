#!/usr/bin/env bash
# Photographs the program's windows for the operator's manual and saves them
# as PNG files in docs/manual/pictures/ (then run make_manual.py):
#   - zorvel.exe, staged with its pictures and a configuration that names the
#     five interfaces, runs under Wine on a private Xvfb display; the main
#     window, the about window and the scheme window are opened from the
#     toolbar and photographed;
#   - manual_windows.exe (tests/win/manual_windows.cpp) shows the windows that
#     need a modem, a network connection or a build that offers every
#     interface: the settings dialog (as delivered and each page), the time
#     and brightness dialog, the GSM window and the status window.
# Every window is waited for by its caption and photographed once its picture
# has stopped changing. Anything that does not appear, or a picture that is
# missing, stops the script with a message and exit status 1; the pictures of
# an earlier run are then left as they were.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
fail() { echo "capture: $*" >&2; exit 1; }

cmake --preset win >/dev/null
cmake --build build/win -j2 --target zorvel manual_windows >/dev/null

stage=$root/build/win/capture
prefix=$root/build/win/capture-prefix
out=$root/docs/manual/pictures
shots=$stage/shots
rm -rf "$stage"
mkdir -p "$stage" "$shots" "$out"
cp build/win/bin/zorvel.exe build/win/bin/manual_windows.exe build/win/bin/*.dll \
   zorvel/resources/program/*.bmp "$stage"/
printf '[COMMON]\r\nInterface=0\r\nInterfaces[0]=COM порт\r\nInterfaces[1]=USB адаптер\r\nInterfaces[2]=TCP/IP\r\nInterfaces[3]=GSM модем\r\nInterfaces[4]=Радиомодуль\r\nControllerSetting=1\r\n[TIME]\r\nRefresh=0\r\n' |
  iconv -f UTF-8 -t CP1251 >"$stage/Common.ini"
printf '[ZVL]\r\nMode=3\r\nInterval=5\r\n' >"$stage/Zorvel.ini"

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
. scripts/lib/wine_board.sh
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  xvfb_stop || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

xvfb_start 1024x768 || fail "Xvfb did not start"
if [ ! -f "$prefix/.zorvel-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$prefix/.zorvel-ready"
fi

# The visible window with exactly this caption, waited for up to 30 s.
visible_window() {
  local id=""
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# settled WINDOW PNG: photographs the window once two pictures taken in a row
# are the same (a window still painting, or a display panel between two
# values, differs); gives up after 20 tries.
settled() {
  local previous=$stage/previous.ppm current=$stage/current.ppm
  import -window "$1" "ppm:$previous" 2>/dev/null || return 1
  for _ in $(seq 20); do
    sleep 0.3
    import -window "$1" "ppm:$current" 2>/dev/null || return 1
    if cmp -s "$previous" "$current"; then
      cp "$current" "$2.ppm"
      return 0
    fi
    mv "$current" "$previous"
  done
  return 1
}

(cd "$stage" && exec wine zorvel.exe) >/dev/null 2>&1 &
app_pid=$!
main=$(visible_window "Время/Дата/Температура") || fail "the main window did not appear"
settled "$main" "$shots/main" || fail "the main window's picture did not settle"
echo "capture: main"

# Opens a window from a toolbar button (client coordinates of the main
# window), photographs it and closes it with Escape.
#   shoot X Y CAPTION NAME
shoot() {
  xdotool mousemove --window "$main" "$1" "$2" click 1
  local id
  id=$(visible_window "$3") || fail "\"$3\" did not appear"
  settled "$id" "$shots/$4" || fail "the picture of \"$3\" did not settle"
  echo "capture: $4"
  xdotool key --window "$id" Escape 2>/dev/null
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$3\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "\"$3\" did not close"
}
# Toolbar buttons 39 px apart, 3 px in.
shoot 139 23 "О программе" about
shoot 243 23 "Схема подключения" scheme-window
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""
wineserver -k 2>/dev/null || true

# The windows the program shows only with a modem, a connection or every
# interface offered; the tool copies each from the window's own surface.
(cd "$stage" && wine manual_windows.exe "Z:${shots//\//\\}") || fail "manual_windows.exe failed"

names="main about scheme-window settings settings-usb settings-tcp settings-gsm settings-radio time gsm status-gsm status-tcp"
for name in $names; do
  [ -f "$shots/$name.ppm" ] || [ -f "$shots/$name.bmp" ] || fail "no picture $name"
done
# PNG files without time stamps, so that a picture that did not change stays
# the same file; a window of at most 256 colours (most are) is stored with
# an exact palette, a third of the size of full colour.
/usr/bin/python3 - "$shots" "$out" $names <<'EOF'
import os, sys
from PIL import Image
shots, out, names = sys.argv[1], sys.argv[2], sys.argv[3:]
for name in names:
    source = next(os.path.join(shots, name + ext) for ext in (".ppm", ".bmp")
                  if os.path.exists(os.path.join(shots, name + ext)))
    image = Image.open(source).convert("RGB")
    colours = image.getcolors(256)
    if colours is not None:
        index = {colour: i for i, (_, colour) in enumerate(colours)}
        paletted = Image.new("P", image.size)
        paletted.putpalette([channel for _, colour in colours for channel in colour])
        paletted.putdata([index[pixel] for pixel in image.getdata()])
        image = paletted
    image.save(os.path.join(out, name + ".png"), optimize=True)
    print("capture: %s.png" % name)
EOF
