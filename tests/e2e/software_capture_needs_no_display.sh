# A capture with --renderer software needs no window system, no video driver
# and no GL: it runs with no display named and with EGL and GLX offered no
# driver at all, and writes its frames.
. "$(dirname "$0")/common.sh"

code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
  __EGL_VENDOR_LIBRARY_FILENAMES="$work/no-such-vendor.json" __GLX_VENDOR_LIBRARY_NAME=no-such-vendor \
  timeout 250 "$qelo" --data "$data" --renderer software --capture "$work/frames" --fps 10 --until 0.3 \
  >"$work/out" 2>"$work/err" || code=$?
[ "$code" = 0 ] || fail "exit code $code: $(cat "$work/err")"
frames="$(ls "$work/frames" | grep -c '^frame-[0-9]*\.png$' || true)"
[ "$frames" -eq 3 ] || fail "expected 3 frames (0.3 s at 10 fps), got $frames: $(cat "$work/err")"
! grep -q "you fail" "$work/err" || fail "a failure was reported: $(cat "$work/err")"
echo "ok: $frames frames"
