#!/usr/bin/env bash
# Runs a command inside a private X session (Xvfb and openbox: without a window manager no window
# becomes active) or headless Wayland session (--weston, --sway); with --a11y also a private D-Bus
# session with the accessibility bus. Every process it starts is ended by its PID at the end.
#   xsession.sh [--a11y] [--weston|--sway] COMMAND [ARGS...]
set -euo pipefail

a11y=0 wayland=""
if [ "${1:-}" = --a11y ]; then a11y=1; shift; fi
case "${1:-}" in --weston|--sway) wayland=${1#--}; shift ;; esac

pids=() runtime=""
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  [ -n "$runtime" ] && rm -rf "$runtime"
  return 0
}
trap cleanup EXIT

until_true() {  # up to 10 s
  for _ in $(seq 200); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.05
  done
  echo "xsession: gave up waiting for: $*" >&2
  return 1
}

if [ -z "${XSESSION_INNER:-}" ]; then
  runtime=$(mktemp -d)
  export XDG_RUNTIME_DIR=$runtime
  unset DISPLAY WAYLAND_DISPLAY

  if [ "$wayland" = weston ]; then
    # With XWayland, for X11 programs in the same session: its display is told in weston's log.
    weston --backend=headless-backend.so --socket=wayland-x --idle-time=0 --xwayland >"$runtime/weston.log" 2>&1 &
    pids+=($!)
    until_true test -S "$runtime/wayland-x"
    until_true grep -q "xserver listening on display" "$runtime/weston.log"
    XWAYLAND_DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$runtime/weston.log")
    export WAYLAND_DISPLAY=$runtime/wayland-x XDG_SESSION_TYPE=wayland XWAYLAND_DISPLAY
  elif [ "$wayland" = sway ]; then
    # sway refuses to run as root: its own user, folder and runtime folder. No border, one window
    # at a time filling the screen: a point in a window is that point on the screen.
    mkdir -m 700 "$runtime/sway"
    printf 'default_border none\nfocus_on_window_activation focus\noutput HEADLESS-1 resolution 1024x768\n' >"$runtime/sway/config"
    chown -R nobody "$runtime/sway"
    chmod 711 "$runtime"
    env -i PATH="$PATH" HOME="$runtime/sway" XDG_RUNTIME_DIR="$runtime/sway" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
      setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$runtime/sway/config" >/dev/null 2>&1 &
    pids+=($!)
    until_true sh -c "ls '$runtime'/sway/sway-ipc.*.sock && test -S '$runtime/sway/wayland-1'"
    SWAYSOCK=$(ls "$runtime"/sway/sway-ipc.*.sock)
    export WAYLAND_DISPLAY=$runtime/sway/wayland-1 XDG_SESSION_TYPE=wayland SWAYSOCK
  else
    # Xvfb takes a free display itself (ctest -j), and tells it once it accepts clients. Without
    # -noreset it resets when its last client (xdpyinfo) leaves, turning away one that connects.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$runtime/display" >/dev/null 2>&1 &
    pids+=($!)
    until_true test -s "$runtime/display"
    export DISPLAY=":$(cat "$runtime/display")"
    until_true xdpyinfo

    openbox >/dev/null 2>&1 &
    pids+=($!)
    until_true sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
  fi

  unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
  if [ "$a11y" = 1 ]; then
    XSESSION_INNER=1 dbus-run-session -- "$0" --a11y "$@" &
  else
    XSESSION_INNER=1 "$0" "$@" &
  fi
  rc=0
  wait $! || rc=$?
  exit "$rc"
fi

# Inside: the D-Bus session is ours (dbus-run-session) when --a11y was asked for.
if [ "$a11y" = 1 ]; then
  /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >/dev/null 2>&1 &
  pids+=($!)
  until_true sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q "boolean true"'
  /usr/libexec/at-spi2-registryd >/dev/null 2>&1 &
  pids+=($!)
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi

rc=0
"$@" || rc=$?
exit "$rc"
