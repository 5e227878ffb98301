# Shell functions for driving the Windows program under Wine against the
# simulated board: boardsim on a pseudo-terminal that a Wine prefix maps to a
# COM port, a private X display when there is none, and a read through the
# main window. Sourced by scripts/run and tests/install/install_test.sh; the
# caller's EXIT trap calls board_stop and xvfb_stop.

board_sim_pid="" board_xvfb_pid=""

# board_start BOARDSIM DIR PREFIX PORT [boardsim options...]: starts boardsim on
# the pseudo-terminal DIR/board (its log in DIR/boardsim.log) and makes it the
# COM port PORT (say COM5) of the Wine prefix PREFIX.
board_start() {
  local boardsim=$1 dir=$2 prefix=$3 port=$4
  shift 4
  "$boardsim" --pty "$dir/board" --log "$dir/boardsim.log" "$@" >/dev/null 2>&1 &
  board_sim_pid=$!
  for _ in $(seq 100); do [ -e "$dir/board" ] && break; sleep 0.05; done
  [ -e "$dir/board" ] || { echo "the simulator made no pseudo-terminal" >&2; return 1; }
  mkdir -p "$prefix/dosdevices"
  ln -sfn "$(readlink -f "$dir/board")" "$prefix/dosdevices/${port,,}"
}

board_stop() {
  [ -n "$board_sim_pid" ] && kill "$board_sim_pid" 2>/dev/null && wait "$board_sim_pid" 2>/dev/null
  board_sim_pid=""
}

# xvfb_start [WIDTHxHEIGHT]: a private X display (sets DISPLAY) for a run
# without one, 1024x768 unless a size is given.
xvfb_start() {
  local fifo number size=${1:-1024x768}
  fifo=$(mktemp -u) && mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 "${size}x24" -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  board_xvfb_pid=$!
  read -r -t 20 number <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
  rm -f "$fifo"
  export DISPLAY=:$number
}

xvfb_stop() {
  [ -n "$board_xvfb_pid" ] && kill "$board_xvfb_pid" 2>/dev/null && wait "$board_xvfb_pid" 2>/dev/null
  board_xvfb_pid=""
}

# window_wait CAPTION [SECONDS]: prints the id of the window with exactly this
# caption once it is there (default 30 s); fails when it does not come.
window_wait() {
  local caption=$1 tenths=$((${2:-30} * 10)) window=""
  for _ in $(seq "$tenths"); do
    window=$(xdotool search --name "^$caption\$" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && { echo "$window"; return 0; }
    sleep 0.1
  done
  return 1
}

# window_press_read WINDOW: presses "Прочитать" of the main window (right part
# of its bottom band).
window_press_read() {
  xdotool mousemove --window "$1" 260 248 click 1
}

# box_wait [SECONDS]: waits for the message box that ends a read or a write
# (default 10 s) and prints its id and caption: "Информация" on success,
# "Ошибка" or "Внимание" otherwise.
box_wait() {
  local tenths=$((${1:-10} * 10)) caption box
  for _ in $(seq "$tenths"); do
    for caption in Информация Ошибка Внимание; do
      box=$(xdotool search --name "^$caption\$" 2>/dev/null | head -1 || true)
      [ -n "$box" ] && { echo "$box $caption"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# box_close BOX: answers a message box with Enter.
box_close() {
  xdotool key --window "$1" Return 2>/dev/null
}

# board_read WINDOW [SECONDS]: presses "Прочитать" and prints the id and
# caption of the box that ends the read (as box_wait). The program warns
# ("Внимание") when the board's clock and the computer's differ by the minute;
# the simulator keeps this computer's time, so only a read that straddles a
# minute boundary warns. The read starts well inside a minute, and a warning is
# passed over only when the minute did change meanwhile.
board_read() {
  local window=$1 seconds=${2:-10} minute box
  while [ "$(date +%S)" -gt 40 ]; do sleep 1; done
  minute=$(date +%H%M)
  window_press_read "$window"
  box=$(box_wait "$seconds") || return 1
  if [ "${box#* }" = Внимание ] && [ "$(date +%H%M)" != "$minute" ]; then
    box_close "${box%% *}"
    for _ in $(seq 50); do xdotool getwindowname "${box%% *}" >/dev/null 2>&1 || break; sleep 0.1; done
    box=$(box_wait "$seconds") || return 1
  fi
  echo "$box"
}
