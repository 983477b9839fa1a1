#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it.
#
# Always, without installing it: the files it holds, its control fields,
# that lintian finds no error and no warning in it, that apt-get can resolve
# its dependencies (a simulated install), that its desktop entry, AppStream
# metainfo, manual page, copyright file and changelog are valid, and that the program unpacked from it (dpkg-deb -x) starts on a
# virtual display, shows its window and prints nothing.
#
# With CI=true (a throwaway machine) or DELAYSUB_PACKAGE_TEST=1 also the full
# test: purges an installed delaysub first, installs the package with
# apt-get, checks and starts the installed program, then purges it and
# checks that nothing of it is left. Without them it never installs, replaces
# or removes a package, apart from installing the missing tools it needs.
#
# Packages the "dev" build (build/), building it with setup.sh when it has not
# been configured yet.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$here/build
caption='Quelp 延时计算'
app_id=io.github.delaysub.DelaySUB
full=0
if [ "${CI:-}" = true ] || [ "${DELAYSUB_PACKAGE_TEST:-}" = 1 ]; then
  full=1
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

# ---- what the test needs ----------------------------------------------------
needs=(dpkg-dev desktop-file-utils appstream man-db groff-base xvfb xauth x11-utils
       imagemagick qt6-qpa-plugins fonts-wqy-zenhei lintian)
"$here/scripts/install_missing.sh" "${needs[@]}"

# ---- build and package --------------------------------------------------------
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  "$here/scripts/setup.sh"
fi
# Configure again so that a dpkg-shlibdeps installed just now is found.
(cd "$here" && cmake --preset dev >/dev/null && cmake --build --preset dev -j2 >/dev/null)

work=$(mktemp -d)
installed_by_us=0
# shellcheck source=scripts/xvfb.sh
. "$here/scripts/xvfb.sh"
cleanup() {
  stop_xvfb
  if ((installed_by_us)) && dpkg-query -W delaysub >/dev/null 2>&1; then
    "${sudo_cmd[@]}" apt-get remove --purge -y -qq delaysub >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2; echo "package: cpack failed" >&2; exit 1; }
debs=("$work"/out/delaysub_*.deb)
[ -f "${debs[0]}" ] || { echo "package: no delaysub_*.deb made" >&2; exit 1; }
deb=${debs[0]}
unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"

passed=0
failed=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@" >"$work/check.out" 2>&1; then
    passed=$((passed + 1)); echo "ok   $what"
  else
    failed=$((failed + 1)); echo "FAIL $what"; sed 's/^/     /' "$work/check.out"
  fi
}

# ---- the package itself -------------------------------------------------------
# Every file the package holds, one a line. A program added to the package
# adds its files here (its binary and its manual page).
expected_files=(
  /usr/bin/delaysub
  /usr/bin/delaysub-calc
  /usr/bin/delaysub-design
  "/usr/share/applications/$app_id.desktop"
  "/usr/share/applications/$app_id.Design.desktop"
  /usr/share/doc/delaysub/changelog.gz
  /usr/share/doc/delaysub/copyright
  /usr/share/icons/hicolor/32x32/apps/delaysub.png
  /usr/share/icons/hicolor/scalable/apps/delaysub.svg
  /usr/share/man/man1/delaysub.1.gz
  /usr/share/man/man1/delaysub-calc.1.gz
  /usr/share/man/man1/delaysub-design.1.gz
  "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/pixmaps/delaysub.xpm
)
man_pages=("$unpacked"/usr/share/man/man1/*.1.gz)
package_files() {
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | LC_ALL=C sort
}
check "the package holds exactly the expected files" \
  diff <(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort) <(package_files)

depends=$(dpkg-deb -f "$deb" Depends)
has_dependencies() {
  local d names
  names=$(sed 's/ *([^)]*)//g; s/ *[,|] */\n/g' <<<"$depends")
  for d in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-wqy-zenhei libc6 libstdc++6; do
    grep -qxF "$d" <<<"$names" || { echo "Depends lacks $d: $depends"; return 1; }
  done
}
check "it depends on the Qt 6 libraries, the platform plugins and the font" has_dependencies

