#!/usr/bin/env bash
# Takes a screenshot of the window under Xvfb:
#   scripts/screenshot.sh <fraymark binary> <out.png> [combat.ini [keys...]]
# With a combat file, it is loaded through the open dialog and the fighting order
# computed before the picture is taken; the keys (xdotool names) are pressed after.
# SCREEN (default 1100x800) sets the screen, WINDOW (e.g. 1600x1000) resizes the window.
# The window at its default size, the order calculated, is
#   scripts/screenshot.sh build/src/app/fraymark docs/window-default.png docs/example-combat.ini F5
# Qt's own variables reach the program, so a laptop at 125 % scaling, scrolled down
# (shift+Tab takes the focus to the note at the bottom), is
#   SCREEN=1366x768 QT_SCALE_FACTOR=1.25 scripts/screenshot.sh build/src/app/fraymark \
#     docs/window-1366x768-scale125-scrolled.png docs/example-combat.ini shift+Tab
# A key click:X,Y clicks there instead. PLAYERS=1 takes the players' window (opened by a
# key F7 among the keys) sized to the whole screen. The players' window in docs/, mid-fight
# (the goblin archer bloodied by 4, the kobold dying) and after New Combat, is
#   SCREEN=1920x1080 PLAYERS=1 scripts/screenshot.sh build/src/app/fraymark \
#     docs/player-window-1920x1080.png docs/example-combat.ini F5 F6 F6 F8 4 Return F6 F7
#   SCREEN=1920x1080 PLAYERS=1 scripts/screenshot.sh build/src/app/fraymark \
#     docs/player-window-waiting-1920x1080.png docs/example-combat.ini F5 F6 F7 ctrl+n
# The target bar mid-fight, the Kobold added and the Wolf chosen, is
#   SCREEN=1366x768 scripts/screenshot.sh build/src/app/fraymark \
#     docs/target-bar-1366x768.png docs/example-combat.ini F5 F6 F6 F8 k o space w o
# The Rolls list mid-fight, attacks and damage rolled on four turns, is
#   SCREEN=1366x768 scripts/screenshot.sh build/src/app/fraymark \
#     docs/rolls-list-1366x768.png docs/example-combat.ini F5 F6 F3 F4 F6 F3 F4 F6 F3 F4 F6 F3
set -euo pipefail
binary=$1
out=$2
combat=${3:-}
shift $(($# < 3 ? $# : 3))
display=:${SCREENSHOT_DISPLAY:-93}

Xvfb "$display" -screen 0 "${SCREEN:-1100x800}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
app=
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

wait_for_window() { # title pattern -> window id
  for _ in $(seq 100); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window named $1 appeared" >&2
  return 1
}

"$binary" &
app=$!
main=$(wait_for_window '^Fraymark v')
if [ -n "$combat" ]; then
  xdotool windowfocus --sync "$main" key ctrl+l
  dialog=$(wait_for_window '^Load Combat')
  xdotool windowfocus --sync "$dialog" type --delay 5 "$(realpath "$combat")"
  xdotool key Return
  for _ in $(seq 50); do xdotool search --name '^Load Combat' >/dev/null 2>&1 || break; sleep 0.1; done
  # Without a window manager the focus does not come back by itself.
  xdotool windowfocus --sync "$main" key space
fi
for key in "$@"; do
  case $key in
    click:*) xy=${key#click:}; xdotool mousemove --sync "${xy%,*}" "${xy#*,}" click 1 ;;
    *) xdotool windowfocus --sync "$main" key "$key" ;;
  esac
done
if [ -n "${WINDOW:-}" ]; then xdotool windowsize --sync "$main" "${WINDOW%x*}" "${WINDOW#*x}"; fi
shot=$main
if [ -n "${PLAYERS:-}" ]; then
  shot=$(wait_for_window 'Players$')
  # Without a window manager F11 is not granted full screen: the window takes the screen.
  screen=${SCREEN:-1100x800}
  xdotool windowmove --sync "$shot" 0 0 windowsize --sync "$shot" "${screen%x*}" "${screen#*x}"
fi
sleep 0.5
import -window "$shot" "$out"
echo "$out"
