# ./run without a display never writes over an earlier capture: it takes
# qelo.mp4, then qelo-2.mp4, qelo-3.mp4, ... (the naming it sources).
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/../../scripts/free-name.sh"

[ "$(free_name "$work/qelo.mp4")" = "$work/qelo.mp4" ] || fail "a free qelo.mp4 was not taken"
touch "$work/qelo.mp4"
[ "$(free_name "$work/qelo.mp4")" = "$work/qelo-2.mp4" ] || fail "expected qelo-2.mp4"
mkdir "$work/qelo-2.mp4"                          # anything there counts
ln -s "$work/nowhere" "$work/qelo-3.mp4"          # a dangling link too
[ "$(free_name "$work/qelo.mp4")" = "$work/qelo-4.mp4" ] || fail "expected qelo-4.mp4, got $(free_name "$work/qelo.mp4")"
mkdir "$work/a.b"
[ "$(free_name "$work/a.b/x.mp4")" = "$work/a.b/x.mp4" ] || fail "a dotted folder confused the name"
echo "ok: qelo.mp4, then the first free qelo-N.mp4"
