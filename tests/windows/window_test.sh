#!/usr/bin/env bash
# The Win32 window under wine on its own Xvfb display, driven with real input
# (xdotool) and read from outside after every step by window_probe.exe,
# which compares every control with what the form model shows for the same
# input:
#   window_test.sh PREFIX DELAYSUB_EXE PROBE_EXE STEP_FILE [SCREENSHOT]
# First the start-up state, the layout against the table at 96 dpi and the
# Tab key's stops; then the steps of STEP_FILE (window_steps.txt says what
# they are); last the layout at 144 dpi. SCREENSHOT, if given, receives the
# window at start-up.
set -euo pipefail
prefix=$1
program=$2
probe_exe=$3
steps=$4
screenshot=${5:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "window_test.sh: $tool is missing (scripts/windows.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
desktop_pid=""
# shellcheck source=scripts/xvfb.sh
. "$here/../../scripts/xvfb.sh"
cleanup() {
  set +e
  [ -z "$desktop_pid" ] || kill "$desktop_pid" 2>/dev/null
  set_dpi 96
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb 1024x768x24
export DELAYSUB_WINE_DISPLAY=$DISPLAY
export DELAYSUB_WINE_DESKTOP=DelaySUB  # the probe looks for the window there

failed=0
fail() {
  echo "FAIL $*"
  failed=$((failed + 1))
}
wine_run() { "$here/wine.sh" "$prefix" "$@"; }
probe() { wine_run "$probe_exe" "$@" </dev/null; }

# Starts the program inside wine's own desktop window, which needs no
# window manager, and waits for its window.
start_program() {
  wine_run explorer /desktop="$DELAYSUB_WINE_DESKTOP",720x480 "$program" </dev/null >>"$work/program.log" 2>&1 &
  desktop_pid=$!
  for ((i = 0; i < 100; i++)); do
    probe read >/dev/null 2>&1 && break
    sleep 0.2
  done
  desktop=$(xdotool search --name "^$DELAYSUB_WINE_DESKTOP - Wine desktop" | head -1)
  [ -n "$desktop" ] || { echo "no wine desktop window"; cat "$work/program.log"; exit 1; }
}
# Closes it as its close box does; the desktop goes with it.
close_program() {
  probe close || fail "the window did not close"
  for ((i = 0; i < 50; i++)); do
    kill -0 "$desktop_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$desktop_pid" 2>/dev/null || true
  wait "$desktop_pid" 2>/dev/null || true
  desktop_pid=""
}
# The screen's DPI of the programs wine starts from now on.
set_dpi() {
  wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
}

set_dpi 96
start_program
probe where >"$work/where"

# The control's rectangle on the screen: x y width height [item height].
rect() { awk -v n="$1" -v i="$2" '$1 == n && $2 == i {print $3, $4, $5, $6, $7}' "$work/where"; }
point() {  # point X Y: the mouse there
  xdotool mousemove --window "$desktop" "$1" "$2"
  sleep 0.1
}
centre() {
  local x y w h
  read -r x y w h _ < <(rect "$1" "$2")
  point $((x + w / 2)) $((y + h / 2))
}

# ---- start-up, layout, tab order ---------------------------------------------
if [ -n "$screenshot" ]; then
  window=$(xdotool search --name "^Quelp" | head -1)
  sleep 0.5
  import -window "$window" "$screenshot"
fi
probe expect "$steps" 0 || fail "the start-up state"
probe layout || fail "the layout"
probe frame || fail "the window's frame"
mapfile -t chain < <(probe tabchain)
[ "$(probe focus)" = "${chain[0]}" ] || fail "the focus at start-up is not on ${chain[0]}"
for ((i = 1; i <= ${#chain[@]}; i++)); do
  xdotool key Tab
  want=${chain[$((i % ${#chain[@]}))]}
  got=$(probe focus)
  [ "$got" = "$want" ] || fail "Tab $i: the focus is on $got, not on $want"
done
echo "start-up, layout and ${#chain[@]} stops of the Tab key checked"

# ---- the steps ------------------------------------------------------------------
# Pixels near pure red in a control's rectangle on the screen.
red_pixels() {
  local x y w h
  read -r x y w h _ < <(rect "$1" "$2")
  import -window "$desktop" "$work/screen.png"
  convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- |
    awk -F'[(,)]' 'NR > 1 && $3 > 200 && $4 < 80 && $5 < 80 {n++} END {print n + 0}'
}

n=0
while IFS= read -r line <&3 || [ -n "$line" ]; do
  case $line in '' | '#'*) continue ;; esac
  n=$((n + 1))
  read -r action name index text <<<"$line"
  label=$name
  [ "$index" = -1 ] || label="$name($index)"
  case $action in
  click)
    centre "$name" "$index"
    xdotool click 1
    ;;
  dblclick)
    centre "$name" "$index"
    xdotool click --repeat 2 --delay 80 1
    ;;
  retype)
    read -r x y w h _ < <(rect "$name" "$index")
    point $((x + 8)) $((y + h / 2))
    xdotool click 1
    # Wine's edit boxes know no Ctrl+A: the whole text from its start.
    xdotool key --delay 30 ctrl+Home ctrl+shift+End Delete
    [ -z "$text" ] || xdotool type --delay 40 -- "$text"
    ;;
  pick)
    read -r x y w h item < <(rect "$name" -1)
    point $((x + w - 8)) $((y + h / 2))
    xdotool click 1
    sleep 0.5
    point $((x + w / 2)) $((y + h + 1 + index * item + item / 2))
    xdotool click 1
    ;;
  arrow)
    xdotool key "$text"
    ;;
  focus)
    got=$(probe focus)
    [ "$got" = "$label" ] || fail "step $n: the focus is on $got, not on $label"
    ;;
  red)
    sleep 0.3
    reds=$(red_pixels "$name" "$index")
    if [ "$text" = yes ] && ((reds == 0)); then
      fail "step $n: nothing red shows in $label"
    elif [ "$text" = no ] && ((reds > 0)); then
      fail "step $n: $reds red pixels show in $label"
    fi
    ;;
  hint)
    centre "$name" "$index"
    xdotool mousemove_relative 1 0
    probe hint "$steps" "$n" "$name" "$index" || fail "step $n: the tooltip of $label"
    xdotool mousemove --window "$desktop" 1 1  # away, so that the tip goes
    ;;
  copyseeded)
    centre "$name" "$index"
    xdotool click 3
    sleep 0.5
    # Undo, Cut, Copy, then the copy with the seed filled in.
    xdotool key --delay 80 Down Down Down Down Return
    probe clipboard "$steps" "$n" || fail "step $n: the clipboard after $label's $action"
    ;;
  *)
    fail "step $n: no step $action"
    ;;
  esac
  probe expect "$steps" "$n" || fail "step $n: $line"
done 3<"$steps"

close_program

# At 150 %: the same layout scaled, the font with it.
set_dpi 144
start_program
probe layout 144 || fail "the layout at 144 dpi"
close_program
set_dpi 96

if [ -s "$work/program.log" ]; then
  fail "the program wrote:"
  cat "$work/program.log"
fi
echo "window: $n steps, $failed failed"
((failed == 0))
