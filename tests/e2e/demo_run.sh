#!/usr/bin/env bash
# The production under Xvfb, started the way a viewer starts it: in a folder
# that holds data/ (a link to the checkout's), past the setup dialog's Start,
# in a window. It shows pictures (screenshots land in the build folder as
# e2e-demo-*.png), plays on without one failed effect, and Escape ends it
# with status 0.
set -euo pipefail

build=${QUILLON_BUILD_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/build}
source_dir=${QUILLON_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tests/support/setup_dialog.sh"

[ -f "$source_dir/data/qv3.mp3" ] || { echo "SKIP: no data/ (make data)"; exit 0; }

work=$(mktemp -d)
xvfb_pid=""
quillon_pid=""
cleanup() {
  [ -n "$quillon_pid" ] && kill "$quillon_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}  # no sound card needed
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Velmora" "$work/run"
printf '# Velmora Quillon settings\nfullscreen=0\nend\n' >"$XDG_CONFIG_HOME/Velmora/Quillon.conf"
ln -s "$source_dir/data" "$work/run/data"
cd "$work/run"

fail() { echo "FAIL: $*" >&2; [ -f log.txt ] && sed 's/^/log: /' log.txt >&2; exit 1; }

"$build/quillon" >"$work/out.txt" 2>&1 &
quillon_pid=$!
press_start 60 || fail "Start did not close the setup dialog"

# (The tree is read whole first: grep -q closing the pipe early would fail
# the pipeline under pipefail.)
plinthor() { local tree; tree=$(xwininfo -root -tree 2>/dev/null) || true; [[ $tree == *'"Plinthor"'* ]]; }
for _ in $(seq 600); do
  plinthor && break
  kill -0 "$quillon_pid" 2>/dev/null || fail "the program ended instead of running: $(cat "$work/out.txt")"
  sleep 0.1
done
plinthor || fail "no Plinthor window after Start: $(cat "$work/out.txt")"

# A look at the screen now and then; none of them may be black.
shot() {
  xwd -root -silent >"$work/shot.xwd"
  convert "$work/shot.xwd" "$build/e2e-demo-$1.png"
  local mean
  mean=$(convert "$build/e2e-demo-$1.png" -colorspace Gray -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.03) }' || fail "screenshot $1 is black (mean $mean)"
}
sleep 2
shot 1-start
for n in 2 3 4; do
  sleep 5
  kill -0 "$quillon_pid" 2>/dev/null || fail "the production ended early: $(cat "$work/out.txt")"
  shot "$n"
done

for _ in $(seq 30); do
  kill -0 "$quillon_pid" 2>/dev/null || break
  xdotool mousemove 100 100 key Escape
  sleep 1
done
status=0
wait "$quillon_pid" || status=$?
quillon_pid=""
[ "$status" -eq 0 ] || fail "Escape ended the production with $status: $(cat "$work/out.txt")"
if grep -q "FX Suxx" "$work/out.txt" || { [ -f log.txt ] && grep -q "init error" log.txt; }; then
  fail "an effect failed to load: $(cat "$work/out.txt")"
fi
echo "the production under Xvfb: ok"
