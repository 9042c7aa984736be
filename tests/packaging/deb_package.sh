# The Debian package, checked without installing it (apt-get install in the
# real root would change the machine): made by cpack from the build directory
# into a temporary folder, its control fields and files checked, then
# unpacked into a temporary root whose program captures 2 s from another
# folder and must find its data in the unpacked usr/share/qelo.
# $1 the build directory (the program built), $2 the project's version.
set -euo pipefail
build="$1"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 || fail "cpack failed: $(cat "$work/cpack.log")"
deb="$work/package/qelo_${version}_amd64.deb"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work/package")"

# Control fields. Depends comes from dpkg-shlibdeps: without it the list is
# empty and the package would install without its libraries.
field() { dpkg-deb --field "$deb" "$1"; }
for expected in Package=qelo Version="$version" Architecture=amd64 Section=games; do
  [ "$(field "${expected%%=*}")" = "${expected#*=}" ] || fail "control: expected $expected, got: $(dpkg-deb --info "$deb")"
done
# The package names of a relation field, one a line, without versions.
names() { field "$1" | sed -e 's/ *([^)]*)//g' -e 's/ *[,|] */\n/g'; }
depends="$(field Depends)"
for library in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 libegl1 libopengl0 libglu1-mesa; do
  names Depends | grep -qxF "$library" || fail "Depends lacks $library: $depends"
done
names Recommends | grep -qxF ffmpeg || fail "ffmpeg is not recommended: $(field Recommends)"

# Exactly these files, owned by root; nothing of the tests or the build.
expected="$(printf '%s\n' ./usr/bin/qelo ./usr/share/applications/qelo.desktop ./usr/share/doc/qelo/copyright \
  ./usr/share/icons/hicolor/256x256/apps/qelo.png ./usr/share/man/man6/qelo.6 \
  ./usr/share/qelo/grafiikkaa/{ihminen1,ihminen2,ihminen3,ihminen4,ihminen5,tile1,tile2,tile3}.jpg \
  ./usr/share/qelo/vamma4.mp3 | sort)"
dpkg-deb --contents "$deb" >"$work/contents"
files="$(awk '$1 !~ /^d/ {print $6}' "$work/contents" | sort)"
[ "$files" = "$expected" ] || fail "package files differ from the expected:
$(diff <(echo "$expected") <(echo "$files") || true)"
awk '$2 != "root/root" {bad = 1; print "not owned by root: " $0 > "/dev/stderr"} END {exit bad}' "$work/contents" ||
  fail "files not owned by root"
grep -qE '^-rwxr-xr-x .* \./usr/bin/qelo$' "$work/contents" || fail "usr/bin/qelo is not executable"

root="$work/root"
dpkg-deb -x "$deb" "$root"
! readelf -S "$root/usr/bin/qelo" | grep -q '\.debug_info' || fail "usr/bin/qelo is not stripped"

# The icon: a 256 x 256 PNG (signature, IHDR, width, height).
header="$(od -An -tx1 -N24 "$root/usr/share/icons/hicolor/256x256/apps/qelo.png" | tr -d ' \n')"
[ "${header:0:16}" = 89504e470d0a1a0a ] && [ "${header:24:24}" = 494844520000010000000100 ] ||
  fail "the icon is not a 256 x 256 PNG (header $header)"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/qelo.desktop" || fail "the desktop entry is not valid"
else
  echo "note: desktop-file-validate (package desktop-file-utils) is not installed; desktop entry not validated"
fi
grep -qx 'Exec=qelo' "$root/usr/share/applications/qelo.desktop" || fail "the desktop entry does not start qelo"
if command -v groff >/dev/null; then
  warnings="$(groff -man -Tutf8 -ww -z "$root/usr/share/man/man6/qelo.6" 2>&1)"
  [ -z "$warnings" ] || fail "the man page has roff warnings: $warnings"
fi

# From an empty folder, neither the current directory nor <exe>/../data has
# the pictures: only the unpacked usr/share/qelo does. A file not found is
# named on stderr ("cannot read ...") while the capture goes on.
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && "$root/usr/bin/qelo" --renderer software --capture "$work/frames" --fps 5 --until 2) \
  2>"$work/run.log" || fail "the unpacked qelo failed: $(cat "$work/run.log")"
! grep -q "cannot read\|missing" "$work/run.log" || fail "the unpacked qelo did not find its data: $(cat "$work/run.log")"
grep -q "wrote 10 frames (5 a second, 2.000 s)" "$work/run.log" || fail "no summary line: $(cat "$work/run.log")"
frames=("$work"/frames/frame-*.png)
[ "${#frames[@]}" -eq 10 ] || fail "expected 10 frames, found ${#frames[@]}"
for frame in "${frames[@]}"; do
  header="$(od -An -tx1 -N24 "$frame" | tr -d ' \n')"
  [ "${header:24:24}" = 494844520000040000000300 ] || fail "$(basename "$frame") is not a 1024 x 768 PNG"
done
cmp -s "${frames[0]}" "${frames[9]}" && fail "the first and the last frame are the same picture"
echo "ok: $(basename "$deb") ($(stat -c %s "$deb") bytes), Depends: $depends; 10 frames from the unpacked tree"
