#!/usr/bin/env bash
# Takes a screenshot of the window under Xvfb: scripts/screenshot.sh <fraymark binary> <out.png>
set -euo pipefail
binary=$1
out=$2
display=:${SCREENSHOT_DISPLAY:-93}

Xvfb "$display" -screen 0 1100x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

DISPLAY=$display "$binary" &
app=$!
for _ in $(seq 100); do
  id=$(DISPLAY=$display xdotool search --name '^Fraymark' 2>/dev/null | head -n1 || true)
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 0.5
DISPLAY=$display import -window "$id" "$out"
echo "$out"
