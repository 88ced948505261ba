#!/usr/bin/env bash
# A crash costs nothing, with the built program in a private X server: a fight typed
# through the keyboard, the program killed with SIGKILL beside a second one that keeps a
# file of its own, then started again: Restore brings the fight back, and a save of it is
# the killed program's combat byte for byte. Exit then marks the file saved and closed.
#
#   recovery_kill.sh <path to the fraymark binary>
#
# Exit codes: 0 passed, 1 failed, 77 skipped (Xvfb or xdotool not installed).
set -u -o pipefail

readonly app_bin=${1:?usage: recovery_kill.sh <path to fraymark>}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fraymark-recovery.XXXXXX") || exit 1
readonly work state=$work/state/fraymark
pids=()
xvfb_pid=''
cleanup() {
    local pid
    for pid in "${pids[@]}" $xvfb_pid; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

step='setting up'
fail() {
    echo "FAIL during step '$step': $*"
    ls -la -- "$state" 2>&1
    cat -- "$work"/app*.log 2>/dev/null
    exit 1
}

wait_for() { # <what> <seconds> <command...>
    local what=$1 tries=$(($2 * 20))
    shift 2
    until "$@"; do
        ((--tries > 0)) || fail "no $what"
        sleep 0.05
    done
}

export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
unset FRAYMARK_NO_RECOVERY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR
source "$(dirname "$0")/xserver.sh"
start_xvfb "$work" || fail 'Xvfb could not be started'

start() { # <name>: starts a program, waits for its window and gives it the keyboard
    "$app_bin" >"$work/app-$1.log" 2>&1 &
    local pid=$!
    pids+=("$pid")
    wait_for "window of program $1" 20 eval "[[ -n \$(xdotool search --onlyvisible --pid $pid 2>/dev/null) ]]"
    win=$(xdotool search --onlyvisible --pid "$pid" | head -n 1)
    xdotool windowfocus "$win"
    wait_for "keyboard focus on program $1" 5 eval "[[ \$(xdotool getwindowfocus) == $win ]]"
    last_pid=$pid
}
state_files() { ls -- "$state"/combat-*.ini 2>/dev/null | wc -l; }
holding() { grep -l -- "$1" "$state"/combat-*.ini 2>/dev/null | head -n 1; }

# --- Two programs at once, each with its own file -----------------------------------------
step='a second program'
start second
second_pid=$last_pid
# The focus starts on Calculate Fighting Order; one Tab is the first row's name.
xdotool key Tab
xdotool type --delay 5 Wolf
wait_for 'the second state file' 5 eval '[[ $(state_files) -eq 1 ]]'

step='typing the fight'
start first
first_pid=$last_pid
xdotool key Tab
xdotool type --delay 5 Ogre
xdotool key Tab
xdotool type --delay 5 30
xdotool key Tab Tab
xdotool type --delay 5 12
# From the first row's initiative to the second row's name.
xdotool key --delay 5 --repeat 11 Tab
xdotool type --delay 5 Sela
xdotool key Tab
xdotool type --delay 5 20
xdotool key Tab
xdotool type --delay 5 15
xdotool key --delay 20 F5 F6 F6
# Nothing after the last key may be lost once a second has passed.
sleep 1
kill -9 "$first_pid" "$second_pid"
wait "$first_pid" "$second_pid" 2>/dev/null
pids=()

step='the files the killed programs left'
[[ $(state_files) -eq 2 ]] || fail "$(state_files) state files, not one for each program"
fight=$(holding 'Name=Ogre')
wolf=$(holding 'Name=Wolf')
[[ -n $fight && -n $wolf && $fight != "$wolf" ]] || fail 'the two programs do not each hold their own combat'
grep -q $'^Taken=2\r$' "$fight" || fail 'the state file does not hold the second turn'
grep -q $'^Saved=0\r$' "$fight" && grep -q $'^Closed=0\r$' "$fight" || fail 'the fight is not marked unsaved and open'
[[ $(stat -c %a "$state") == 700 && $(stat -c %a "$fight") == 600 ]] || fail 'the folder or the file is open to others'
sed '/^\[Recovery\]/,$d' "$fight" >"$work/expected.ini"

# --- Restored, and saved ------------------------------------------------------------------
step='restoring'
start third
xdotool key alt+r
# The killed fight's file goes once this program's own holds the fight.
wait_for 'the restored file to be taken over' 10 eval '[[ ! -e $fight ]]'
[[ -e $wolf ]] || fail "the other program's file, still unrestored, is gone"

step='saving the restored fight'
xdotool key ctrl+s
wait_for 'the save dialog' 10 eval '[[ -n $(xdotool search --onlyvisible --name "^Save Combat") ]]'
xdotool windowfocus "$(xdotool search --onlyvisible --name '^Save Combat' | head -n 1)"
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 5 -- "$work/restored.ini"
xdotool key Return
wait_for 'the saved file' 10 test -s "$work/restored.ini"
cmp -s -- "$work/expected.ini" "$work/restored.ini" || {
    diff <(cat -A -- "$work/expected.ini") <(cat -A -- "$work/restored.ini") | head -n 20
    fail 'the restored fight is not the one the killed program held'
}

step='Exit'
wait_for 'the save dialog to close' 10 eval '[[ -z $(xdotool search --onlyvisible --name "^Save Combat") ]]'
xdotool windowfocus "$win"
sleep 0.3
xdotool key alt+f x
wait_for 'the program to end' 10 eval '! kill -0 $last_pid 2>/dev/null'
pids=()
own=$(holding 'Name=Sela')
[[ -n $own ]] || fail 'the restoring program keeps no file of the fight'
grep -q $'^Saved=1\r$' "$own" && grep -q $'^Closed=1\r$' "$own" || fail 'Exit did not mark the file saved and closed'
echo 'PASS'