described() {
  local desc
  desc=$(dpkg-deb -f "$deb" Description)
  [ "$(dpkg-deb -f "$deb" Package)" = delaysub ] || { echo "Package field wrong"; return 1; }
  [ -n "$(dpkg-deb -f "$deb" Section)" ] || { echo "no Section"; return 1; }
  [ -n "$(dpkg-deb -f "$deb" Homepage)" ] || { echo "no Homepage"; return 1; }
  [ "$(wc -l <<<"$desc")" -ge 3 ] || { echo "no extended description: $desc"; return 1; }
  [ "$(head -1 <<<"$desc" | wc -c)" -le 81 ] || { echo "summary line too long"; return 1; }
}
check "it has a name, a section, a home page, a summary and an extended description" described

# Debian's own checks of a package: no error and no warning (lintian's
# "info" and "pedantic" remarks are not shown).
lintian_clean() {
  local status=0
  lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || status=$?
  grep -v 'running with root privileges' "$work/lintian.log" || true
  return "$status"
}
check "lintian finds no error and no warning" lintian_clean

# The changelog is Debian's format, and its latest entry is this version.
changelog_valid() {
  local f=$unpacked/usr/share/doc/delaysub/changelog.gz version
  gzip -t "$f" || return 1
  version=$(zcat "$f" | dpkg-parsechangelog -l - -S Version) || return 1
  [ "$version" = "$(dpkg-deb -f "$deb" Version)" ] ||
    { echo "the changelog's version $version is not the package's"; return 1; }
}
check "the changelog is Debian's format and names this version" changelog_valid

# A simulated install: apt-get resolves every dependency from the archive
# without changing anything.
dependencies_resolve() {
  apt-get install --simulate -q "$deb" >"$work/simulate.log" 2>&1 || {
    "${sudo_cmd[@]}" apt-get update -qq &&
    apt-get install --simulate -q "$deb" >"$work/simulate.log" 2>&1; } || {
    cat "$work/simulate.log"; return 1; }
}
check "apt-get can resolve its dependencies (simulated install)" dependencies_resolve

# The committed PNG is the XPM drawn pixel for pixel.
same_picture() {
  local diff_pixels
  diff_pixels=$(compare -metric AE "$here/data/delaysub.xpm" "$here/data/delaysub-32.png" null: 2>&1) || true
  [ "$diff_pixels" = 0 ] || { echo "pixels differ: $diff_pixels"; return 1; }
}
check "the 32x32 PNG icon is the XPM icon" same_picture

# ---- the files it installs, checked in the unpacked tree ----------------------
desktop_entry_valid() {  # desktop_entry_valid ROOT [ID-SUFFIX PROGRAM]
  local f=$1/usr/share/applications/$app_id${2:-}.desktop program=${3:-delaysub}
  desktop-file-validate "$f" || return 1
  if ! { grep -qx "Exec=$program" "$f" && grep -qx 'Icon=delaysub' "$f" &&
    grep -qx 'Type=Application' "$f" && grep -qx 'Terminal=false' "$f"; }; then
    echo "Exec, Icon, Type or Terminal is not that of $program:"; cat "$f"; return 1
  fi
}
check "the desktop entry validates and starts delaysub with its icon" desktop_entry_valid "$unpacked"
check "the design tools' desktop entry validates and starts delaysub-design with its icon" \
  desktop_entry_valid "$unpacked" .Design delaysub-design

# The metainfo on its own, then together with the desktop entry and the icons
# it names (validate-tree).
metainfo_valid() {
  local f=$unpacked/usr/share/metainfo/$app_id.metainfo.xml
  appstreamcli validate --no-net --explain "$f" || return 1
  appstreamcli validate-tree --no-net "$unpacked" || return 1
  grep -q '<project_license>MIT</project_license>' "$f" || { echo "no MIT project licence"; return 1; }
  grep -q '<category>' "$f" || { echo "no categories"; return 1; }
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$f" ||
    { echo "it does not launch $app_id.desktop"; return 1; }
  grep -Eq '<image[^>]*>https://[^<]+/docs/screenshot\.png</image>' "$f" ||
    { echo "it does not name docs/screenshot.png"; return 1; }
}
check "the AppStream metainfo validates and names the licence, categories and screenshot" metainfo_valid

