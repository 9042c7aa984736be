# Under Xvfb the windowed program opens a 1024 x 768 window, runs, and ends
# with exit code 0 when Esc is pressed.
. "$(dirname "$0")/common.sh"
start_xvfb

start_qelo --data "$data" --windowed
window="$(wait_for_window QELO)" || fail "no window appeared: $(cat "$work/err")"
is_fixed_window "$window" || fail "not a 1024 x 768 window: $(window_size "$window")"
sleep 2
kill -0 "$qelo_pid" 2>/dev/null || fail "the program ended by itself: $(cat "$work/err")"
press "$window" Escape
wait_for_exit 30
[ "$exit_code" = "0" ] || fail "exit code $exit_code after Esc: $(cat "$work/err")"
echo "ok"
