#!/usr/bin/env bash
# Installs what the build needs when it is missing, then configures and builds
# DelaySUB into build/ (the "dev" preset of CMakePresets.json). Run by run.sh
# and test.sh.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and the screenshot need.
packages=(
  g++ cmake make pkg-config git
  libgtest-dev clang-format clang-tidy
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  fonts-wqy-zenhei
  xvfb xauth x11-apps x11-utils imagemagick
  dpkg-dev desktop-file-utils
  sdcc sdcc-ucsim as31
  libxcb1-dev
)

"$here/scripts/install_missing.sh" "${packages[@]}"

cd "$here"
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)"
