# Under Xvfb the windowed program opens a 1024 x 768 window, runs, and ends
# with exit code 0 when Esc is pressed.
. "$(dirname "$0")/common.sh"
start_xvfb

"$qelo" --data "$data" --windowed 2>"$work/err" &
pid=$!
window="$(wait_for_window '^QELO$')" || { kill "$pid"; fail "no window appeared: $(cat "$work/err")"; }
[ "$(window_size "$window")" = "1024x768" ] || { kill "$pid"; fail "window is $(window_size "$window")"; }
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the program ended by itself: $(cat "$work/err")"
press "$window" Escape
code="$(wait_exit "$pid" 30)"
[ "$code" = "0" ] || fail "exit code $code after Esc: $(cat "$work/err")"
echo "ok"
