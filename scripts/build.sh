#!/usr/bin/env bash
# usage: scripts/build.sh [build-dir [target...]]
#
# Configures (once) and builds Fraymark in build-dir (default: build) as an
# optimised, hardened RelWithDebInfo build, as the user who runs it: the given
# targets and what they need, or without any, everything (the tests too).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build}
if [ $# -gt 0 ]; then shift; fi
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

# A tree left by another user (say, an earlier run as root) cannot be
# rebuilt; say so rather than fail deep inside the build.
if [ -e "$dir" ] && ! [ -w "$dir" ]; then
  echo "build: $dir belongs to $(stat -c %U "$dir"), not to $(id -un); remove it or use another folder" >&2
  exit 1
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ $# -gt 0 ]; then set -- --target "$@"; fi
cmake --build "$dir" -j "$jobs" "$@"
