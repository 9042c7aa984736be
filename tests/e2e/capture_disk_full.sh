# A video that cannot be finished, here because its disk fills up, is
# removed, and the capture says so and fails. Needs a small tmpfs (root).
. "$(dirname "$0")/common.sh"
mkdir "$work/small"
mount -t tmpfs -o size=512k tmpfs "$work/small" 2>/dev/null || { echo "skipped: cannot mount a tmpfs"; exit 77; }
trap 'umount "$work/small"; cleanup' EXIT

code=0
timeout 120 "$qelo" --data "$data" --capture "$work/small/full.mp4" --fps 10 --until 10 2>"$work/err" || code=$?
[ "$code" = 1 ] || fail "exit $code, expected 1: $(cat "$work/err")"
[ ! -e "$work/small/full.mp4" ] || fail "the unfinished video was left"
grep -q "removed the unfinished video $work/small/full.mp4" "$work/err" || fail "no word of the removal: $(cat "$work/err")"
! grep -q "qelo: wrote" "$work/err" || fail "claims success: $(cat "$work/err")"
echo "ok: disk full: video removed, said so, exit 1"
