# Without options the program asks first; answering No (Esc in the box)
# gives the 1024 x 768 window, not the full screen.
. "$(dirname "$0")/common.sh"
start_xvfb

"$qelo" --data "$data" 2>"$work/err" &
pid=$!
# The box's caption is 32 spaces and "' -".
box="$(wait_for_window "^ {32}' -$")" || { kill "$pid"; fail "no question box appeared: $(cat "$work/err")"; }
press "$box" Escape
window="$(wait_for_window '^QELO$')" || { kill "$pid"; fail "no window after the answer: $(cat "$work/err")"; }
size="$(window_size "$window")"
[ "$size" = "1024x768" ] || { kill "$pid"; fail "answering No gave a $size window"; }
press "$window" Escape
code="$(wait_exit "$pid" 30)"
[ "$code" = "0" ] || fail "exit code $code: $(cat "$work/err")"
echo "ok"
