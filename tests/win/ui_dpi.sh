#!/usr/bin/env bash
# Runs a window test program in a Wine prefix whose display has the given DPI:
#   ui_dpi.sh DPI PROGRAM.exe WINE_RUN [ARGS...]
# Wine takes the DPI from the LogPixels value of HKCU\Control Panel\Desktop
# when a process starts, and one prefix has one value, so every DPI gets a
# prefix of its own (<build>/wineprefix-dpiN), made once from the build's
# prefix with hard links (seconds, no copy of its files) and its own registry.
# The program learns the DPI it must find from ZORVEL_TEST_DPI.
set -euo pipefail
dpi=$1 exe=$2 wine_run=$3
shift 3

base=$("$wine_run" --prefix "$exe")
build=$(dirname "$base")
prefix=$base-dpi$dpi

exec 8>"$build/.ui-dpi.lock"
flock 8
if [ ! -f "$prefix/.zorvel-ready" ]; then
  # The build's prefix is made by the first program that runs in it.
  [ -f "$base/.zorvel-ready" ] || "$wine_run" "$exe" --gtest_list_tests >/dev/null
  rm -rf "$prefix"
  cp -al "$base" "$prefix"
  # The registry files are rewritten (not changed in place) by the wineserver,
  # but they must be the prefix's own before we edit them.
  for hive in system.reg user.reg userdef.reg; do
    cp --remove-destination "$base/$hive" "$prefix/$hive"
  done
  python3 - "$prefix/user.reg" "$dpi" <<'PY'
import re, sys
path, dpi = sys.argv[1], int(sys.argv[2])
text = open(path, encoding="utf-8", errors="surrogateescape").read()
value = f'"LogPixels"=dword:{dpi:08x}\n'
header = re.search(r'^\[Control Panel\\\\Desktop\][^\n]*\n', text, re.M)
if header is None:
    text += f'\n[Control Panel\\\\Desktop] 0\n{value}'
else:
    end = text.find("\n[", header.end())
    end = len(text) if end < 0 else end + 1
    section = re.sub(r'^"LogPixels"=[^\n]*\n', "", text[header.end():end], flags=re.M)
    text = text[:header.end()] + value + section + text[end:]
open(path, "w", encoding="utf-8", errors="surrogateescape").write(text)
PY
  touch "$prefix/.zorvel-ready"
fi
flock -u 8
exec 8>&-

export ZORVEL_WINEPREFIX=$prefix ZORVEL_TEST_DPI=$dpi
exec "$wine_run" "$exe" "$@"
