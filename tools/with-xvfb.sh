#!/usr/bin/env bash
# Runs a command inside a private X display: Xvfb at 24 bits on a free display number with
# a window manager (openbox) for focus, and the SDL settings the GUI tests rely on. Both are
# stopped again when the command ends; its exit status is passed on.
#   tools/with-xvfb.sh [--size WxH] COMMAND [ARGS...]
set -uo pipefail

size=1600x1200
if [ "${1:-}" = "--size" ]; then
  size=$2
  shift 2
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/lumora-xvfb.XXXXXX")
xvfb_pid=
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the descriptor.
exec 3>"$workdir/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$workdir/display" ] && break
  sleep 0.1
done
if ! [ -s "$workdir/display" ]; then
  echo "with-xvfb: Xvfb did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$workdir/display")"

openbox --sm-disable >"$workdir/wm.log" 2>&1 &
wm_pid=$!
# The window manager is up once it has announced itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

export SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 SDL_MOUSE_FOCUS_CLICKTHROUGH=1
# Message boxes go to standard error instead of waiting for someone to close them.
export LUMORA_DIALOG_ANSWER=${LUMORA_DIALOG_ANSWER:-cancel}
"$@"
