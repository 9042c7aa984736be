# A video's frames are the frames a capture to pictures writes: the video's
# writer blends each frame's layers while the next frame is drawn, so the
# layers it reads must not be redrawn under it. Compared through the
# encoder (master quality: about 48 dB); a frame blended from a half-drawn
# next frame is 17-30 dB.
. "$(dirname "$0")/common.sh"
command -v ffmpeg >/dev/null || fail "ffmpeg is not installed (Debian package ffmpeg)"

timeout 250 "$qelo" --data "$data" --capture "$work/pictures" --fps 10 --until 2 2>"$work/pictures.log" ||
  fail "capture to pictures failed: $(cat "$work/pictures.log")"
timeout 250 "$qelo" --data "$data" --capture "$work/video.mp4" --quality master --fps 10 --until 2 \
  2>"$work/video.log" || fail "capture to a video failed: $(cat "$work/video.log")"
ffmpeg -nostdin -i "$work/video.mp4" -framerate 10 -i "$work/pictures/frame-%06d.png" \
  -lavfi "[0:v][1:v]psnr" -f null - 2>"$work/psnr.log" || fail "ffmpeg could not compare: $(tail -3 "$work/psnr.log")"
line="$(grep -o "PSNR y:.*" "$work/psnr.log")" || fail "no PSNR from ffmpeg: $(tail -3 "$work/psnr.log")"
lowest="$(sed -E 's/.* min:([0-9.]+|inf).*/\1/' <<<"$line")"
awk -v v="$lowest" 'BEGIN { exit !(v == "inf" || v + 0 >= 40) }' ||
  fail "a video frame is not the captured frame (lowest PSNR $lowest dB; $line)"
echo "ok: the video's 20 frames are the captured ones (lowest PSNR $lowest dB)"
