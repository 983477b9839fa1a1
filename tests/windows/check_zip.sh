#!/usr/bin/env bash
# Checks the Windows zip: it holds exactly the expected files; its texts have
# CR LF line breaks and nothing left of their templates; every program needs
# no DLL beyond those that Windows itself has (no libstdc++, libgcc or
# winpthread beside it; delaysub-calc.exe only KERNEL32 and msvcrt) and
# carries the icon, a manifest and its version.
#   check_zip.sh ZIP OBJDUMP WINDRES FILE...
set -euo pipefail
zip=$1
objdump=$2
windres=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "$*"
  failed=1
}

(cd "$work" && cmake -E tar xf "$zip")
diff <(printf '%s\n' "$@" | LC_ALL=C sort) <(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
  fail "the zip does not hold exactly: $*"

# Windows' own DLLs that the programs may import.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|uxtheme|advapi32|imm32|msvcrt)\.dll$'
for f in "$@"; do
  path=$work/$f
  [ -f "$path" ] || continue
  case $f in
  *.txt)
    if grep -q $'[^\r]$' "$path" || [ "$(tail -c1 "$path" | od -An -c | tr -d ' ')" != '\n' ]; then
      fail "$f: a line without CR LF"
    fi
    ! grep -q '@[A-Z_]*@' "$path" || fail "$f: a template variable is left"
    ;;
  *.exe)
    dlls=$("$objdump" -p "$path" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || fail "$f: no imports found"
    allowed=$system_dlls
    # The command line program: the kernel and the C runtime only.
    [ "$f" != delaysub-calc.exe ] || allowed='^(kernel32|msvcrt)\.dll$'
    bad=$(grep -Ev "$allowed" <<<"$dlls" || true)
    [ -z "$bad" ] || fail "$f: needs DLLs that Windows does not have: $bad"
    resources=$("$windres" -i "$path" -O rc 2>/dev/null)
    for kind in 'RT_GROUP_ICON' 'RT_MANIFEST\|^1 24 ' 'VERSIONINFO'; do
      grep -q "$kind" <<<"$resources" || fail "$f: no $kind resource"
    done
    grep -q "OriginalFilename\", \"$f\"" <<<"$resources" || fail "$f: its version names another file"
    ;;
  esac
done
((failed == 0)) && echo "zip: $# files, every program stands alone"
