# Shared by the end-to-end scripts: $1 the program, $2 the data directory.
set -euo pipefail
qelo="$1"
data="$2"
work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts Xvfb on a free display (1280 x 1024, so a 1024 x 768 window is told
# apart from a full screen) and exports DISPLAY.
start_xvfb() {
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY
}

# Waits up to 60 s for a window whose name matches the regular expression
# $1 and prints its id.
wait_for_window() {
  local id=""
  for _ in $(seq 600); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Width x height of window $1.
window_size() {
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Focuses window $1 and presses key $2 through XTEST, as a user would.
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key "$2"
}

# Waits up to $2 seconds for process $1 and prints its exit code.
wait_exit() {
  local pid="$1" limit="$2"
  for _ in $(seq $((limit * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "timeout"
    return 0
  fi
  local code=0
  wait "$pid" || code=$?
  echo "$code"
}
