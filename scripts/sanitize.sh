#!/usr/bin/env bash
# Builds the test programs (core, window and their tests, the program's
# start-and-close test included) with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite there with leak
# checking; then starts and closes the window once more on X11 under Xvfb.
#
#   scripts/sanitize.sh          build into build-asan/ and run every test
#
# DELAYSUB_SAN_BUILD_DIR chooses the build directory. Made for after
# scripts/setup.sh (as scripts/test.sh runs it); whatever of the build's
# packages is still missing is installed first. To stay quick it builds only
# what ctest runs (not the program itself, whose start and close
# window_start_close repeats) at -O1.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${DELAYSUB_SAN_BUILD_DIR:-$here/build-asan}
jobs=$(($(nproc) < 2 ? $(nproc) : 2))
test_targets=(core_tests form_tests window_tests window_start_close window_x11_tests)

# Any failure ends with one summary line.
trap 'status=$?; ((status == 0)) || echo "Sanitizer build: FAILED (exit $status)"' EXIT

# g++ brings the sanitizer runtimes (libasan, libubsan); Xvfb the X11 run.
packages=(g++ cmake make libgtest-dev qt6-base-dev libgl-dev libxcb1-dev xvfb xauth)
"$here/scripts/install_missing.sh" "${packages[@]}"

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$here" -B "$build_dir" \
  -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DDELAYSUB_BUILD_GUI=ON -DDELAYSUB_BUILD_TESTS=ON \
  -DDELAYSUB_BUILD_FUZZERS=OFF -DDELAYSUB_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j"$jobs" --target "${test_targets[@]}"

# Every report is fatal. Leaks that third-party libraries keep to the end
# (libdbus under X11) are listed in lsan.supp; our own code never is.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"

ctest --test-dir "$build_dir" --output-on-failure -j"$jobs"
tests=$(ctest --test-dir "$build_dir" -N | sed -n 's/^Total Tests: *//p')

# The same start and close on the X11 platform, as on a desktop.
runtime_dir=$(mktemp -d)
trap 'status=$?; rm -rf "$runtime_dir"; ((status == 0)) || echo "Sanitizer build: FAILED (exit $status)"' EXIT
XDG_RUNTIME_DIR=$runtime_dir QT_QPA_PLATFORM=xcb \
  timeout 120 xvfb-run -a "$build_dir/tests/window_start_close"

echo "Sanitizer build: all $tests tests passed under ASan, LSan and UBSan; start and close on X11 without a leak report."
