#!/usr/bin/env bash
# usage: scripts/wine-run.sh <program.exe> [arguments...]
# Runs a Windows program of the cross-build under Wine, as CTest's emulator (the tests are
# Qt tests: they take -o). Wine leaves
# Qt's variables (QT_*) out of the Windows environment, so they are set again inside it,
# by the command interpreter that starts the program.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
line=''
while IFS='=' read -r name value; do
  line+="set $name=$value&& "
done < <(env | grep '^QT_' || true)
if [ -z "$line" ]; then
  exec wine "$@"
fi
# Wine hands a quote inside an argument on as \", which cmd does not read: the words go
# unquoted, so neither the program's path nor an argument may hold a blank.
for word in "$@"; do
  case $word in *' '*) echo "wine-run: \"$word\" holds a blank" >&2; exit 2 ;; esac
done
program=$(winepath -w "$1" 2>/dev/null)
shift
# Nor does the program's output come back through cmd: a Qt test writes it to a file,
# shown here once the test ends.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
wine cmd /c "$line$program $* -o $(winepath -w "$report"),txt" || status=$?
cat "$report"
exit "$status"
