#!/usr/bin/env bash
# Runs one GUI test program on a real X server (Xvfb) under a window manager (openbox), with
# Qt's xcb platform: windows are then mapped, exposed and managed as on a desktop.
# Usage: run_on_xvfb.sh PROGRAM [ARGS...]
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "run_on_xvfb.sh: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '\n' <"$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 0.5

export QT_QPA_PLATFORM=xcb
# Under LeakSanitizer, what D-Bus keeps once xcb has started it is no leak of ours.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/x11_leaks.supp"
export XDG_RUNTIME_DIR="$work"
"$@"
