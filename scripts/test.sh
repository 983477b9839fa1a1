#!/usr/bin/env bash
# Sets up what is missing, builds and runs the whole test suite: the unit and
# window tests, the formatting check, the sanitizer build, a bounded fuzzing
# run and the Debian package test. Stops at the first part that fails.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
build_dir=${DELAYSUB_BUILD_DIR:-$here/build}

echo "== Unit and window tests"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
echo "== Formatting"
"$here/scripts/check_format.sh"
echo "== Sanitizer build (AddressSanitizer, UBSan, leaks)"
"$here/scripts/sanitize.sh"
echo "== Fuzzing (bounded)"
"$here/scripts/fuzz.sh"
echo "== Debian package"
"$here/scripts/package_test.sh"
echo "All tests passed."
