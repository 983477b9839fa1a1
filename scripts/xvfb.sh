# A virtual display for the scripts that need one. Source it, then:
#   start_xvfb [SCREEN]          starts Xvfb on a free display (SCREEN defaults
#                                to 800x600x24, 96 dpi) and exports DISPLAY
#   find_window TITLE PID        prints the id of the viewable top-level window
#                                whose title starts with TITLE, waiting at most
#                                10 s; fails when PID ends first or none comes
#   stop_xvfb                    stops it (also safe when none was started)
# The caller's EXIT trap should call stop_xvfb.

xvfb_pid=""

start_xvfb() {
  local screen=${1:-800x600x24} numbers i
  numbers=$(mktemp)
  # Xvfb picks a free display itself and writes its number to fd 3.
  Xvfb -displayfd 3 -screen 0 "$screen" -dpi 96 -nolisten tcp 3>"$numbers" >/dev/null 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do
    [ -s "$numbers" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$numbers" ]; then
    rm -f "$numbers"
    echo "Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(tr -d '[:space:]' <"$numbers")"
  export DISPLAY
  rm -f "$numbers"
}

find_window() {
  local title=$1 pid=$2 id i
  for ((i = 0; i < 100; i++)); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title" | awk '{print $1}' | head -1) || true
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then
      echo "$id"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
