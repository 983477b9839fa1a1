#!/usr/bin/env bash
# Sets up what is missing, builds and starts the calculator. Without a display
# it starts it on a virtual one (Xvfb) and writes a screenshot instead.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
build_dir=$here/build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build_dir/app/delaysub"
fi
exec "$here/scripts/screenshot.sh" "${1:-$build_dir/delaysub-screenshot.png}"
