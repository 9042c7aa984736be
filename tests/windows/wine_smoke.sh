#!/usr/bin/env bash
# Smoke test of the Windows package under Wine and Xvfb (1024x768x24): unpacks
# the Windows zip, runs qelo.exe from its folder (the show's files lie beside
# it), answers the full-screen question, lets the show play, takes a
# screenshot of the root window, ends the show with Esc and requires exit
# code 0, a picture that is not black (and, given a reference, made of the
# same colours), and no hang: Wine runs under `timeout`, ctest bounds the rest.
#
# usage: wine_smoke.sh --package ZIP --work DIR [--play SECONDS]
#                      [--answer n|Return] [--reference PNG...] [--min-similarity S]
#                      [--expect-music]
#   --work keeps the Wine prefix between runs (made on first use), the shim,
#          the logs and the screenshot (screenshot.png).
#   --answer n: No, windowed (default); Return: Yes, full screen (Return also
#          confirms the box that reports a display mode that cannot be set).
#   --reference: frames of the Linux capture around the same show time, or
#          the capture's directory (the best match counts); full screen
#          only, where the screenshot is exactly the show's picture.
#   --expect-music: the music must have opened and started through MCI
#          (needs GStreamer's MP3 decoder on the host; a null ALSA device
#          stands in for the sound card).
set -euo pipefail

package="" work="" play_seconds=6 answer=n min_similarity=0.5 expect_music=0
references=() reference_requested=0
while [ $# -gt 0 ]; do
  case "$1" in
    --package) package=$(realpath -m "$2"); shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --play) play_seconds="$2"; shift 2 ;;
    --answer) answer="$2"; shift 2 ;;
    --reference)
      shift
      reference_requested=1
      while [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; do
        if [ -d "$1" ]; then
          # A capture directory: its frames, not the per-target layer pictures.
          for frame in "$1"/frame-[0-9]*.png; do
            case "$frame" in *-target*) ;; *) [ -f "$frame" ] && references+=("$(realpath "$frame")") ;; esac
          done
        else
          references+=("$(realpath "$1")")
        fi
        shift
      done ;;
    --min-similarity) min_similarity="$2"; shift 2 ;;
    --expect-music) expect_music=1; shift ;;
    *) echo "wine_smoke: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$package" ] && [ -n "$work" ] || { echo "wine_smoke: --package and --work are required" >&2; exit 2; }
if [ "$reference_requested" = 1 ] && [ ${#references[@]} -eq 0 ]; then
  echo "wine_smoke: no reference pictures found" >&2
  exit 1
fi
# Not built here (the cross build is a separate build tree): skip, not fail.
[ -f "$package" ] || { echo "wine_smoke: SKIP: no package at $package" >&2; exit 77; }
work=$(mkdir -p "$work" && realpath "$work")

here=$(cd "$(dirname "$0")" && pwd)
start=$(date +%s)
say() { echo "wine_smoke: $* ($(($(date +%s) - start)) s)"; }
die() { say "FAIL: $*"; exit 1; }

for tool in wine wineserver Xvfb xdotool xwd python3 cc; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done

rm -rf "$work/package"
python3 -m zipfile -e "$package" "$work/package" || die "cannot unpack $package"
show_dir=$(dirname "$(find "$work/package" -name qelo.exe | head -n1)")
[ -f "$show_dir/qelo.exe" ] || die "no qelo.exe in $package"

# Mesa + Xvfb BadMatch on single-buffered pbuffers: see the shim's header.
shim="$work/xputimage_depth_shim.so"
cc -shared -fPIC -O2 -o "$shim" "$here/xputimage_depth_shim.c" -ldl

# A private X server on a free display number.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 -u "$display_fd" display_number || die "Xvfb did not start"
export DISPLAY=":$display_number"

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" HOME="$work/home"
mkdir -p "$HOME"
# No sound card on CI machines: a null ALSA device lets MCI open the music
# where GStreamer's MP3 decoder exists; without one MCI fails cleanly and
# the show runs silently.
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"

# xwd of the root window; now and then the server refuses one (BadColor
# while Wine changes the display), so try a few times.
take_screenshot() {
  local attempt
  for attempt in 1 2 3; do
    xwd -root -silent >"$work/screenshot.xwd" 2>"$work/xwd.log" && return 0
    sleep 0.5
  done
  return 1
}

show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null || true
  timeout 20 wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 180 wineboot -i >"$work/wineboot.log" 2>&1 || die "wineboot failed (see $work/wineboot.log)"
  timeout 60 wineserver -w || true
  say "made the Wine prefix"
fi

cd "$show_dir"
LD_PRELOAD="$shim" timeout 300 wine ./qelo.exe >"$work/qelo.log" 2>&1 &
show_pid=$!

# The question box takes a while to appear and a single key is sometimes
# lost: press the answer until the show's window exists.
window=""
for _ in $(seq 1 160); do
  kill -0 "$show_pid" 2>/dev/null || die "qelo.exe ended before its window opened (see $work/qelo.log)"
  window=$(xdotool search --name '^QELO$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  xdotool key "$answer" 2>/dev/null || true
  sleep 0.25
done
[ -n "$window" ] || die "no QELO window after the question"
say "window open"
drawing_deadline=$(($(date +%s) + 60))

if [ "$answer" = n ]; then
  # A framed window at the screen's corner: judge the inner part only.
  region=(--region 64 64 896 640)
else
  region=(--region 0 0 1024 768)
fi

# Start-up (pictures, five pbuffers) runs after the window opens: wait for
# the first drawn frames (at most a minute), then let the show play.
drawing=0
for _ in $(seq 1 60); do
  kill -0 "$show_pid" 2>/dev/null || die "qelo.exe ended before drawing (see $work/qelo.log)"
  if take_screenshot && python3 "$here/screenshot.py" "$work/screenshot.xwd" "" "${region[@]}" --quick >/dev/null; then
    drawing=1
    break
  fi
  [ "$(date +%s)" -lt "$drawing_deadline" ] || break
  sleep 1
done
[ "$drawing" = 1 ] || die "the show drew nothing but black within a minute"
say "show drawing"
sleep "$play_seconds"
take_screenshot || die "xwd failed: $(cat "$work/xwd.log")"
say "screenshot taken"

# Esc until the process ends (it may be between frames when one arrives).
for _ in $(seq 1 80); do
  kill -0 "$show_pid" 2>/dev/null || break
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key Escape 2>/dev/null || true
  sleep 0.25
done
status=0
wait "$show_pid" || status=$?
show_pid=""
[ "$status" -eq 0 ] || die "qelo.exe exited with $status (124: timeout; see $work/qelo.log)"
say "exit code 0"
if [ "$expect_music" = 1 ] && grep -q '^qelo: music:' "$work/qelo.log"; then
  die "the music did not play: $(grep '^qelo: music:' "$work/qelo.log" | head -n1)"
fi

check=("${region[@]}")
if [ "$answer" != n ] && [ ${#references[@]} -gt 0 ]; then
  check+=(--reference "${references[@]}" --min-similarity "$min_similarity")
fi
python3 "$here/screenshot.py" "$work/screenshot.xwd" "$work/screenshot.png" "${check[@]}" ||
  die "the screenshot is black or unlike the reference"
say "PASS"
