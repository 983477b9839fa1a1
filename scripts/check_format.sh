#!/usr/bin/env bash
# Checks that every C++ source under version control is formatted with the
# committed .clang-format. Prints the files that differ and fails on them.
# Fix them with: clang-format -i <file>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null || true)
if ((${#files[@]} == 0)); then
  mapfile -t files < <(find core window app tests fuzz bench -name '*.cpp' -o -name '*.h' 2>/dev/null)
fi

bad=()
for f in "${files[@]}"; do
  clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]})); then
  echo "Not formatted with .clang-format (run clang-format -i on them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files match .clang-format."
