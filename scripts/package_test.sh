#!/usr/bin/env bash
# Builds the Debian package with CPack, installs it with apt-get, checks the
# installed files and the desktop entry, starts the installed program on a
# virtual display and looks for its window, then purges the package and checks
# that nothing of it is left. Needs root (or sudo): it installs and removes
# packages on this machine. Reuses ${DELAYSUB_BUILD_DIR:-build} when it has
# been configured, else builds it with setup.sh.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${DELAYSUB_BUILD_DIR:-$here/build}
caption='Quelp 延时计算'

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

# ---- what the test needs ----------------------------------------------------
needs=(dpkg-dev desktop-file-utils xvfb xauth x11-utils imagemagick
       qt6-qpa-plugins fonts-wqy-zenhei)
"$here/scripts/install_missing.sh" "${needs[@]}"

# ---- build and package --------------------------------------------------------
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  "$here/scripts/setup.sh"
fi
# Configure again so that a dpkg-shlibdeps installed just now is found.
cmake -S "$here" -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j2 >/dev/null

work=$(mktemp -d)
installed_by_us=0
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
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
expected_files='/usr/bin/delaysub
/usr/share/applications/delaysub.desktop
/usr/share/icons/hicolor/32x32/apps/delaysub.png
/usr/share/icons/hicolor/scalable/apps/delaysub.svg
/usr/share/pixmaps/delaysub.xpm'
package_files() {
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | sort
}
check "the package holds exactly the program, its desktop entry and icons" \
  diff <(printf '%s\n' "$expected_files") <(package_files)

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
  [ "$(wc -l <<<"$desc")" -ge 3 ] || { echo "no extended description: $desc"; return 1; }
  [ "$(head -1 <<<"$desc" | wc -c)" -le 81 ] || { echo "summary line too long"; return 1; }
}
check "it has a name, a section, a summary and an extended description" described

# The committed PNG is the XPM drawn pixel for pixel.
same_picture() {
  local diff_pixels
  diff_pixels=$(compare -metric AE "$here/data/delaysub.xpm" "$here/data/delaysub-32.png" null: 2>&1) || true
  [ "$diff_pixels" = 0 ] || { echo "pixels differ: $diff_pixels"; return 1; }
}
check "the 32x32 PNG icon is the XPM icon" same_picture

# ---- install --------------------------------------------------------------------
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
check "the desktop entry validates" \
  desktop-file-validate /usr/share/applications/delaysub.desktop
desktop_entry_runs_program() {
  local f=/usr/share/applications/delaysub.desktop
  grep -qx 'Exec=delaysub' "$f" && grep -qx 'Icon=delaysub' "$f" &&
    grep -qx 'Type=Application' "$f" && grep -qx 'Terminal=false' "$f"
}
check "the desktop entry starts delaysub with the delaysub icon" desktop_entry_runs_program
icon_sizes() {
  local s
  s=$(identify -format '%wx%h %k\n' /usr/share/icons/hicolor/32x32/apps/delaysub.png)
  if [ "${s%% *}" != 32x32 ] || [ "${s##* }" -gt 16 ]; then echo "PNG: $s"; return 1; fi
  s=$(identify -format '%wx%h %k\n' /usr/share/pixmaps/delaysub.xpm)
  if [ "${s%% *}" != 32x32 ] || [ "${s##* }" -gt 16 ]; then echo "XPM: $s"; return 1; fi
  grep -q '<svg' /usr/share/icons/hicolor/scalable/apps/delaysub.svg
}
check "the icons are 32x32 with at most 16 colours, and scalable" icon_sizes

# ---- the installed program shows its window -----------------------------------
shows_window() {
  local rt="$work/runtime" shot="$work/screen.png" disp id pid i err
  mkdir -m 700 "$rt"
  # A display of our own: Xvfb picks a free number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  disp=:$(cat "$work/display")
  env -u WAYLAND_DISPLAY DISPLAY="$disp" XDG_RUNTIME_DIR="$rt" QT_QPA_PLATFORM=xcb \
    /usr/bin/delaysub 2>"$work/stderr" &
  pid=$!
  id=
  for ((i = 0; i < 100; i++)); do
    id=$(DISPLAY="$disp" xwininfo -root -tree 2>/dev/null |
         grep -F "\"$caption\": (\"delaysub\" \"delaysub\")" | awk '{print $1}' | head -1) || true
    [ -n "$id" ] && DISPLAY="$disp" xwininfo -id "$id" | grep -q 'IsViewable' && break
    id=
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  local ok=1
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
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  err=$(cat "$work/stderr")
  [ -z "$err" ] || { echo "it wrote to stderr:"; echo "$err"; ok=0; }
  ((ok))
}
check "the installed program starts and shows the window \"$caption\"" shows_window

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
  for p in /usr/bin/delaysub /usr/share/applications/delaysub.desktop; do
    [ ! -e "$p" ] || { echo "file left: $p"; left=1; }
  done
  ((left == 0))
}
check "nothing of the package is left behind" nothing_left

echo "package: $passed passed, $failed failed"
((failed == 0))
