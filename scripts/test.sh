#!/usr/bin/env bash
# Sets up what is missing, builds and runs the whole test suite: the unit and
# window tests, the formatting check, the Windows build under wine, the
# release and distribution builds,
# the sanitizer build, a bounded fuzzing run and the Debian package test.
# Stops at the first part that fails. Every build treats warnings as errors.
#
# Installs the Debian packages that the builds and tests need when they are
# missing. The delaysub package itself is installed and purged only with
# CI=true or DELAYSUB_PACKAGE_TEST=1; otherwise the package test checks the
# package without installing it, and keep_packages.sh fails it should it try
# to install, replace or remove a package.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
jobs=$(nproc)
"$here/scripts/setup.sh"

echo "== Unit and window tests"
ctest --preset dev -j"$jobs"
echo "== Formatting"
"$here/scripts/check_format.sh"
echo "== Windows programs (mingw-w64), their tests under wine"
"$here/scripts/windows.sh" test
echo "== Release build (-O3) and its tests"
cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs"
ctest --preset release -j"$jobs"
echo "== Distribution build (build type None, dpkg-buildflags) and its tests"
# As Debian's packaging helpers configure: their flags only, CPPFLAGS with
# the compiler's since CMake does not read CPPFLAGS.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" cmake --preset distro --fresh >/dev/null
cmake --build --preset distro -j"$jobs"
ctest --preset distro -j"$jobs"
echo "== Sanitizer build (AddressSanitizer, UBSan, leaks)"
"$here/scripts/sanitize.sh"
echo "== Fuzzing (bounded)"
"$here/scripts/fuzz.sh"
echo "== Debian package"
if [ "${CI:-}" = true ] || [ "${DELAYSUB_PACKAGE_TEST:-}" = 1 ]; then
  "$here/scripts/package_test.sh"
else
  # The guard first refuses a purge (of a name no package has, harmless
  # should the guard fail), then guards the package test.
  if probe=$("$here/scripts/keep_packages.sh" dpkg --purge delaysub-no-such-package 2>&1) ||
    ! grep -q 'refused: dpkg --purge' <<<"$probe"; then
    echo "keep_packages.sh let a purge through: $probe" >&2
    exit 1
  fi
  "$here/scripts/keep_packages.sh" "$here/scripts/package_test.sh"
fi
echo "All tests passed."
