#!/usr/bin/env bash
# The Windows programs, cross-built on Debian with mingw-w64 (the `windows`
# preset, build-windows/):
#   scripts/windows.sh build   builds them and writes
#                              build-windows/delaysub-windows-x86_64.zip
#   scripts/windows.sh test    builds them and everything else of the preset
#                              and runs its tests under wine (ctest --preset
#                              windows): the test programs, delaysub-calc.exe
#                              against the Linux build, the window driven on
#                              Xvfb, the zip's contents
# Installs the Debian packages it needs when they are missing. The tests run
# in a wine prefix of their own, build-windows/wine; ~/.wine stays untouched.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
command=${1:-build}
jobs=$(nproc)

# What the cross build and its tests need.
packages=(
  cmake make g++-mingw-w64-x86-64-posix
  googletest libcli11-dev nlohmann-json3-dev
  wine wine64 fonts-wine fonts-wqy-zenhei python3-fonttools
  xvfb xdotool imagemagick
)
"$here/scripts/install_missing.sh" "${packages[@]}"

case $command in
build)
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$jobs" --target windows_zip
  echo "Windows programs: $here/build-windows/delaysub-windows-x86_64.zip"
  ;;
test)
  start=$SECONDS
  # delaysub-calc.exe is compared with the Linux program of the dev preset.
  [ -f build/CMakeCache.txt ] || "$here/scripts/setup.sh"
  cmake --build --preset dev -j"$jobs" --target delaysub-calc >/dev/null
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$jobs"
  ctest --preset windows
  echo "Windows part: $((SECONDS - start)) s"
  ;;
*)
  echo "usage: scripts/windows.sh build|test" >&2
  exit 2
  ;;
esac
