#!/usr/bin/env bash
# What the Windows zip must hold, checked without running it: one folder
# qelo-VERSION-windows with the stripped qelo.exe, the show's files, the
# licence and a readme naming the version; the exe imports only system DLLs
# and carries the icon and a version resource with this version.
#
# usage: package_contents.sh --package ZIP --version VERSION --license LICENSE
set -euo pipefail

package="" version="" license=""
while [ $# -gt 0 ]; do
  case "$1" in
    --package) package="$2"; shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --license) license="$2"; shift 2 ;;
    *) echo "package_contents: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$package" ] && [ -n "$version" ] && [ -n "$license" ] ||
  { echo "package_contents: --package, --version and --license are required" >&2; exit 2; }
# Not built here (the cross build is a separate build tree): skip, not fail.
[ -f "$package" ] || { echo "package_contents: SKIP: no package at $package" >&2; exit 77; }
objdump=x86_64-w64-mingw32-objdump
for tool in "$objdump" strings python3; do
  command -v "$tool" >/dev/null || { echo "package_contents: SKIP: $tool is not installed" >&2; exit 77; }
done

failures=0
fail() { echo "package_contents: FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -m zipfile -e "$package" "$work" || { echo "package_contents: FAIL: cannot unpack $package"; exit 1; }

folder="qelo-$version-windows"
[ "$(ls "$work")" = "$folder" ] || fail "the zip's one folder should be $folder, not: $(ls "$work" | tr '\n' ' ')"
# Go on in the folder there is, so that one fault does not hide the others.
dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
for file in qelo.exe LICENSE.txt README.txt vamma4.mp3; do
  [ -f "$dir/$file" ] || fail "no $file"
done
jpegs=$(find "$dir/grafiikkaa" -name '*.jpg' 2>/dev/null | wc -l)
[ "$jpegs" -eq 8 ] || fail "grafiikkaa/ holds $jpegs pictures, not 8"
[ ! -e "$dir/icons" ] || fail "the icon's sources are packaged"
cmp -s "$license" "$dir/LICENSE.txt" || fail "LICENSE.txt is not the project's licence"
[ "$(head -n1 "$dir/README.txt" 2>/dev/null)" = "qelo $version for Windows" ] ||
  fail "README.txt does not start with \"qelo $version for Windows\""

exe="$dir/qelo.exe"
[ -f "$exe" ] || { echo "package_contents: $failures failed"; exit 1; }
headers=$("$objdump" -p "$exe")

# The C++ runtime is linked in: nothing to ship beside the exe.
while read -r dll; do
  case "${dll,,}" in
    gdi32.dll | glu32.dll | kernel32.dll | msvcrt.dll | opengl32.dll | user32.dll | winmm.dll) ;;
    *) fail "qelo.exe imports $dll, which Windows does not ship" ;;
  esac
done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")

"$objdump" -t "$exe" | grep -qx 'no symbols' || fail "qelo.exe keeps its symbol table (not stripped)"
! "$objdump" -h "$exe" | grep -q ' \.debug' || fail "qelo.exe keeps debug sections (not stripped)"

# Resource types at the directory's top level: 3 icon, 14 icon group, 16 version.
types=$(sed -n '/Resource Directory section/,$p' <<<"$headers" | sed -nE 's/^[0-9a-f]{3}   Entry: ID: 0x0*([0-9a-f]+),.*/\1/p')
for type in 3:icon e:"icon group" 10:version; do
  grep -qx "${type%%:*}" <<<"$types" || fail "qelo.exe has no ${type#*:} resource"
done

# The version resource's strings (UTF-16): each key is followed by its value.
value_of() { strings -el "$exe" | awk -v key="$1" 'previous == key { print; exit } { previous = $0 }'; }
[ "$(value_of ProductName)" = qelo ] || fail "ProductName is \"$(value_of ProductName)\", not qelo"
for key in FileVersion ProductVersion; do
  [ "$(value_of "$key")" = "$version" ] || fail "$key is \"$(value_of "$key")\", not $version"
done

if [ "$failures" -gt 0 ]; then
  echo "package_contents: $failures failed"
  exit 1
fi
echo "package_contents: PASS ($(stat -c %s "$exe") bytes of qelo.exe)"
