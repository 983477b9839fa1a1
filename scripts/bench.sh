#!/usr/bin/env bash
# Builds the benchmark program (Release) and runs it: start-up, memory and
# response of the calculator against an empty window of the same size, and
# the calculation core alone. The windows are shown on a virtual display of
# their own (Xvfb), or on the offscreen platform when Xvfb is missing.
#
# Usage: scripts/bench.sh [--starts N] [--samples N] [--core-rounds N]
# The build is the "bench" preset of CMakePresets.json, in build-bench/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$here/build-bench

# shellcheck source=scripts/xvfb.sh
. "$here/scripts/xvfb.sh"
scratch=$(mktemp -d)
cleanup() {
  stop_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT

# The build's output is shown only when it fails.
echo "Building $build_dir/bench/delaysub_bench (Release)..."
if ! { cd "$here" && cmake --preset bench &&
  cmake --build --preset bench --target delaysub_bench -j"$(nproc)"; } >"$scratch/build.log" 2>&1; then
  cat "$scratch/build.log" >&2
  echo "bench.sh: the build failed" >&2
  exit 1
fi
program="$build_dir/bench/delaysub_bench"

unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$scratch}"
if command -v Xvfb >/dev/null; then
  start_xvfb || { echo "bench.sh: no virtual display" >&2; exit 1; }
  export QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=offscreen
fi

os=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-}")
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
  "$(awk '/MemTotal/ {printf "%.1f GiB RAM", $2 / 1048576}' /proc/meminfo);" \
  "${os:-$(uname -s)}, kernel $(uname -r); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Command: scripts/bench.sh${*:+ $*} (display: $QT_QPA_PLATFORM${DISPLAY:+ $DISPLAY})"
"$program" "$@"
