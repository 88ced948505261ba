#!/usr/bin/env bash
# usage: scripts/wine-run.sh <program.exe> [arguments...]
# Runs a Windows program of the cross-build under Wine, as CTest's emulator. Wine leaves
# Qt's variables (QT_*) out of the Windows environment, so they are set again inside it,
# by the command interpreter that starts the program.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
line=''
while IFS='=' read -r name value; do
  line+="set $name=$value&& "
done < <(env | grep '^QT_' || true)
program=$(winepath -w "$1" 2>/dev/null)
shift
quoted=''
for arg in "$@"; do
  quoted+=" \"$arg\""
done
exec wine cmd /c "$line\"$program\"$quoted"
