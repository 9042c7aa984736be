# Music that is not a sound file ffmpeg can read costs the video its sound,
# not the capture: one warning, a video without audio, exit code 0.
. "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed (Debian package ffmpeg)"
mkdir "$work/show"
[ -d "$data/grafiikkaa" ] && ln -s "$data/grafiikkaa" "$work/show/grafiikkaa"
for _ in $(seq 200); do echo "not music at all"; done >"$work/show/vamma4.mp3"

code=0
timeout 120 "$qelo" --data "$work/show" --capture "$work/silent.mp4" --fps 5 --until 1 2>"$work/err" || code=$?
[ "$code" = 0 ] || fail "exit $code: $(cat "$work/err")"
[ "$(grep -c "vamma4.mp3" "$work/err")" = 1 ] || fail "expected one warning about the music: $(cat "$work/err")"
grep -q "cannot use the music .*vamma4.mp3 (ffmpeg cannot decode it); the video will have no sound" "$work/err" ||
  fail "unclear warning: $(cat "$work/err")"
streams="$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/silent.mp4")"
[ "$streams" = video ] || fail "expected a video stream only, got: $(tr '\n' ' ' <<<"$streams")"
echo "ok: unusable music: one warning, a silent video, exit 0"
