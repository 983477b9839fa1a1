#!/usr/bin/env bash
# Builds the program and the tests (core, window and their tests, the
# program's start-and-close test included) with AddressSanitizer and
# UndefinedBehaviorSanitizer at -O1 and runs the whole test suite there with
# leak checking, a start and close of the window on X11 under Xvfb included.
#
#   scripts/sanitize.sh          build into build-asan/ and run every test
#
# The build and the sanitizer options are the "asan" presets of
# CMakePresets.json (`ctest --preset asan` reruns the tests). Made for after
# scripts/setup.sh (as scripts/test.sh runs it); whatever of the build's
# packages is still missing is installed first.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(($(nproc) < 2 ? $(nproc) : 2))

# Any failure ends with one summary line.
trap 'status=$?; ((status == 0)) || echo "Sanitizer build: FAILED (exit $status)"' EXIT

# g++ brings the sanitizer runtimes (libasan, libubsan); Xvfb the X11 run.
packages=(g++ cmake make libgtest-dev libcli11-dev nlohmann-json3-dev qt6-base-dev libgl-dev libxcb1-dev xvfb xauth)
"$here/scripts/install_missing.sh" "${packages[@]}"

cd "$here"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"

# Every report is fatal. The test preset sets the sanitizers' options; leaks
# that third-party libraries keep to the end (libdbus under X11) are listed in
# lsan.supp, our own code never is. The suite starts and closes the program on
# X11 under Xvfb as well (window_start_close_x11).
ctest --preset asan -j"$jobs"
tests=$(ctest --preset asan -N | sed -n 's/^Total Tests: *//p')

echo "Sanitizer build: all $tests tests passed under ASan, LSan and UBSan, start and close on X11 included."
