#!/usr/bin/env bash
# Every settings file loads and saves byte for byte the same whatever folder
# the program lies in: the probe is copied with its libraries into an ASCII
# folder, a Cyrillic one and a Greek one, run once to save and once to load,
# under the Russian locale (ANSI code page 1251: the Greek name is outside
# it) and under the default one (where the Cyrillic name is outside it).
#   settings_folder.sh PROBE.exe WINE_RUN
set -euo pipefail
probe=$1 wine_run=$2
bin=$(dirname "$probe")
build=$(cd "$bin/.." && pwd)
work=$build/settings-folders
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# The Russian locale for Wine's code page, compiled into the build tree when
# the system has not got it (no root needed, nothing changed system-wide).
ru=ru_RU.UTF-8
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  export LOCPATH=$build/locales
  if [ ! -d "$LOCPATH/$ru" ]; then
    mkdir -p "$LOCPATH"
    localedef -i ru_RU -f UTF-8 "$LOCPATH/$ru" >/dev/null 2>&1 || { echo "settings_folder: localedef failed"; exit 1; }
  fi
fi

run_in() {  # locale folder-name: save, load; leaves the folder's files and the load output
  local locale=$1 name=$2 dir=$work/$1/$2
  mkdir -p "$dir"
  cp "$probe" "$bin"/*.dll "$dir"/
  LC_ALL=$locale LANG=$locale "$wine_run" "$dir/$(basename "$probe")" save >"$dir/save.out"
  LC_ALL=$locale LANG=$locale "$wine_run" "$dir/$(basename "$probe")" load >"$dir/load.out"
}

failed=0
for locale in "$ru" C.UTF-8; do
  for name in ascii Программы Πρόγραμμα; do
    run_in "$locale" "$name"
  done
  base=$work/$locale/ascii
  echo "== $locale: $(head -1 "$base/save.out"), $(ls "$base"/*.ini | wc -l) files"
  for name in Программы Πρόγραμμα; do
    dir=$work/$locale/$name
    for file in "$base"/*.ini; do
      if ! cmp -s "$file" "$dir/$(basename "$file")"; then
        echo "FAIL $locale $name: $(basename "$file") differs from the ASCII folder's"
        failed=1
      fi
    done
    extra=$(cd "$dir" && ls | grep -vxF -f <(cd "$base" && ls) || true)
    [ -z "$extra" ] || { echo "FAIL $locale $name: files the ASCII folder lacks: $extra"; failed=1; }
    if ! diff "$base/load.out" "$dir/load.out"; then
      echo "FAIL $locale $name: loads differently"
      failed=1
    fi
  done
done
[ "$(head -1 "$work/$ru/ascii/save.out" | tr -d '\r')" = "acp 1251" ] || { echo "FAIL: the Russian locale gave $(head -1 "$work/$ru/ascii/save.out")"; failed=1; }
for file in COM FTD TCP GSM RFM Common Zorvel CSD_Numbers; do
  [ -f "$work/$ru/ascii/$file.ini" ] || { echo "FAIL: $file.ini was not written"; failed=1; }
done
cat "$work/$ru/ascii/load.out"
exit $failed
