# A capture stopped by SIGINT or SIGTERM, sent to the program alone or to
# its whole process group (a terminal's Ctrl-C), keeps what it made: the
# video finished and playable with its sound cut to its frames, the frames
# written, a line saying how many; exit code 1.
. "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed (Debian package ffmpeg)"
# Job control: each background job is a process group of its own, and
# SIGINT is not ignored in it.
set -m

# stop_capture SIGNAL TARGET OUTPUT: a long capture at 5 fps, stopped after
# its first progress line (30 of 300 frames); TARGET is "process" or "group".
stop_capture() {
  start_qelo --data "$data" --capture "$3" --fps 5 --until 60
  local deadline=$((SECONDS + 120))
  until grep -q " frames" "$work/err"; do
    [ "$SECONDS" -lt "$deadline" ] && kill -0 "$qelo_pid" 2>/dev/null || fail "no progress: $(cat "$work/err")"
    sleep 0.1
  done
  if [ "$2" = group ]; then kill -s "$1" -- "-$qelo_pid"; else kill -s "$1" "$qelo_pid"; fi
  wait_for_exit 60
  [ "$exit_code" = 1 ] || fail "$1 to the $2: exit $exit_code, expected 1: $(cat "$work/err")"
  ! grep -qi "broken pipe\|killed by signal" "$work/err" || fail "$1 to the $2 reached ffmpeg: $(cat "$work/err")"
  frames="$(sed -n 's/.*interrupted after \([0-9]*\) of 300 frames.*/\1/p' "$work/err")"
  [ -n "$frames" ] && [ "$frames" -gt 0 ] || fail "$1 to the $2: no count of frames: $(cat "$work/err")"
}

# stream_seconds FILE v|a
stream_seconds() {
  ffprobe -v error -select_streams "$2:0" -show_entries stream=duration -of csv=p=0 "$1"
}

for target in process group; do
  video="$work/$target.mp4"
  stop_capture INT "$target" "$video"
  grep -q "kept the video $video, which holds $frames frames" "$work/err" || fail "no word of the kept video: $(cat "$work/err")"
  counted="$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$video")" ||
    fail "$target: the kept video does not play"
  [ "$counted" = "$frames" ] || fail "$target: the video holds $counted frames, the message says $frames"
  v="$(stream_seconds "$video" v)"
  a="$(stream_seconds "$video" a)"
  # The sound ends with the frames, within an AAC packet or two.
  awk -v v="$v" -v a="$a" 'BEGIN { exit !(a <= v + 0.1 && a >= v - 0.1) }' ||
    fail "$target: video $v s, sound $a s"
done

stop_capture TERM group "$work/frames"
grep -q "$work/frames holds its first $frames frames" "$work/err" || fail "no word of the frames kept: $(cat "$work/err")"
[ "$(ls "$work/frames" | wc -l)" = "$frames" ] || fail "$(ls "$work/frames" | wc -l) files, the message says $frames frames"
echo "ok: SIGINT to the program and to its group, SIGTERM to a frame capture's group: kept, counted, exit 1"
