#!/usr/bin/env bash
# The release as an operator gets it, under Wine in a fresh prefix:
#   1. the installer, silently: files, Start menu, the entry in "Programs and Features";
#   2. the installed program reads the simulated board through its window;
#   3. the installer again over it: the operator's settings stay as they were;
#   4. the uninstaller, silently: the program goes, the settings stay;
#   5. the portable zip unpacked into a folder with a Cyrillic name reads the board
#      through the port its COM.ini names and saves its settings there at close.
#   install_test.sh DIST_DIR BOARDSIM
set -euo pipefail
dist=$(cd "$1" && pwd) boardsim=$(readlink -f "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine_board.sh"

installer=$(ls "$dist"/Zorvel-*-setup.exe)
archive=$(ls "$dist"/Zorvel-*.zip)
version=${installer##*/Zorvel-}
version=${version%-setup.exe}
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)

work=$(mktemp -d /tmp/zorvel-install.XXXXXX)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  board_stop || true
  wineserver -k 2>/dev/null || true
  xvfb_stop || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # description command...
  local what=$1
  shift
  if "$@"; then echo "install_test: ok: $what"; else echo "install_test: FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { [ ! -e "$1" ]; }
has_line() { tr -d '\r' <"$2" | grep -qxF "$1"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvel'
registry_value() { wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$1 == k {print $3}'; }
registry_has_key() { wine reg query "$uninstall_key" >/dev/null 2>&1; }

[ -n "${DISPLAY:-}" ] || xvfb_start
echo "install_test: a fresh Wine prefix in $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
# Wine's mount manager links COM1..COM4 to /dev/ttyS0..3 whenever it starts,
# except for ports named in this key: both lead to the simulator's terminal.
for port in COM1 COM5; do
  wine reg add 'HKLM\Software\Wine\Ports' /v $port /d "$work/board" /f >/dev/null 2>&1
done
wineserver -w || true

drive=$WINEPREFIX/drive_c
installed=$drive/Program\ Files/Zorvel
programs=$drive/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Zorvel

# program_start DIR WINDOWS_DIR PORT: the simulator on PORT and the program in
# DIR, until its main window is there (sets app_pid and window). A COM.ini
# names any port but COM1, the serial transport's default.
program_start() {
  local dir=$1 exe="$2\\zorvel.exe" port=$3
  [ "$port" = COM1 ] || printf '[COM]\r\nPortName=%s\r\nBaudRate=9600\r\nAutoScan=0\r\n' "$port" >"$dir/COM.ini"
  board_start "$boardsim" "$work" "$WINEPREFIX" "$port" --mode 2 --interval 7 || return 1
  wine "$exe" >/dev/null 2>&1 &
  app_pid=$!
  window=$(window_wait "Время/Дата/Температура" 120) || {
    echo "install_test: the main window did not appear; windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
    return 1
  }
  sleep 1
}

# reads_board: "Прочитать" ends with the success box, and the simulator was asked.
reads_board() {
  local box
  box=$(board_read "$window" 20) || { echo "install_test: no message box after the read"; return 1; }
  echo "install_test: the read ended with \"${box#* }\""
  box_close "${box%% *}"
  [ "${box#* }" = Информация ] && grep -q 'read status' "$work/boardsim.log"
}

# closes_and_saves DIR: asked to close (as at a logoff), the program ends and
# has written what it read (mode 2, interval 7) into DIR/Zorvel.ini.
closes_and_saves() {
  wine taskkill /im zorvel.exe >/dev/null 2>&1 || true
  for _ in $(seq 200); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$app_pid" 2>/dev/null && has_line Mode=2 "$1/Zorvel.ini" && has_line Interval=7 "$1/Zorvel.ini"
}

program_stop() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  app_pid=""
  wineserver -k 2>/dev/null || true
  board_stop || true
  rm -f "$work/board" "$work/boardsim.log"
}

echo "install_test: 1. silent install of ${installer##*/}"
wine "$installer" /S
wineserver -w || true
for name in zorvel.exe ravlo.dll COM.dll FTD.dll GSM.dll RFM.dll About.bmp Manufacturer.bmp \
            Scheme0.bmp Scheme1.bmp Scheme2.bmp Scheme3.bmp Scheme4.bmp uninstall.exe; do
  check "installed $name" test -s "$installed/$name"
done
check "default Common.ini grants the settings" has_line ControllerSetting=1 "$installed/Common.ini"
check "default Common.ini names the interfaces in Windows-1251" \
  has_line "$(printf 'Interfaces[4]=Радиомодуль' | iconv -f UTF-8 -t CP1251)" "$installed/Common.ini"
check "Start menu entry" test -s "$programs/Zorvel.lnk"
check "no desktop entry unless asked for" absent "$drive/users/Public/Desktop/Zorvel.lnk"
check "uninstall entry with version $version" test "$(registry_value DisplayVersion)" = "$version"
check "uninstall entry with the uninstaller" test -n "$(registry_value UninstallString)"
check "uninstall entry with the publisher" test -n "$(registry_value Publisher)"

echo "install_test: 2. the installed program reads the board"
program_start "$installed" 'C:\Program Files\Zorvel' COM5 || true
check "read through the window of the installed program" reads_board
check "the installed program saves its settings at close" closes_and_saves "$installed"
program_stop

echo "install_test: 3. the installer again over the installation"
printf '[COMMON]\r\nInterface=0\r\nControllerSetting=1\r\n[TIME]\r\nHourM=7\r\n' >"$installed/Common.ini"
printf '[ZVL]\r\nMode=2\r\nInterval=9\r\n' >"$installed/Zorvel.ini"
wine "$installer" /S
wineserver -w || true
check "program still installed" test -s "$installed/zorvel.exe"
check "operator's Common.ini kept" has_line HourM=7 "$installed/Common.ini"
check "operator's Zorvel.ini kept" has_line Interval=9 "$installed/Zorvel.ini"
check "operator's COM.ini kept" has_line PortName=COM5 "$installed/COM.ini"

echo "install_test: 4. silent uninstall"
# The uninstaller runs a copy of itself from the temporary folder and returns
# at once; the copy's work is over when the wineserver has no more processes.
wine "$installed/uninstall.exe" /S
wineserver -w || true
for name in zorvel.exe ravlo.dll COM.dll About.bmp Scheme0.bmp uninstall.exe; do
  check "removed $name" absent "$installed/$name"
done
check "Start menu entry removed" absent "$programs"
check "uninstall entry removed" eval '! registry_has_key'
for name in Common.ini Zorvel.ini COM.ini; do
  check "settings file $name kept" test -s "$installed/$name"
done

echo "install_test: 5. the portable zip in a folder with a Cyrillic name"
portable=$drive/Табло\ Зорвел
mkdir -p "$portable"
unzip -q "$archive" -d "$portable"
check "unpacked program" test -s "$portable/Zorvel/zorvel.exe"
# The board on COM5: the program must find the COM.ini beside it in this folder.
program_start "$portable/Zorvel" 'C:\Табло Зорвел\Zorvel' COM5 || true
check "read through the window from the Cyrillic folder" reads_board
check "the program in the Cyrillic folder saves its settings at close" closes_and_saves "$portable/Zorvel"
check "COM.ini in the Cyrillic folder still names COM5" has_line PortName=COM5 "$portable/Zorvel/COM.ini"
program_stop

if [ "$failures" -ne 0 ]; then
  echo "install_test: $failures check(s) failed"
  exit 1
fi
echo "install_test: all checks passed"
