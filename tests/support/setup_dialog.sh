# Shell helpers for end-to-end scripts that start build/quillon under Xvfb,
# where the setup dialog comes first. Source this file, then:
#
#   press_start [seconds]   waits for the setup dialog, presses Enter (the
#                           Start button has the focus) until the dialog is
#                           gone; fails when it never appears or never goes
#   press_quit [seconds]    the same with a click on the Quit button
#
#   start_xvfb DIR          starts an Xvfb on a free display (it tells the
#                           number through DIR/display), sets xvfb_pid and
#                           exports DISPLAY; fails when no server comes up
#
# Both need DISPLAY and xdotool. Give quillon its own XDG_CONFIG_HOME so the
# settings of one run do not leak into another's.

start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "FAIL: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$1/display")"
}

SETUP_DIALOG_TITLE='^Velmora Setup v0\.1 - moot 02 - Plinthor$'

setup_dialog_window() {
  xdotool search --onlyvisible --name "$SETUP_DIALOG_TITLE" 2>/dev/null | head -n 1
}

# Waits up to $1 seconds (default 60) for the dialog; prints its window id.
wait_for_setup_dialog() {
  local limit=$(( ${1:-60} * 10 )) i=0 id=""
  while [ $i -lt $limit ]; do
    id=$(setup_dialog_window)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1; i=$((i + 1))
  done
  return 1
}

# Acts on the dialog (a function name), again every second, until it closes.
_act_until_closed() {
  local action=$1 limit=$(( ${2:-60} * 10 )) id i=0
  id=$(wait_for_setup_dialog "${2:-60}") || { echo "setup dialog did not appear" >&2; return 1; }
  sleep 0.3  # the dialog takes the keyboard once it is mapped
  while [ $i -lt $limit ]; do
    [ $((i % 10)) -eq 0 ] && "$action" "$id"
    sleep 0.1; i=$((i + 1))
    [ -z "$(setup_dialog_window)" ] && return 0
  done
  echo "setup dialog did not close" >&2
  return 1
}

_press_enter() { xdotool key --clearmodifiers Return; }

_click_quit() {
  # Quit sits at 84,165 dialog units (126,268 pixels) inside the dialog.
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 176)) $((Y + 279)) click 1
}

press_start() { _act_until_closed _press_enter "${1:-60}"; }
press_quit() { _act_until_closed _click_quit "${1:-60}"; }
