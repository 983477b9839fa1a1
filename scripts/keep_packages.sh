#!/usr/bin/env bash
# Runs a command with apt-get, apt, dpkg and sudo replaced by guards that let
# it read the package database, simulate, update the package lists and
# install missing packages (never removing one for them), but refuse every
# removal, purge and upgrade and every install of delaysub or of a .deb file.
# Fails when the command tried one of those, or when delaysub's state differs
# afterwards, even if the command itself passed.
#
#   scripts/keep_packages.sh COMMAND [ARG...]
#
# The test command runs the package test this way unless CI=true or
# DELAYSUB_PACKAGE_TEST=1 asked for the full install and purge.
set -euo pipefail
(($#)) || { echo "usage: keep_packages.sh COMMAND [ARG...]" >&2; exit 2; }

guards=$(mktemp -d)
trap 'rm -rf "$guards"' EXIT
refused=$guards/refused
: >"$refused"
real_path=$PATH

cat >"$guards/apt-get" <<EOF
#!/usr/bin/env bash
refuse() { echo "keep_packages: refused: apt-get \$*" | tee -a "$refused" >&2; exit 100; }
words=()
for a in "\$@"; do
  case \$a in
    -s | --simulate | --dry-run | --just-print | --no-act | --recon) exec env PATH="$real_path" apt-get "\$@" ;;
    -*) ;;
    *) words+=("\$a") ;;
  esac
done
case \${words[0]:-} in
  update | check | policy | show) ;;
  install)
    for a in "\${words[@]:1}"; do
      case \$a in */* | *.deb | delaysub | delaysub[:=]* | delaysub-*) refuse "\$@" ;; esac
    done
    exec env PATH="$real_path" apt-get --no-remove "\$@" ;;
  *) refuse "\$@" ;;
esac
exec env PATH="$real_path" apt-get "\$@"
EOF

cat >"$guards/dpkg" <<EOF
#!/usr/bin/env bash
for a in "\$@"; do
  case \$a in
    -i* | -r* | -P* | -a | --install | --remove | --purge | --unpack | --configure | \\
    --triggers-only | --set-selections | --clear-selections)
      echo "keep_packages: refused: dpkg \$*" | tee -a "$refused" >&2; exit 100 ;;
  esac
done
exec env PATH="$real_path" dpkg "\$@"
EOF

cat >"$guards/apt" <<EOF
#!/usr/bin/env bash
echo "keep_packages: refused: apt \$*" | tee -a "$refused" >&2
exit 100
EOF

# sudo resets PATH: a package tool run through it is given as its guard.
cat >"$guards/sudo" <<EOF
#!/usr/bin/env bash
options=()
while [[ \${1:-} == -* ]]; do options+=("\$1"); shift; done
case \${1:-} in apt-get | apt | dpkg) set -- "$guards/\$1" "\${@:2}" ;; esac
exec env PATH="$real_path" sudo "\${options[@]}" "\$@"
EOF
chmod +x "$guards"/*

state() { dpkg-query -W -f='${Status} ${Version}\n' delaysub 2>/dev/null || echo "not known to dpkg"; }
before=$(state)
status=0
PATH="$guards:$PATH" "$@" || status=$?
after=$(state)

if [ -s "$refused" ]; then
  echo "keep_packages: the command tried to change installed packages:" >&2
  sed 's/^/  /' "$refused" >&2
  status=1
fi
if [ "$before" != "$after" ]; then
  echo "keep_packages: delaysub was \"$before\" before and is \"$after\" after" >&2
  status=1
fi
exit "$status"
