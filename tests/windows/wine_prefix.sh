#!/bin/sh
# The wine prefix of the Windows tests:
#   wine_prefix.sh start PREFIX   creates it when missing (wineboot --init),
#                                 puts the window's CJK face into it, and
#                                 starts the wine server and wine's services
#   wine_prefix.sh stop PREFIX    stops them
# The server and the services outlive the programs that start them. Started
# here, with their output going nowhere, they keep no pipe of ctest's open;
# started by the first test program instead, they would make ctest wait for
# them. The server stops by itself 30 s after the last program ends.
set -eu
command=$1
prefix=$2
font=${DELAYSUB_WINE_FONT:-/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc}
WINEPREFIX=$prefix
WINEDEBUG=-all
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG LC_ALL
unset DISPLAY WAYLAND_DISPLAY

case $command in
start)
  command -v wine >/dev/null || { echo "wine is missing (scripts/windows.sh installs it)" >&2; exit 1; }
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    # No Mono or Gecko installers: nothing here needs .NET or HTML.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  # Wine draws no character from another face than the one asked for: the
  # window's texts need a CJK face in the prefix itself.
  fonts=$prefix/drive_c/windows/Fonts
  if [ -f "$font" ] && [ ! -f "$fonts/$(basename "$font")" ]; then
    mkdir -p "$fonts"
    cp "$font" "$fonts/"
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
