# A driver that refuses a render target: the user is told once, in one box,
# start-up goes no further (no pictures read, no music started) and the
# program exits 1. The refusal is injected through QELO_FAIL_RENDER_TARGET;
# render targets are GL surfaces, so the GL renderer is asked for.
. "$(dirname "$0")/common.sh"

# An empty data directory: had start-up gone on, it would name each missing
# picture and the missing music on stderr.
mkdir "$work/empty"

# Headless (a capture): the same failure, said on stderr alone.
code=0
QELO_FAIL_RENDER_TARGET=0 timeout 60 "$qelo" --renderer gl --data "$work/empty" --capture "$work/frames" --until 1 \
  >"$work/out" 2>"$work/err" || code=$?
[ "$code" = 1 ] || fail "capture: exit code $code: $(cat "$work/err")"
[ "$(grep -c "you fail" "$work/err")" = 1 ] || fail "capture: not said exactly once: $(cat "$work/err")"
! grep -q "grafiikkaa\|vamma4" "$work/err" || fail "capture: start-up went on: $(cat "$work/err")"

# Live in a window: count the "you fail" boxes, answering each.
start_xvfb
QELO_FAIL_RENDER_TARGET=2 start_qelo --renderer gl --data "$work/empty" --windowed
boxes=0
deadline=$((SECONDS + 60))
while kill -0 "$qelo_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
  box="$(xwininfo -root -tree 2>/dev/null | grep -F '"you fail":' | awk '{print $1}' | head -n1 || true)"
  if [ -n "$box" ] && xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; then
    boxes=$((boxes + 1))
    press "$box" Return
    while xwininfo -id "$box" >/dev/null 2>&1 && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  fi
  sleep 0.1
done
wait_for_exit 5
[ "$exit_code" = 1 ] || fail "window: exit code $exit_code: $(cat "$work/err")"
[ "$boxes" = 1 ] || fail "window: $boxes boxes: $(cat "$work/err")"
[ "$(grep -c "you fail" "$work/err")" = 1 ] || fail "window: not said exactly once: $(cat "$work/err")"
! grep -q "grafiikkaa\|vamma4\|sound" "$work/err" || fail "window: start-up went on: $(cat "$work/err")"
echo "ok: $(cat "$work/err")"
