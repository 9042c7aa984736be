# A short capture to MP4 is a normal video: 1024 x 768 H.264 (yuv420p) at
# the chosen rate, the music as an audio stream, the right length; and two
# captures decode to the same frames.
. "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed (Debian package ffmpeg)"

for name in a b; do
  timeout 250 "$qelo" --data "$data" --capture "$work/$name.mp4" --fps 10 --until 3 2>"$work/$name.log" ||
    fail "capture $name failed: $(cat "$work/$name.log")"
done
grep -q "wrote 30 frames (10 a second, 3.000 s) to $work/a.mp4" "$work/a.log" ||
  fail "no summary line: $(cat "$work/a.log")"

video="$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames -of default=nw=1 "$work/a.mp4")"
for expected in codec_name=h264 width=1024 height=768 pix_fmt=yuv420p r_frame_rate=10/1 nb_read_frames=30; do
  grep -qx "$expected" <<<"$video" || fail "video stream: expected $expected, got: $(tr '\n' ' ' <<<"$video")"
done
audio="$(ffprobe -v error -select_streams a -show_entries stream=codec_type -of csv=p=0 "$work/a.mp4")"
[ "$audio" = "audio" ] || fail "expected one audio stream, got '$audio'"

# The file's length: 3 s within two frames (0.2 s at 10 fps), sound included.
duration="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/a.mp4")"
awk -v d="$duration" 'BEGIN { exit !(d >= 2.8 && d <= 3.2) }' || fail "duration $duration, expected 3 s +- 2 frames"

for name in a b; do
  ffmpeg -v error -i "$work/$name.mp4" -map 0:v -f framemd5 "$work/$name.md5" || fail "cannot decode $name.mp4"
done
[ "$(grep -vc '^#' "$work/a.md5")" -eq 30 ] || fail "expected 30 decoded frames"
cmp -s "$work/a.md5" "$work/b.md5" || fail "the two captures decode to different frames"
echo "ok: 30 frames, 1024x768 h264 yuv420p at 10 fps, audio, ${duration} s, identical in two runs"
