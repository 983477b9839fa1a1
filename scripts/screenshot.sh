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

# shellcheck source=scripts/xvfb.sh
. "$here/scripts/xvfb.sh"
app_pid=""
cleanup() {
  set +e
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
  fi
  stop_xvfb
  return 0
}
trap cleanup EXIT
start_xvfb || exit 1

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" &
app_pid=$!

# Wait (at most 10 s) until the window is mapped, then let it paint.
find_window "Quelp" "$app_pid" >/dev/null ||
  { echo "screenshot.sh: no window appeared (or the program ended early)" >&2; exit 1; }
sleep 1

mkdir -p "$(dirname "$out")"
import -window root "$out"
# Without a window manager the window sits on a black root: keep the window.
mogrify -trim +repage "$out"
echo "Screenshot: $out"
