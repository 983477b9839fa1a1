#!/bin/sh
# The wine prefix of the Windows tests:
#   wine_prefix.sh start PREFIX   creates it when missing (wineboot --init),
#                                 puts wine's fonts and the window's CJK face
#                                 into it and sets it up as wine_prefix.reg
#                                 says; starts the wine server and services
#   wine_prefix.sh stop PREFIX    stops them
# The server and the services outlive the programs that start them. Started
# here, with their output going nowhere, they keep no pipe of ctest's open;
# started by the first test program instead, they would make ctest wait for
# them. The server stops by itself 30 s after the last program ends.
set -eu
command=$1
prefix=$2
font=${DELAYSUB_WINE_FONT:-/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc}
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$prefix
WINEDEBUG=-all
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG LC_ALL
unset DISPLAY WAYLAND_DISPLAY

case $command in
start)
  command -v wine >/dev/null || { echo "wine is missing (scripts/windows.sh installs it)" >&2; exit 1; }
  ready=$prefix/.delaysub-prefix-2
  if [ ! -f "$ready" ]; then
    mkdir -p "$prefix"
    # No Mono or Gecko installers: nothing here needs .NET or HTML.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init </dev/null >/dev/null 2>&1
    # Wine finds no font outside the prefix: the caption buttons' Marlett
    # (fonts-wine) and the window's CJK face go into it, the face smoothed
    # as Qt draws it (smooth_font.py says why). Tahoma stays out: wine's own
    # texts take the CJK face instead (wine_prefix.reg).
    fonts=$prefix/drive_c/windows/Fonts
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
    /usr/bin/python3 "$here/smooth_font.py" "$font" "$fonts/$(basename "$font")" 2>/dev/null ||
      cp "$font" "$fonts/"
    settings=$(winepath -w "$here/wine_prefix.reg")
    wine regedit /S "$settings" </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$ready"
  fi
  wineserver -p30 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  ;;
stop)
  wineserver -k </dev/null >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: wine_prefix.sh start|stop PREFIX" >&2
  exit 2
  ;;
esac
