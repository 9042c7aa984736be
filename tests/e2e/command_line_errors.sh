# Bad options: one clear line on stderr and exit code 2; --help and
# --version answer and exit 0 without opening anything.
. "$(dirname "$0")/common.sh"

expect_error() {
  local code=0
  timeout 20 "$qelo" "$@" >"$work/out" 2>"$work/err" || code=$?
  [ "$code" -eq 2 ] || fail "'$*' exited $code, not 2"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "'$*' printed not one line: $(cat "$work/err")"
  grep -q '^qelo: ' "$work/err" || fail "'$*' printed: $(cat "$work/err")"
}
expect_error --bogus
expect_error --fps 30
expect_error --capture "$work/x" --fps 0
expect_error --capture "$work/x" --until -1
expect_error --windowed --fullscreen
expect_error --data "$work/does-not-exist" --capture "$work/x"
expect_error stray
expect_error --renderer vulkan
grep -q "gl, software or auto" "$work/err" || fail "--renderer vulkan printed: $(cat "$work/err")"
expect_error --capture "$work/x" --stats
expect_error --capture "$work/x" --quality draft
grep -q "PNG frames are always exact" "$work/err" || fail "--quality with frames printed: $(cat "$work/err")"
expect_error --capture "$work/x.mp4" --quality best

timeout 20 "$qelo" --help >"$work/help" || fail "--help failed"
grep -q -- '--capture DIR' "$work/help" || fail "--help text: $(cat "$work/help")"
timeout 20 "$qelo" --version >"$work/version" || fail "--version failed"
grep -q '^qelo [0-9]' "$work/version" || fail "--version printed: $(cat "$work/version")"
[ ! -e "$work/x" ] || fail "a bad command line created the capture directory"
echo "ok"