# Every manual page: gzip'd without a name or time stamp, with the NAME line
# that whatis and apropos read, formatted without a warning.
man_pages_valid() {
  local page out ok=1
  [ -f "${man_pages[0]}" ] || { echo "no manual page"; return 1; }
  for page in "${man_pages[@]}"; do
    gzip -t "$page" || { echo "$page: not gzip"; ok=0; continue; }
    if [ "$(od -An -tx1 -j4 -N4 "$page" | tr -d ' ')" != 00000000 ]; then
      echo "$page: gzip'd with a time stamp (use gzip -n)"; ok=0
    fi
    lexgrog "$page" || { echo "$page: no NAME line for whatis"; ok=0; }
    out=$(zcat "$page" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)
    [ -z "$out" ] || { echo "$page: groff warns:"; echo "$out"; ok=0; }
  done
  ((ok))
}
check "every manual page is compressed, has a NAME line and formats cleanly" man_pages_valid

# Machine-readable copyright: the format line, MIT for every file, and the
# licence text word for word that of LICENSE.
copyright_valid() {
  local f=$unpacked/usr/share/doc/delaysub/copyright
  head -1 "$f" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    { echo "first line is not the Format field"; return 1; }
  awk -v RS= '/^Files: \*\n/ && /\nCopyright: [0-9][0-9][0-9][0-9]/ && /\nLicense: MIT(\n|$)/ {found = 1}
    END {exit !found}' "$f" || { echo "no Files: * paragraph with a Copyright and License: MIT"; return 1; }
  # The stand-alone License paragraph, unfolded: " ." is an empty line.
  diff <(awk '/^License: MIT$/ && seen++ {on = 1; next} on && /^ / {sub(/^ /, ""); if ($0 == ".") $0 = ""; print}' "$f") \
       <(sed '1,/^Copyright (c)/d' "$here/LICENSE" | sed '1{/^$/d}') ||
    { echo "the licence text differs from LICENSE"; return 1; }
}
check "the copyright file is machine-readable and holds the MIT licence of LICENSE" copyright_valid

# ---- the program starts and shows its window, silently --------------------------
shows_window() {  # shows_window PROGRAM
  local program=$1 rt disp id pid i out err shot="$work/screen.png" ok=1
  local DISPLAY="${DISPLAY:-}"  # this function's own display
  rt=$(mktemp -d "$work/runtime.XXXX")
  chmod 700 "$rt"
  start_xvfb 1024x768x24 || return 1
  disp=$DISPLAY
  env -u WAYLAND_DISPLAY DISPLAY="$disp" XDG_RUNTIME_DIR="$rt" QT_QPA_PLATFORM=xcb \
    "$program" >"$work/stdout" 2>"$work/stderr" &
  pid=$!
  # The program's own window: its title and its class.
  id=$(find_window "$caption\": (\"delaysub\" \"delaysub\")" "$pid") || id=
  if [ -z "$id" ]; then
    echo "no window titled \"$caption\" appeared"; ok=0
  else
    sleep 0.5
    DISPLAY="$disp" xwininfo -id "$id" | grep -E 'Width|Height' | tr -s ' '
    DISPLAY="$disp" xprop -id "$id" _NET_WM_ICON | grep -q 'Icon (32 x 32)' ||
      { echo "the window carries no 32x32 icon"; ok=0; }
    # The window is drawn: its pixels are not all one colour.
    if ! DISPLAY="$disp" import -window "$id" "$shot" 2>/dev/null ||
       [ "$(identify -format '%k' "$shot")" -le 4 ]; then
      echo "the window is blank"; ok=0
    fi
  fi
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
  else
    echo "the program ended by itself"; ok=0
  fi
  wait "$pid" 2>/dev/null || true
  stop_xvfb
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
  [ -z "$out" ] || { echo "it wrote to stdout:"; echo "$out"; ok=0; }
  [ -z "$err" ] || { echo "it wrote to stderr:"; echo "$err"; ok=0; }
  ((ok))
}
check "the unpacked program starts, shows the window \"$caption\" and prints nothing" \
  shows_window "$unpacked/usr/bin/delaysub"

