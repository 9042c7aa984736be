# A short capture to MP4 is a normal video: 1024 x 768 H.264 (yuv420p,
# tagged BT.601 video range) at the chosen rate, the music as an audio stream, the right length; and two
# captures decode to the same frames. The default (share) quality is High
# profile with B-frames and its index ahead of the frames (it plays while it
# downloads); draft is Constrained Baseline. The summary line gives the size.
. "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed (Debian package ffmpeg)"

for name in a b; do
  timeout 250 "$qelo" --data "$data" --capture "$work/$name.mp4" --fps 10 --until 3 2>"$work/$name.log" ||
    fail "capture $name failed: $(cat "$work/$name.log")"
done
summary="$(grep "wrote 30 frames (10 a second, 3.000 s) to $work/a.mp4: " "$work/a.log")" ||
  fail "no summary line: $(cat "$work/a.log")"
# "...: 812 kB, 2.2 Mbit/s": the file's own size, its bits over 3 s.
bytes="$(stat -c %s "$work/a.mp4")"
awk -v line="$summary" -v bytes="$bytes" 'BEGIN {
  if (!match(line, /: [0-9.]+ [kM]B, [0-9.]+ [kM]bit\/s$/)) exit 1
  split(substr(line, RSTART + 2), f, /[ ,]+/)
  size = f[1] * (f[2] == "MB" ? 1e6 : 1e3); rate = f[3] * (f[4] == "Mbit/s" ? 1e6 : 1e3)
  exit !(size > 0 && (size - bytes)^2 <= (f[2] == "MB" ? 5e4 : 500)^2 && (rate - bytes * 8 / 3)^2 <= (rate / 100 + (f[4] == "Mbit/s" ? 5e4 : 500))^2)
}' || fail "summary size or rate does not match the $bytes-byte file: $summary"
grep -Eq "frames .* [0-9.]+ [kM]B$" "$work/a.log" || fail "no size in the progress lines: $(cat "$work/a.log")"

# Share quality (the default): High profile, B-frames, moov before mdat.
stream_of() { ffprobe -v error -select_streams v:0 -show_entries stream=profile,has_b_frames -of default=nw=1 "$1"; }
share="$(stream_of "$work/a.mp4")"
grep -qx "profile=High" <<<"$share" || fail "share: not High profile: $(tr '\n' ' ' <<<"$share")"
grep -Eqx "has_b_frames=[1-9]" <<<"$share" || fail "share: no B-frames: $(tr '\n' ' ' <<<"$share")"
atoms="$(ffprobe -v trace "$work/a.mp4" 2>&1 | grep -Eo "type:'(moov|mdat)'" | head -n2 | tr '\n' ' ')"
[ "$atoms" = "type:'moov' type:'mdat' " ] || fail "share: the index does not come first: $atoms"
timeout 250 "$qelo" --data "$data" --capture "$work/draft.mp4" --quality draft --fps 10 --until 1 2>"$work/draft.log" ||
  fail "draft capture failed: $(cat "$work/draft.log")"
draft="$(stream_of "$work/draft.mp4")"
grep -qx "profile=Constrained Baseline" <<<"$draft" || fail "draft: $(tr '\n' ' ' <<<"$draft")"

video="$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,color_space,color_range \
  -of default=nw=1 "$work/a.mp4")"
# The colour tags name the conversion the frames went through (BT.601, video range).
for expected in codec_name=h264 width=1024 height=768 pix_fmt=yuv420p r_frame_rate=10/1 nb_read_frames=30 \
  color_space=smpte170m color_range=tv; do
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
echo "ok: 30 frames, 1024x768 h264 yuv420p at 10 fps, audio, ${duration} s, identical in two runs; share High with B-frames, moov first; draft Baseline; $summary"
