# A capture never replaces a user's files unasked: an existing video, or a
# folder already holding frames, is refused with exit code 2 and left as it
# was; --overwrite replaces them. A name like Show.MP4 is a video too.
. "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed (Debian package ffmpeg)"

capture() {  # capture OUTPUT [OPTIONS...]; sets code
  code=0
  timeout 120 "$qelo" --data "$data" --capture "$@" --fps 5 --until 0.4 2>"$work/err" || code=$?
}

echo "the user's own video" >"$work/qelo.mp4"
cp "$work/qelo.mp4" "$work/original"
capture "$work/qelo.mp4"
[ "$code" = 2 ] || fail "an existing video: exit $code, expected 2: $(cat "$work/err")"
grep -qx "qelo: the video $work/qelo.mp4 exists; give --overwrite to replace it, or another name" "$work/err" ||
  fail "no clear line: $(cat "$work/err")"
[ "$(wc -l <"$work/err")" = 1 ] || fail "more than one line: $(cat "$work/err")"
cmp -s "$work/qelo.mp4" "$work/original" || fail "the existing video was changed"

capture "$work/qelo.mp4" --overwrite
[ "$code" = 0 ] || fail "--overwrite: exit $code: $(cat "$work/err")"
[ "$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$work/qelo.mp4")" = h264 ] ||
  fail "--overwrite did not leave a video"

capture "$work/Show.MP4"
[ "$code" = 0 ] && [ -f "$work/Show.MP4" ] || fail "Show.MP4 did not become a video: exit $code: $(cat "$work/err")"

# Frames: a second capture into the same folder is refused; with
# --overwrite the folder holds the new, shorter capture only.
mkdir "$work/frames"
echo notes >"$work/frames/notes.txt"
code=0
timeout 120 "$qelo" --data "$data" --capture "$work/frames" --fps 5 --until 1 2>"$work/err" || code=$?
[ "$code" = 0 ] || fail "first frame capture: exit $code: $(cat "$work/err")"
before="$(cd "$work/frames" && md5sum ./*)"
capture "$work/frames"
[ "$code" = 2 ] || fail "a folder with frames: exit $code, expected 2: $(cat "$work/err")"
grep -q "already holds frames (frame-\*.png); give --overwrite" "$work/err" || fail "no clear line: $(cat "$work/err")"
[ "$(cd "$work/frames" && md5sum ./*)" = "$before" ] || fail "the folder's files were changed"
capture "$work/frames" --overwrite
[ "$code" = 0 ] || fail "--overwrite on frames: exit $code: $(cat "$work/err")"
[ "$(cd "$work/frames" && ls)" = "$(printf 'frame-000000.png\nframe-000001.png\nnotes.txt')" ] ||
  fail "expected 2 new frames and notes.txt, got: $(ls "$work/frames")"
echo "ok: existing video and frames refused untouched (exit 2), --overwrite replaces them, Show.MP4 is a video"
