#!/usr/bin/env bash
# Kills saves of a hard-linked 4 MB combat file at random moments (kill -9) and,
# after each kill, loads the file through the real loader. Counts the loads that
# found neither the old nor the new combat whole, the loads that had to put the old
# combat back, and what was left in the folder. Run by hand, never by CTest.
# Usage: scripts/kill-save-loop.sh [kills=200] [build dir=build] [parent folder=/tmp]
set -euo pipefail
kills=${1:-200}
build=${2:-build}
tool=$build/bench/files/save_kill
[[ -x $tool ]] || { echo "build the save_kill target first: cmake --build $build --target save_kill" >&2; exit 2; }
dir=$(mktemp -d "${3:-/tmp}/fraymark-kill.XXXXXX")
trap 'rm -rf "$dir"' EXIT
file=$dir/combat.ini

# The first save, killed once it has written the file, makes the file; then its second name.
"$tool" save "$file" & pid=$!
until [[ -s $file ]] && "$tool" check "$file" | grep -q '^A'; do sleep 0.05; done
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
ln "$file" "$dir/other.ini"

torn=0 putBack=0 leftovers=0 old=0 new=0
for ((i = 1; i <= kills; i++)); do
    "$tool" save "$file" & pid=$!
    # 0 to 0.6 s: past the start-up, into the journal, the writing and the clearing.
    sleep "0.$(printf '%03d' $((RANDOM % 600)))"
    kill -9 "$pid"; wait "$pid" 2>/dev/null || true
    left=$(find "$dir" -mindepth 1 -maxdepth 1 ! -name combat.ini ! -name other.ini | wc -l)
    read -r which notice after < <("$tool" check "$file")
    [[ $which == torn ]] && torn=$((torn + 1))
    [[ $which == A ]] && old=$((old + 1))
    [[ $which == B ]] && new=$((new + 1))
    putBack=$((putBack + notice))
    leftovers=$((leftovers + after))
    [[ $left -gt 0 ]] && echo "kill $i: $left name(s) of a killed save before the load; $after after it; $which"
done
links=$(stat -c %h "$file")
remaining=$(find "$dir" -mindepth 1 -maxdepth 1 ! -name combat.ini ! -name other.ini | wc -l)
echo "kills: $kills; torn loads: $torn; loads with combat A: $old, combat B: $new;" \
     "old combat put back: $putBack; leftovers summed over the loads: $leftovers;" \
     "left in the folder at the end: $remaining; links of the file: $links"
