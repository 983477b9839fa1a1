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
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
