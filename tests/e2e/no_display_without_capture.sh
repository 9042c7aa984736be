# With no display and no --capture the program says so and exits non-zero.
. "$(dirname "$0")/common.sh"

code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$qelo" --data "$data" 2>"$work/err" || code=$?
[ "$code" -ne 0 ] || fail "exited 0 without a display"
grep -q "no display" "$work/err" || fail "no clear message: $(cat "$work/err")"
grep -q -- "--capture" "$work/err" || fail "message does not point to --capture: $(cat "$work/err")"
echo "ok: exit $code"
