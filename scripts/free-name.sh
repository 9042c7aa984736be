# Sourced by ./run (and its test). free_name PATH.EXT prints PATH.EXT when
# nothing is there, else the first free one of PATH-2.EXT, PATH-3.EXT, ...
# so that a capture never replaces an earlier one.
free_name() {
  local stem="${1%.*}" suffix=".${1##*.}" candidate="$1" n=2
  while [ -e "$candidate" ] || [ -L "$candidate" ]; do
    candidate="$stem-$n$suffix"
    n=$((n + 1))
  done
  printf '%s\n' "$candidate"
}
