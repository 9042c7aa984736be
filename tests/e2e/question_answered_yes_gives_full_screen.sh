# Answering Yes (Return in the box) gives the full screen.
. "$(dirname "$0")/common.sh"
start_xvfb

start_qelo --data "$data"
box="$(wait_for_window "$(printf '%32s' '')' -")" || fail "no question box appeared: $(cat "$work/err")"
press "$box" Return
window="$(wait_for_window QELO)" || fail "no window after the answer: $(cat "$work/err")"
! is_fixed_window "$window" || fail "answering Yes gave a plain 1024 x 768 window"
press "$window" Escape
wait_for_exit 30
[ "$exit_code" = "0" ] || fail "exit code $exit_code: $(cat "$work/err")"
echo "ok"
