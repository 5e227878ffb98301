#!/usr/bin/env bash
# cmake/wine-run passes a program's own exit status through unchanged and
# reports a failure of Wine itself apart: "wine-run: Wine failed" and 125.
#   wine_run_test.sh WINE_RUN BIN_DIR
set -uo pipefail
wine_run=$1 bin=$2
err=$(mktemp)
trap 'rm -f "$err"' EXIT
failed=0
expect() {  # what status stderr-pattern|- command...
  local what=$1 want=$2 pattern=$3
  shift 3
  "$wine_run" "$@" >/dev/null 2>"$err"
  local status=$?
  if [ "$status" -ne "$want" ]; then
    echo "$what: status $status, expected $want"; cat "$err"; failed=1
  elif [ "$pattern" = - ] && grep -q "wine-run: Wine failed" "$err"; then
    echo "$what: reported as Wine's failure"; cat "$err"; failed=1
  elif [ "$pattern" != - ] && ! grep -q -- "$pattern" "$err"; then
    echo "$what: no \"$pattern\" on stderr"; cat "$err"; failed=1
  fi
}
expect "a program's own status" 3 - cmd /c exit 3
expect "a program's success" 0 - cmd /c exit 0
expect "a program Wine cannot load" 125 "wine-run: Wine failed running $bin/no-such-program.exe" \
  "$bin/no-such-program.exe"
# Without the DLLs beside it, Wine's loader gives up before the program runs
# and says so only in its own error messages.
alone=$(mktemp -d "$bin/../lone-program.XXXXXX")  # in the build tree: its prefix
trap 'rm -f "$err"; rm -rf "$alone"' EXIT
cp "$bin/zorvelctl.exe" "$alone/"
(
  cd "$alone" && unset WINEPATH
  expect "a program whose DLLs are missing" 125 "ravlo.dll" "$alone/zorvelctl.exe" --help
  exit $failed
) || failed=1
exit $failed
