#!/usr/bin/env bash
# The GL and EGL calls a build makes while it captures the show headless, as a
# normalised list: one line per call, its name, arguments and results, in
# call order. Two builds that must issue the same GL calls in the same order
# (e.g. before and after the scenes moved onto the drawing interface) give
# lists that diff empty; the first differing line is the first differing call.
#
# usage: tests/gl/record_gl_calls.sh QELO OUTPUT [FPS [UNTIL]] [-- QELO_OPTION...]
#   QELO    the program to trace; for a list of GL calls only, its capture
#           must draw every scene through GL (no layer drawn in memory)
#   OUTPUT  the list; compressed with gzip when it ends in .gz. An existing
#           file is not overwritten.
#   FPS, UNTIL  the capture's rate and end in seconds (default 1 and 62:
#           the frames at whole seconds 0 to 61)
#   QELO_OPTION  more options for the capture (e.g. --renderer gl)
# QELO_DATA names the data (default data/ of this repository); the trace and
# the frames are kept in a temporary directory until the list is written.
# Needs apitrace (Debian package apitrace).
#
# What is masked, being different from run to run while the calls are not:
# call numbers; EGL sync objects (a fresh one every context switch); client
# memory addresses (pixels read back, data passed by pointer). Other handles
# (display, configs, contexts, surfaces, images: any value of 9 or more hex
# digits) become h1, h2, ... in order of first appearance, so a list still
# shows which context each call is in.
# apitrace's own "fake" calls are dropped; uploaded pixels show as their size.
# apitrace prints a float to 7 significant digits (a double to 16), so the
# list can miss a last-bit change; tests/golden/hash_show catches those.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

positional=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do positional+=("$1"); shift; done
[ $# -gt 0 ] && shift  # the rest is for the capture
[ ${#positional[@]} -ge 2 ] && [ ${#positional[@]} -le 4 ] ||
  { echo "usage: $0 QELO OUTPUT [FPS [UNTIL]] [-- QELO_OPTION...]" >&2; exit 2; }
qelo="${positional[0]}"
output="${positional[1]}"
fps="${positional[2]:-1}"
until="${positional[3]:-62}"
data="${QELO_DATA:-$root/data}"

[ -x "$qelo" ] || { echo "record_gl_calls: $qelo is not an executable program" >&2; exit 2; }
command -v apitrace >/dev/null ||
  { echo "record_gl_calls: apitrace is not installed (apt-get install apitrace)" >&2; exit 2; }
[ -e "$output" ] && { echo "record_gl_calls: $output exists; not overwriting it" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/record_gl_calls.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir "$work/frames"
apitrace trace --api egl -o "$work/show.trace" "$qelo" --data "$data" --capture "$work/frames" \
  --fps "$fps" --until "$until" "$@" >"$work/log" 2>&1 ||
  { grep -v "^apitrace: " "$work/log" >&2; echo "record_gl_calls: tracing $qelo failed" >&2; exit 1; }

normalise() {
  perl -ne '
    BEGIN { %handle = (); $next = 1; }
    next unless s/^\d+ //;                  # call lines only, without their number
    next if m{ // fake$};
    if (/^egl(Create|Wait|Destroy|ClientWait)Sync/) {
      s/(sync = |\) = )0x[0-9a-f]+/$1<sync>/g;
    }
    s/((?:pixels|data|pointer|img|params) = )0x[0-9a-f]+/$1<memory>/g;
    s{0x[0-9a-f]{9,}}{ $handle{$&} //= "h" . $next++ }ge;
    print;'
}

list="$work/calls.txt"
apitrace dump --color=never --multiline=no "$work/show.trace" | normalise >"$list"
[ -s "$list" ] || { echo "record_gl_calls: the trace holds no calls" >&2; exit 1; }
if [[ "$output" == *.gz ]]; then
  gzip -n -c "$list" >"$output"
else
  cp "$list" "$output"
fi
echo "record_gl_calls: $(wc -l <"$list") calls to $output" >&2
