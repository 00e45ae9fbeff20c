#!/usr/bin/env bash
# Where no display can be opened, make run renders the production to
# quillon.mp4 instead of playing it: the display check says yes only where
# an X server answers or a Wayland socket is there, and the run target calls
# the player or the capture accordingly (with stand-ins for both, so nothing
# is rendered here).
set -euo pipefail

source_dir=${QUILLON_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
check="$source_dir/tools/capture/display-available.sh"
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
live=":$(head -n 1 "$work/display")"
/usr/bin/python3 -c 'import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$work/wayland-0"

# display-available.sh: environment -> expected status.
expect() {
  local want=$1; shift
  local got=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$@" "$check" -v 2>"$work/why" || got=$?
  [ "$got" -eq "$want" ] || fail "$* gave $got, not $want ($(cat "$work/why"))"
  if [ "$want" -ne 0 ]; then [ -s "$work/why" ] || fail "$*: no reason given"; fi
}
expect 1
expect 1 DISPLAY=:4711
expect 1 WAYLAND_DISPLAY=wayland-nowhere XDG_RUNTIME_DIR="$work"
expect 0 DISPLAY="$live"
expect 0 WAYLAND_DISPLAY=wayland-0 XDG_RUNTIME_DIR="$work"
expect 0 WAYLAND_DISPLAY="$work/wayland-0"
expect 0 WAYLAND_DISPLAY=wayland-nowhere XDG_RUNTIME_DIR="$work" DISPLAY="$live"

# make run with stand-ins for the programs it calls; each notes its
# arguments. The Makefile names them relative to the checkout.
stub="$work/stub"
mkdir -p "$stub"
for program in quillon quillon-capture quillon-assets; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$program" "$work" > "$stub/$program"
  chmod +x "$stub/$program"
done
relative=$(realpath --relative-to="$source_dir" "$stub")
run() {
  rm -f "$work/calls"
  env -u DISPLAY -u WAYLAND_DISPLAY "$@" make --no-print-directory -C "$source_dir" -o deps -o build -o data \
    run BUILD="$relative" >"$work/make.out" 2>&1 || fail "make run failed: $(cat "$work/make.out")"
}

run
grep -qx "quillon-capture --fps 30 --size 800x600 -o quillon.mp4" "$work/calls" || fail "no capture: $(cat "$work/calls")"
grep -q "^quillon " "$work/calls" && fail "the player ran without a display"
grep -q "no display" "$work/make.out" || fail "make run did not say why: $(cat "$work/make.out")"
grep -q "^quillon-assets check" "$work/calls" || fail "the asset check did not run"

run DISPLAY="$live"
grep -qx "quillon " "$work/calls" || fail "the player did not run on $live: $(cat "$work/calls")"
grep -q "^quillon-capture" "$work/calls" && fail "a capture ran with a display"
echo "display check and make run: ok"
