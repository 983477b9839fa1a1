#!/usr/bin/env bash
# Runs every invocation of a case file (calc_cases.txt) with the Linux
# delaysub-calc and with delaysub-calc.exe, and fails unless both write the
# same bytes to standard output and to standard error and end with the same
# exit status:
#   compare_calc.sh LINUX_PROGRAM WINDOWS_RUNNER... -- CASE_FILE
# WINDOWS_RUNNER is the command that runs the .exe (wine.sh PREFIX PROGRAM).
# Runs two invocations at a time; prints each difference in full.
set -euo pipefail
linux=$1
shift
runner=()
while (($#)) && [ "$1" != -- ]; do
  runner+=("$1")
  shift
done
shift
cases=$1
[ -x "$linux" ] || { echo "compare_calc.sh: no Linux program $linux (build the dev preset)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One invocation: writes N.{linux,windows}.{out,err,status}.
run_case() {
  local n=$1 line=$2 side
  eval "set -- $line"
  for side in linux windows; do
    local command=("$linux")
    [ "$side" = linux ] || command=("${runner[@]}")
    set +e
    "${command[@]}" "$@" </dev/null >"$work/$n.$side.out" 2>"$work/$n.$side.err"
    echo $? >"$work/$n.$side.status"
    set -e
  done
}

lines=()
while IFS= read -r line || [ -n "$line" ]; do
  case $line in '' | '#'*) continue ;; esac
  lines+=("$line")
done <"$cases"

running=0
for n in "${!lines[@]}"; do
  run_case "$n" "${lines[$n]}" &
  running=$((running + 1))
  if ((running >= 2)); then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
statuses=()
for n in "${!lines[@]}"; do
  same=1
  for part in out err status; do
    if ! cmp -s "$work/$n.linux.$part" "$work/$n.windows.$part"; then
      if ((same)); then
        echo "DIFFERS: delaysub-calc ${lines[$n]}"
      fi
      same=0
      echo "  $part (Linux, then Windows):"
      diff <(od -An -c "$work/$n.linux.$part") <(od -An -c "$work/$n.windows.$part") | sed 's/^/    /' | head -40
    fi
  done
  ((same)) || failed=$((failed + 1))
  statuses+=("$(cat "$work/$n.linux.status")")
done
# The table must reach every exit status a script can see.
for wanted in 0 1 2; do
  [[ " ${statuses[*]} " == *" $wanted "* ]] || { echo "no case ends with status $wanted"; failed=$((failed + 1)); }
done
echo "delaysub-calc: ${#lines[@]} invocations, $((${#lines[@]} - failed)) the same on Linux and Windows"
((failed == 0))
