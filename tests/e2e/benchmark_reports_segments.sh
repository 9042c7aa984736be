# The benchmark of the show's first second on the GL renderer: a table
# naming the renderer and its driver, with the segment's row and the whole
# run's, every phase's column, the memory, and no files.
. "$(dirname "$0")/common.sh"

qelo="$(realpath "$qelo")"
data="$(realpath "$data")"
mkdir "$work/here"
cd "$work/here"
timeout 250 "$qelo" --data "$data" --benchmark --renderer gl --until 1 >"$work/out" 2>"$work/err" ||
  fail "benchmark failed: $(cat "$work/err")"
grep -q "^qelo benchmark: 60 frames at 60 a second" "$work/out" || fail "no heading: $(cat "$work/out")"
grep -Eq "^renderer: gl \(.+\)$" "$work/out" || fail "no renderer line: $(cat "$work/out")"
for column in avg p99 fps clear dots tiles rings ripple swarm tree compos other "RSS MB"; do
  grep -q "$column" "$work/out" || fail "no column $column: $(cat "$work/out")"
done
grep -Eq "^  0- 15 s +60 +[0-9.]+ +[0-9.]+ +[0-9.]+ \|" "$work/out" || fail "no row for 0-15 s: $(cat "$work/out")"
grep -Eq "^whole show +60 " "$work/out" || fail "no whole-show row: $(cat "$work/out")"
! grep -q "^ 15- 25 s" "$work/out" || fail "a row for a segment that was not run"
grep -q "peak resident memory [0-9]* MB" "$work/out" || fail "no peak memory: $(cat "$work/out")"
[ -z "$(ls -A "$work/here")" ] || fail "the benchmark wrote files: $(ls "$work/here")"
echo "ok: $(grep '^whole show' "$work/out")"
