#!/usr/bin/env bash
# Starts the calculator on a virtual display (Xvfb, 96 dpi), takes a
# screenshot of the whole screen once the window is mapped, then stops both.
# Usage: screenshot.sh OUT.png
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${DELAYSUB_BUILD_DIR:-$here/build}
out=${1:?usage: screenshot.sh OUT.png}
program="$build_dir/app/delaysub"
[ -x "$program" ] || { echo "screenshot.sh: $program is not built" >&2; exit 1; }

# A free display number: no lock file and no socket.
display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done

xvfb_pid=""
app_pid=""
cleanup() {
  set +e
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  return 0
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 800x600x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" &
app_pid=$!

# Wait (at most 10 s) until the window is mapped, then let it paint.
title="Quelp"
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q "\"$title" && break
  kill -0 "$app_pid" 2>/dev/null || { echo "screenshot.sh: the program ended early" >&2; exit 1; }
  sleep 0.1
done
sleep 1

mkdir -p "$(dirname "$out")"
import -display ":$display" -window root "$out"
# Without a window manager the window sits on a black root: keep the window.
mogrify -trim +repage "$out"
echo "Screenshot: $out"
