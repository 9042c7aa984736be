# Under Xvfb, live play with --until ends by itself at that show time with
# exit code 0, and --stats then prints the frame-time table of the frames
# shown: the renderer, the first segment's row and the whole show's, and no
# row for a segment the show did not reach.
. "$(dirname "$0")/common.sh"
start_xvfb

start_qelo --data "$data" --windowed --until 2 --stats
wait_for_exit 90
[ "$exit_code" = "0" ] || fail "exit code $exit_code: $(cat "$work/err")"
grep -Eq "^qelo stats: [1-9][0-9]* frames shown in [0-9.]+ s, [0-9.]+ fps$" "$work/out" ||
  fail "no heading: $(cat "$work/out")"
grep -Eq "^renderer: (software|gl \(.+\))$" "$work/out" || fail "no renderer line: $(cat "$work/out")"
grep -Eq "^  0- 15 s +[1-9][0-9]* +[0-9.]+ +[0-9.]+ +[0-9.]+ \| +[0-9]+$" "$work/out" ||
  fail "no row for 0-15 s: $(cat "$work/out")"
grep -Eq "^whole show +[1-9][0-9]* " "$work/out" || fail "no whole-show row: $(cat "$work/out")"
! grep -q "^ 15- 25 s" "$work/out" || fail "the show went on past --until: $(cat "$work/out")"
echo "ok: $(grep '^whole show' "$work/out")"
