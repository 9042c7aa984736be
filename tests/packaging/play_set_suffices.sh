#!/usr/bin/env bash
# The play set (scripts/packages-play.txt) is all that ./run needs: apt can
# install it on a bare Debian 12, a Release configuration without the tests
# succeeds with every test-only find_package disabled, and every file that
# configuration found, and every library the program loads, belongs to a
# package that the bare system or the play set brings.
# Arguments: the source tree, a work directory, the built qelo program.
# Exit 77 (skipped) when apt has no package indexes to simulate with.
set -euo pipefail
source_dir="$1" work="$2" qelo="$3"

if ! compgen -G "/var/lib/apt/lists/*Packages*" > /dev/null; then
  echo "skipped: apt has no package indexes (run apt-get update)" >&2
  exit 77
fi

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
# Everything a bare Debian 12 has once ./run installed the play set.
"$source_dir/scripts/deps-footprint" --list-all play > "$work/allowed" ||
  fail "apt cannot install the play set on a bare Debian 12"

cmake -S "$source_dir" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DQELO_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON > "$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; fail "the Release configuration without tests failed"; }
cmake --build "$work/build" --target help > "$work/targets"
grep -qx '\.\.\. qelo' "$work/targets" || fail "the configuration without tests has no qelo target"
if grep -E '^\.\.\. qelo_(tests|gl_tests|bench|assets|golden)$' "$work/targets"; then
  fail "the configuration without tests still has the targets above"
fi

# Absolute paths among the cache's values, and the libraries qelo loads.
{
  grep -oE '=/[^;]*(;/[^;]*)*$' "$work/build/CMakeCache.txt" | tr ';' '\n' | sed 's/^=//'
  ldd "$qelo" | awk '$2 == "=>" && $3 ~ /^\// { print $3 }'
} | grep -vE "^($source_dir|$work)(/|$)" | sort -u > "$work/paths"

# Each path with its spellings: as found, resolved, and outside the merged
# /usr (dpkg may list a file under /lib).
while read -r path; do
  [ -e "$path" ] || continue
  for spelling in "$path" "$(realpath "$path")"; do
    printf '%s\t%s\n%s\t%s\n' "$path" "$spelling" "$path" "/${spelling#/usr/}"
  done
done < "$work/paths" > "$work/spellings"
while read -r package; do
  cat "/var/lib/dpkg/info/$package.list" "/var/lib/dpkg/info/$package:"*.list 2>/dev/null || true
done < "$work/allowed" > "$work/allowed-files"
awk -F'\t' 'NR == FNR { allowed[$0] = 1; next }
             { seen[$1] = 1; if ($2 in allowed) ok[$1] = 1 }
             END { for (path in seen) if (!(path in ok)) print path }' \
  "$work/allowed-files" "$work/spellings" > "$work/unexplained"

# A path that no package installed (/usr/local, an alternatives link) is no
# package's fault; one that some other package installed is.
strays=0
while read -r path; do
  owners="$(awk -F'\t' -v path="$path" '$1 == path { print $2 }' "$work/spellings" |
    { xargs dpkg-query -S 2>/dev/null || true; } | sed 's/: \/.*//' | tr ',' '\n' | sed 's/^ *//' | sort -u | xargs)"
  if [ -n "$owners" ]; then
    echo "FAIL: $path comes from $owners, which the play set does not bring" >&2
    strays=$((strays + 1))
  fi
done < "$work/unexplained"
[ "$strays" -eq 0 ] || exit 1
echo "the play set suffices: $(wc -l < "$work/paths") paths checked, \
$(grep -c . "$work/allowed") packages on a bare Debian 12 with the play set"
