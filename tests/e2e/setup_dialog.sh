#!/usr/bin/env bash
# The setup dialog under Xvfb with GTK: it appears with its title and its
# tab, Enter starts the production (Escape then ends it with 0), and on the
# next start Quit ends the program with 0, leaving the seven settings.
set -euo pipefail

build=${QUILLON_BUILD_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/build}
source_dir=${QUILLON_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$source_dir/tests/support/setup_dialog.sh"

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
unset SDL_VIDEODRIVER WAYLAND_DISPLAY  # the production's window on the X display too
export XDG_CONFIG_HOME="$work/config"
cd "$work"
# The production started by Start reads ./data/ (the music first).
ln -s "$source_dir/data" data

fail() { echo "FAIL: $*" >&2; [ -f log.txt ] && sed 's/^/log: /' log.txt >&2; exit 1; }

# First start: the dialog, a look at it, then Enter on the focused Start.
"$build/quillon" >"$work/out1.txt" 2>&1 &
quillon_pid=$!
wait_for_setup_dialog 60 >/dev/null || fail "no setup dialog"
sleep 0.5
xwd -root -silent >"$work/shot.xwd"
convert "$work/shot.xwd" "$build/e2e-setup-dialog.png"
# Not an empty screen: the dialog's light face covers a good part of it.
mean=$(convert "$build/e2e-setup-dialog.png" -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "screenshot is empty (mean $mean)"

press_start 30 || fail "Start did not close the dialog"
# The run's window (xdotool's search does not see SDL's windows by name).
plinthor() { xwininfo -root -tree 2>/dev/null | grep -q '"Plinthor"'; }
for _ in $(seq 600); do
  plinthor && break
  kill -0 "$quillon_pid" 2>/dev/null || fail "the program ended instead of running"
  sleep 0.1
done
plinthor || fail "no Plinthor window after Start"
# Escape in the run's window ends the process.
for _ in $(seq 30); do
  kill -0 "$quillon_pid" 2>/dev/null || break
  xdotool mousemove 100 100 key Escape
  sleep 1
done
status=0
wait "$quillon_pid" || status=$?
quillon_pid=""
[ "$status" -eq 0 ] || fail "the run ended with $status: $(cat "$work/out1.txt")"

conf="$XDG_CONFIG_HOME/Velmora/Quillon.conf"
[ -f "$conf" ] || fail "no settings file after Start"

# Second start: Quit ends the program with 0; all seven values are kept.
"$build/quillon" >"$work/out2.txt" 2>&1 &
quillon_pid=$!
press_quit 60 || fail "Quit did not close the dialog"
status=0
wait "$quillon_pid" || status=$?
quillon_pid=""
[ "$status" -eq 0 ] || fail "Quit ended with $status: $(cat "$work/out2.txt")"

for name in driver_sel setup_tab_select mode zbuffer_bits texture_bits fullscreen disable_vsync; do
  grep -Eq "^$name=-?[0-9]+$" "$conf" || fail "settings lack $name: $(cat "$conf")"
done
tail -n 1 "$conf" | grep -qx end || fail "settings file not whole"
echo "setup dialog end to end: ok"
