# Two headless captures of the first seconds give byte-identical frames; the
# second also writes the targets' layers, which must not change the frames.
. "$(dirname "$0")/common.sh"

timeout 250 "$qelo" --data "$data" --capture "$work/a" --fps 10 --until 3 2>"$work/a.log" ||
  fail "first capture failed: $(cat "$work/a.log")"
timeout 250 "$qelo" --data "$data" --capture "$work/b" --fps 10 --until 3 --layers 2>"$work/b.log" ||
  fail "second capture failed: $(cat "$work/b.log")"

frames="$(ls "$work/a" | grep -c '^frame-[0-9]*\.png$' || true)"
[ "$frames" -eq 30 ] || fail "expected 30 frames (3 s at 10 fps), got $frames"
for f in "$work"/a/frame-*.png; do
  cmp -s "$f" "$work/b/$(basename "$f")" || fail "$(basename "$f") differs between the two captures"
done
layers="$(ls "$work/b" | grep -c -- '-target[0-4]\.png$' || true)"
[ "$layers" -eq 150 ] || fail "expected 150 layer pictures (5 a frame), got $layers"
grep -q "wrote 30 frames" "$work/a.log" || fail "no summary line: $(cat "$work/a.log")"
echo "ok: 30 frames identical in two runs, 150 layers"
