# The show ends at the first frame whose show time reads more than 120.0 s:
# at 1 fps that is frame 120 (120,000 ms reads a hair above 120.0), so a
# whole capture has frames 0 to 120 and nothing after.
. "$(dirname "$0")/common.sh"

timeout 280 "$qelo" --data "$data" --capture "$work/c" --fps 1 2>"$work/c.log" ||
  fail "capture failed: $(cat "$work/c.log")"
[ -f "$work/c/frame-000120.png" ] || fail "frame 120 (show time 120.0 s) is missing"
[ ! -e "$work/c/frame-000121.png" ] || fail "frame 121 exists: the show did not end at 120 s"
count="$(ls "$work/c" | wc -l)"
[ "$count" -eq 121 ] || fail "expected 121 files, got $count"
echo "ok: frames 0..120"
