#!/usr/bin/env bash
# Smoke test of qelo.exe under Wine and Xvfb (1024x768x24): answers the
# full-screen question with No, lets the show play, takes a screenshot of the
# root window, ends the show with Esc and requires exit code 0, a picture
# that is not black, and no hang. Every step runs under `timeout`.
#
# usage: wine_smoke.sh EXE DATA_DIR WORK_DIR [PLAY_SECONDS]
#   WORK_DIR keeps the Wine prefix between runs (made on first use), the
#   shim, the logs and the screenshot (screenshot.png).
set -euo pipefail

exe=$(realpath "$1")
data=$(realpath "$2")
work=$(mkdir -p "$3" && realpath "$3")
play_seconds=${4:-6}
here=$(cd "$(dirname "$0")" && pwd)
start=$(date +%s)
elapsed() { echo "$(($(date +%s) - start)) s"; }
say() { echo "wine_smoke: $* ($(elapsed))"; }
die() { say "FAIL: $*"; exit 1; }

for tool in wine wineserver Xvfb xdotool xwd python3 cc; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done

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
# where GStreamer's MP3 decoder exists; without one MCI fails cleanly.
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"

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

cd "$data"
LD_PRELOAD="$shim" timeout 120 wine "$exe" >"$work/qelo.log" 2>&1 &
show_pid=$!

# The question box takes a while to appear and a single key is sometimes
# lost: press n (No: windowed) until the show's window exists.
window=""
for _ in $(seq 1 160); do
  kill -0 "$show_pid" 2>/dev/null || die "qelo.exe ended before its window opened (see $work/qelo.log)"
  window=$(xdotool search --name '^QELO$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  xdotool key n 2>/dev/null || true
  sleep 0.25
done
[ -n "$window" ] || die "no QELO window after the question"
say "window open"

sleep "$play_seconds"
xwd -root -silent >"$work/screenshot.xwd" || die "xwd failed"
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

# The window's picture lies in the screen's top-left 1024x768 area; with its
# frame it is shifted, so judge the inner part only.
python3 "$here/screenshot.py" "$work/screenshot.xwd" "$work/screenshot.png" --region 64 64 896 640 ||
  die "the screenshot is black"
say "PASS"
