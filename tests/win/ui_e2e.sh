#!/usr/bin/env bash
# Runs the window's end-to-end test: starts the board simulator on a
# pseudo-terminal, maps a COM port of the build's Wine prefix to it, runs the
# test program under Wine and stops the simulator in every case.
#   ui_e2e.sh com|tcp|settings TEST.exe WINE_RUN BOARDSIM_CANDIDATE...
# "settings": COM.ini names a missing port; the operator picks the
# simulator's port in the settings dialog, and COM.ini must hold it after.
set -euo pipefail
link=$1 exe=$2 wine_run=$3
shift 3
boardsim=""
for candidate in "$@"; do
  if [ -x "$candidate" ]; then boardsim=$candidate; break; fi
done
if [ -z "$boardsim" ]; then
  echo "ui_e2e: no native boardsim (build native-asan first); skipped"
  exit 77
fi

port=COM7
work=$(mktemp -d)
prefix=$("$wine_run" --prefix "$exe")
mkdir -p "$prefix/dosdevices"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -f "$prefix/dosdevices/com7"
  rm -rf "$work"
}
trap cleanup EXIT

"$boardsim" --pty "$work/board" --tcp 0 --state "$work/state.json" --log "$work/commands.log" --mode 3 --interval 10 >"$work/boardsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$work/board" ] && break; sleep 0.05; done
[ -e "$work/board" ] || { echo "ui_e2e: boardsim made no pseudo-terminal"; cat "$work/boardsim.log"; exit 1; }
ln -sfn "$(readlink -f "$work/board")" "$prefix/dosdevices/com7"

if [ "$link" = settings ]; then
  ini="$(dirname "$exe")/COM.ini"
  printf '[COM]\r\nPortName=COM99\r\nPortsMax=32\r\nAutoScan=1\r\n' >"$ini"
  status=0
  ZORVEL_OPERATOR_PATH=1 ZORVEL_COM_PORT=$port ZORVEL_BOARD_STATE="$work/state.json" "$wine_run" "$exe" \
    --gtest_brief=0 --gtest_filter='*OperatorChoosesThePortInTheSettings' || status=$?
  saved=$(tr -d '\r' <"$ini" | grep -i '^PortName=' || true)
  rm -f "$ini"
  [ "$status" = 0 ] || exit "$status"
  [ "$saved" = "PortName=$port" ] || { echo "ui_e2e: COM.ini holds '$saved', not PortName=$port"; exit 1; }
  echo "ui_e2e: COM.ini holds $saved"
elif [ "$link" = tcp ]; then
  tcp_port=$(awk '$1 == "tcp" {print $2; exit}' "$work/boardsim.log")
  ZORVEL_TCP_PORT=$tcp_port ZORVEL_BOARD_STATE="$work/state.json" ZORVEL_BOARD_LOG="$work/commands.log" "$wine_run" "$exe" --gtest_brief=0
else
  ZORVEL_COM_PORT=$port ZORVEL_BOARD_STATE="$work/state.json" ZORVEL_BOARD_LOG="$work/commands.log" "$wine_run" "$exe" --gtest_brief=0
fi