if ((!full)); then
  echo "package: $passed passed, $failed failed (not installed: CI=true or DELAYSUB_PACKAGE_TEST=1 installs and purges it)"
  ((failed == 0))
  exit
fi

# ---- install (CI=true or DELAYSUB_PACKAGE_TEST=1 only) ------------------------------
if dpkg-query -W delaysub >/dev/null 2>&1; then
  echo "delaysub was installed before this test: purging it first"
  "${sudo_cmd[@]}" apt-get remove --purge -y -qq delaysub >/dev/null
fi
installed_by_us=1
install_deb() {
  "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || {
    "${sudo_cmd[@]}" apt-get update -qq &&
    "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1; } || {
    cat "$work/apt.log"; return 1; }
}
check "apt-get installs the package" install_deb
if ! dpkg-query -W -f='${Status}' delaysub 2>/dev/null | grep -q 'install ok installed'; then
  echo "package: $passed passed, $((failed + 1)) failed"
  exit 1
fi

check "the program is /usr/bin/delaysub on the PATH" \
  test "$(command -v delaysub)" = /usr/bin/delaysub
check "every library of the program is found" \
  bash -c '! ldd /usr/bin/delaysub | grep -q "not found"'
check "the installed desktop entry validates and starts delaysub with its icon" desktop_entry_valid ""
check "the installed design tools' entry validates and starts delaysub-design" \
  desktop_entry_valid "" .Design delaysub-design
check "delaysub-design is on the PATH and finds every library" \
  bash -c 'test "$(command -v delaysub-design)" = /usr/bin/delaysub-design && ! ldd /usr/bin/delaysub-design | grep -q "not found"'
check "the installed manual page is found by man" \
  bash -c 'man -w delaysub | grep -qx /usr/share/man/man1/delaysub.1.gz'
icon_sizes() {
  local s
  s=$(identify -format '%wx%h %k\n' /usr/share/icons/hicolor/32x32/apps/delaysub.png)
  if [ "${s%% *}" != 32x32 ] || [ "${s##* }" -gt 16 ]; then echo "PNG: $s"; return 1; fi
  s=$(identify -format '%wx%h %k\n' /usr/share/pixmaps/delaysub.xpm)
  if [ "${s%% *}" != 32x32 ] || [ "${s##* }" -gt 16 ]; then echo "XPM: $s"; return 1; fi
  grep -q '<svg' /usr/share/icons/hicolor/scalable/apps/delaysub.svg
}
check "the icons are 32x32 with at most 16 colours, and scalable" icon_sizes
check "the installed program starts, shows the window \"$caption\" and prints nothing" \
  shows_window /usr/bin/delaysub

# ---- remove ---------------------------------------------------------------------
dpkg -L delaysub | sort -r >"$work/listed"
remove_deb() {
  "${sudo_cmd[@]}" apt-get remove --purge -y -qq delaysub >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log"; return 1; }
}
check "apt-get removes and purges the package" remove_deb
installed_by_us=0
nothing_left() {
  local left=0 p
  if dpkg-query -W delaysub >/dev/null 2>&1; then
    echo "dpkg still knows delaysub: $(dpkg-query -W -f='${Status}' delaysub)"; left=1
  fi
  while IFS= read -r p; do
    [ "$p" = /. ] && continue
    if [ -d "$p" ] && [ ! -L "$p" ]; then
      # A directory may stay only while another package owns it.
      dpkg -S "$p" >/dev/null 2>&1 || { echo "directory left: $p"; left=1; }
    elif [ -e "$p" ] || [ -L "$p" ]; then
      echo "file left: $p"; left=1
    fi
  done <"$work/listed"
  for p in "${expected_files[@]}"; do
    [ ! -e "$p" ] || { echo "file left: $p"; left=1; }
  done
  ((left == 0))
}
check "nothing of the package is left behind" nothing_left

echo "package: $passed passed, $failed failed"
((failed == 0))
