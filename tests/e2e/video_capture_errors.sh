# Video capture without a working ffmpeg fails clearly and never reports
# success: the command missing, ffmpeg failing at once, and ffmpeg taking
# every frame but then exiting with an error; the file it began is removed.
. "$(dirname "$0")/common.sh"

# No ffmpeg on the search path: refused before anything is rendered.
mkdir "$work/empty"
code=0
timeout 60 env PATH="$work/empty" "$qelo" --data "$data" --capture "$work/x.mp4" --until 1 2>"$work/err" || code=$?
[ "$code" -ne 0 ] || fail "a capture without ffmpeg succeeded"
grep -q "ffmpeg command was not found" "$work/err" || fail "no clear message: $(cat "$work/err")"
[ ! -e "$work/x.mp4" ] || fail "a video appeared without ffmpeg"

# Stand-ins for ffmpeg: one that fails at once, one that begins the video,
# swallows the frames and then fails.
mkdir "$work/early" "$work/late"
printf '#!/bin/sh\necho "stand-in: refusing" >&2\nexit 3\n' >"$work/early/ffmpeg"
printf '#!/bin/sh\nfor last; do :; done\ncase "$last" in *.mp4) echo begun >"$last" ;; esac\ncat >/dev/null\nexit 1\n' \
  >"$work/late/ffmpeg"
chmod +x "$work/early/ffmpeg" "$work/late/ffmpeg"

for kind in early late; do
  code=0
  timeout 120 env PATH="$work/$kind:/usr/bin:/bin" "$qelo" --data "$data" --capture "$work/$kind.mp4" --fps 5 --until 1 \
    2>"$work/$kind.err" || code=$?
  [ "$code" != 124 ] || fail "$kind: the capture hung on a failed ffmpeg"
  [ "$code" -ne 0 ] || fail "$kind: a failed ffmpeg was reported as success: $(cat "$work/$kind.err")"
  grep -q "qelo: cannot .* the video $work/$kind.mp4: .*ffmpeg failed (exit status" "$work/$kind.err" ||
    fail "$kind: no clear message: $(cat "$work/$kind.err")"
  [ ! -e "$work/$kind.mp4" ] || fail "$kind: the unfinished video was left"
  ! grep -q "qelo: wrote" "$work/$kind.err" || fail "$kind: claims it wrote the video: $(cat "$work/$kind.err")"
done
grep -q "exit status 1); removed the unfinished video" "$work/late.err" ||
  fail "late: ffmpeg's exit status or the removal not told: $(cat "$work/late.err")"
echo "ok: missing, early-failing and late-failing ffmpeg all give a clear error and a failure exit"
