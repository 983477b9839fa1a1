#!/bin/sh
# Runs a Windows program under wine, quietly, in the given prefix:
#   wine.sh PREFIX PROGRAM [ARGUMENT]...
# The Windows build's tests run their programs through it (CMake's
# CROSSCOMPILING_EMULATOR). The prefix is set up by wine_prefix.sh start.
# A UTF-8 locale, so that wine hands the arguments to the program as the
# caller wrote them. No display unless DELAYSUB_WINE_DISPLAY names one: the
# command-line programs never show a window on the developer's screen.
prefix=$1
shift
WINEPREFIX=$prefix
WINEDEBUG=-all # also keeps Debian's launcher from warning that wine32 is missing
LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG LC_ALL
unset WAYLAND_DISPLAY
if [ -n "${DELAYSUB_WINE_DISPLAY:-}" ]; then
  DISPLAY=$DELAYSUB_WINE_DISPLAY
  export DISPLAY
else
  unset DISPLAY
fi
exec wine "$@"
