#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# a working copy of its committed seed corpus, then prints how many inputs ran
# and what was found. Exits non-zero when a target found a crash, a broken
# invariant, undefined behaviour, a leak or a hang.
#
#   scripts/fuzz.sh                       about 30 s per target
#   FUZZ_SECONDS=3600 scripts/fuzz.sh     a long local run, an hour per target
#
# The build is the "fuzz" preset of CMakePresets.json, in build-fuzz/.
# Inputs that reach new code are kept in <build>/corpus/<target>/ across runs
# (never in fuzz/corpus/); findings go to <build>/findings/. A finding is
# replayed with: <build>/fuzz/<target> <build>/findings/<file>
set -euo pipefail

# A failure before the runs (install, configure, build) still ends with one
# summary line.
trap 'status=$?; ((status == 0)) || echo "Fuzzing: FAILED (exit $status) before or during the runs"' EXIT

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$here/build-fuzz
seconds=${FUZZ_SECONDS:-30}
targets=(core_fuzz form_fuzz calc_fuzz)
jobs=$(($(nproc) < 2 ? $(nproc) : 2))

# clang with its libFuzzer and sanitizer runtimes, and llvm-symbolizer for
# readable stack traces of findings.
packages=(clang libclang-rt-14-dev llvm-14 cmake make libcli11-dev nlohmann-json3-dev)
"$here/scripts/install_missing.sh" "${packages[@]}"

(cd "$here" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$jobs")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
[ -x /usr/bin/llvm-symbolizer-14 ] && export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
total=0
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  corpus="$build_dir/corpus/$target"
  findings="$build_dir/findings"
  log="$build_dir/logs/$target.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  cp "$here/fuzz/corpus/$name/"* "$corpus/"

  status=0
  "$build_dir/fuzz/$target" "$corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" >"$log" 2>&1 || status=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  kept=$(find "$corpus" -type f | wc -l)
  found=$(sed -n "s|.*Test unit written to \(.*\)|\1|p" "$log")
  total=$((total + ${runs:-0}))
  if ((status == 0)) && [ -z "$found" ]; then
    echo "$target: ${runs:-0} executions in ${seconds} s, corpus $kept inputs, no findings"
  else
    failed=1
    echo "$target: FAILED after ${runs:-?} executions (exit $status); log: $log"
    grep -E 'invariant broken|runtime error|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)' \
      "$log" | head -5 || true
    [ -z "$found" ] || echo "  finding: $found"
  fi
done
trap - EXIT
if ((failed)); then
  echo "Fuzzing: FAILED, see the findings above ($total executions in all)"
else
  echo "Fuzzing: ${#targets[@]} targets, $total executions in all, ${seconds} s each, no findings"
fi
exit "$failed"
