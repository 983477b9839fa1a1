#!/usr/bin/env bash
# Sets up what is missing, builds and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
build_dir=${DELAYSUB_BUILD_DIR:-$here/build}
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
