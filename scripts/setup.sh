#!/usr/bin/env bash
# Installs what the build needs when it is missing, then configures and builds
# DelaySUB into build/. Sourced or run by run.sh and test.sh.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${DELAYSUB_BUILD_DIR:-$here/build}

# Debian packages the build, the tests and the screenshot need.
packages=(
  g++ cmake make pkg-config git
  libgtest-dev clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-wqy-zenhei
  xvfb xauth x11-apps x11-utils imagemagick
  dpkg-dev desktop-file-utils
  libxcb1-dev
)

"$here/scripts/install_missing.sh" "${packages[@]}"

cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
