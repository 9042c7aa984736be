# Without options the program asks first; answering No (Esc in the box)
# gives the 1024 x 768 window, not the full screen.
. "$(dirname "$0")/common.sh"
start_xvfb

start_qelo --data "$data"
# The box's caption is 32 spaces and "' -".
box="$(wait_for_window "$(printf '%32s' '')' -")" || fail "no question box appeared: $(cat "$work/err")"
press "$box" Escape
window="$(wait_for_window QELO)" || fail "no window after the answer: $(cat "$work/err")"
is_fixed_window "$window" || fail "answering No did not give a 1024 x 768 window: $(xprop -id "$window" WM_NORMAL_HINTS)"
press "$window" Escape
wait_for_exit 30
[ "$exit_code" = "0" ] || fail "exit code $exit_code: $(cat "$work/err")"
echo "ok"
