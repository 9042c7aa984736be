# A display that nothing answers at is a failed window, not an invisible
# show: one "you fail" line naming the display, exit 1, at once.
. "$(dirname "$0")/common.sh"

# A display number no X server holds (no socket, no lock file).
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done

code=0
env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=":$n" timeout 20 "$qelo" --data "$data" \
  >"$work/out" 2>"$work/err" || code=$?
[ "$code" != 124 ] || fail "still running after 20 s: $(cat "$work/err")"
[ "$code" = 1 ] || fail "exit code $code: $(cat "$work/err")"
[ "$(grep -c "you fail" "$work/err")" = 1 ] || fail "not said exactly once: $(cat "$work/err")"
grep -q "you fail: some window init failzz (.*DISPLAY=:$n" "$work/err" ||
  fail "the message does not name the display: $(cat "$work/err")"
echo "ok: $(cat "$work/err")"
