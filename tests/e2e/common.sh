# Shared by the end-to-end scripts: $1 the program, $2 the data directory.
set -euo pipefail
qelo="$1"
data="$2"
work="$(mktemp -d)"
# The show's files may not be there yet; it runs without them.
[ -d "$data" ] || { data="$work/data"; mkdir "$data"; }
xvfb_pid=""
qelo_pid=""
cleanup() {
  [ -n "$qelo_pid" ] && kill "$qelo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" TERM INT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts Xvfb on a free display (1280 x 1024, so a 1024 x 768 window is told
# apart from a full screen) and exports DISPLAY.
start_xvfb() {
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY
}

# Waits up to 60 s for a visible window named exactly $1 and prints its id.
# Reads the window tree (xdotool's search misses names stored as UTF-8).
wait_for_window() {
  local id="" deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    id="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}' | head -n1 || true)"
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Width x height of window $1.
window_size() {
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Whether window $1 is a plain window fixed at 1024 x 768. Under Xvfb no
# window manager carries out a full-screen request, so both modes keep the
# 1024 x 768 size there; what tells them apart is the size hints: SDL pins a
# window's size, and leaves a full-screen window's free for the manager.
is_fixed_window() {
  [ "$(window_size "$1")" = "1024x768" ] &&
    xprop -id "$1" WM_NORMAL_HINTS | grep -q "program specified maximum size: 1024 by 768"
}

# Focuses window $1 and presses key $2 through XTEST, as a user would.
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key "$2"
}

# Starts the program in the background with arguments "$@"; its output goes
# to $work/out and $work/err.
start_qelo() {
  "$qelo" "$@" >"$work/out" 2>"$work/err" &
  qelo_pid=$!
}

# Waits up to $1 seconds for the program to end and sets exit_code to its
# exit code ("timeout" if it did not end; it is then killed).
wait_for_exit() {
  local deadline=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$qelo_pid" 2>/dev/null; do sleep 0.1; done
  if kill -0 "$qelo_pid" 2>/dev/null; then
    exit_code="timeout"
    return 0
  fi
  exit_code=0
  wait "$qelo_pid" || exit_code=$?
  qelo_pid=""
}
