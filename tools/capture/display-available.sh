#!/usr/bin/env bash
# Exit status 0 when a window can be opened on a display here, 1 when not
# (no DISPLAY and no WAYLAND_DISPLAY, or nothing answers there). With -v it
# says why not on standard error. make run uses it to choose between the
# player and a capture to quillon.mp4.
verbose=0
[ "${1:-}" = "-v" ] && verbose=1
why() { [ "$verbose" -eq 1 ] && echo "$*" >&2; return 1; }

if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  socket="$WAYLAND_DISPLAY"
  [ "${socket#/}" = "$socket" ] && socket="${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/$socket"
  [ -S "$socket" ] && exit 0
  if [ -z "${DISPLAY:-}" ]; then
    why "the Wayland display $WAYLAND_DISPLAY has no socket at $socket"
    exit 1
  fi
fi

[ -n "${DISPLAY:-}" ] || why "neither DISPLAY nor WAYLAND_DISPLAY is set" || exit 1

if command -v xdpyinfo >/dev/null 2>&1; then
  timeout 10 xdpyinfo >/dev/null 2>&1 && exit 0
  why "the X display $DISPLAY does not answer"
  exit 1
fi
if command -v xset >/dev/null 2>&1; then
  timeout 10 xset q >/dev/null 2>&1 && exit 0
  why "the X display $DISPLAY does not answer"
  exit 1
fi
# Without the X tools: a local display is there when its socket is.
number="${DISPLAY#*:}"
number="${number%%.*}"
case "$DISPLAY" in
  :*|unix:*) [ -S "/tmp/.X11-unix/X$number" ] && exit 0
             why "the X display $DISPLAY has no socket at /tmp/.X11-unix/X$number"; exit 1 ;;
esac
exit 0  # a remote display: the player finds out itself
