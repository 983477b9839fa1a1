#!/usr/bin/env bash
# Builds the program and the tests (core, window and their tests, the
# program's start-and-close test included) with AddressSanitizer and
# UndefinedBehaviorSanitizer at -O1 and runs the whole test suite there with
# leak checking; then starts and closes the window once more on X11 under
# Xvfb.
#
#   scripts/sanitize.sh          build into build-asan/ and run every test
#
# The build and the sanitizer options are the "asan" presets of
# CMakePresets.json (`ctest --preset asan` reruns the tests). Made for after
# scripts/setup.sh (as scripts/test.sh runs it); whatever of the build's
# packages is still missing is installed first.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$here/build-asan
jobs=$(($(nproc) < 2 ? $(nproc) : 2))

# Any failure ends with one summary line.
trap 'status=$?; ((status == 0)) || echo "Sanitizer build: FAILED (exit $status)"' EXIT

# g++ brings the sanitizer runtimes (libasan, libubsan); Xvfb the X11 run.
packages=(g++ cmake make libgtest-dev libcli11-dev nlohmann-json3-dev qt6-base-dev libgl-dev libxcb1-dev xvfb xauth)
"$here/scripts/install_missing.sh" "${packages[@]}"

cd "$here"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"

# Every report is fatal. Leaks that third-party libraries keep to the end
# (libdbus under X11) are listed in lsan.supp; our own code never is. The test
# preset sets these for ctest; the X11 run below needs them as well.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"

ctest --preset asan -j"$jobs"
tests=$(ctest --preset asan -N | sed -n 's/^Total Tests: *//p')

# The same start and close on the X11 platform, as on a desktop.
runtime_dir=$(mktemp -d)
trap 'status=$?; rm -rf "$runtime_dir"; ((status == 0)) || echo "Sanitizer build: FAILED (exit $status)"' EXIT
XDG_RUNTIME_DIR=$runtime_dir QT_QPA_PLATFORM=xcb \
  timeout 120 xvfb-run -a "$build_dir/tests/window_start_close"

echo "Sanitizer build: all $tests tests passed under ASan, LSan and UBSan; start and close on X11 without a leak report."
