# With --renderer software the windowed program opens a 1024 x 768 window
# that has no GL context, shows the show's frames on it (not a black window)
# and ends with exit code 0 when Esc is pressed.
. "$(dirname "$0")/common.sh"
start_xvfb

# How many pixels of the 32-bit XWD picture $1 are lit (red + green + blue
# above 24), its pad byte ignored. The header's fields are big-endian.
lit_pixels() {
  local header_field
  header_field() { od -An -v -tu1 -j $(($2 * 4)) -N4 "$1" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}'; }
  local height bits row_bytes byte_order
  height="$(header_field "$1" 5)"
  byte_order="$(header_field "$1" 7)"
  bits="$(header_field "$1" 11)"
  row_bytes="$(header_field "$1" 12)"
  [ "$bits" = 32 ] || fail "screenshot has $bits bits a pixel, expected 32"
  # The pixels are the file's last height x row_bytes bytes; the pad byte
  # is the last of each pixel in LSBFirst order (0), the first in MSBFirst.
  tail -c $((height * row_bytes)) "$1" | od -An -v -tu1 -w4 |
    awk -v pad=$((byte_order == 0 ? 4 : 1)) '{ s = $1 + $2 + $3 + $4 - $pad; if (s > 24) n++ } END { print n + 0 }'
}

start_qelo --data "$data" --windowed --renderer software
window="$(wait_for_window QELO)" || fail "no window appeared: $(cat "$work/err")"
is_fixed_window "$window" || fail "not a 1024 x 768 window: $(window_size "$window")"
# The first frames take their time on a loaded machine: look a few times.
lit=0
for _ in $(seq 20); do
  sleep 1
  kill -0 "$qelo_pid" 2>/dev/null || fail "the program ended by itself: $(cat "$work/err")"
  xwd -id "$window" -silent >"$work/shot.xwd" || fail "no screenshot of the window"
  lit="$(lit_pixels "$work/shot.xwd")"
  # A frame of the show lights far more than a few stray pixels.
  [ "$lit" -gt 20000 ] && break
done
[ "$lit" -gt 20000 ] || fail "the window stayed black ($lit lit pixels): $(cat "$work/err")"
press "$window" Escape
wait_for_exit 30
[ "$exit_code" = "0" ] || fail "exit code $exit_code after Esc: $(cat "$work/err")"
echo "ok: $lit lit pixels"
