#!/usr/bin/env bash
# usage: scripts/setup.sh [--packaging]
#
# Installs the Debian packages that building, running and testing Fraymark
# need; with --packaging also those that scripts/check-deb.sh uses (lintian,
# hardening-check). Only what is missing is installed, with apt-get: directly
# as root, through sudo for anyone else. Without either it prints what to
# install and fails. A machine that has everything is left alone.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev qt6-base-dev-tools libgl-dev libqrencode-dev
  xvfb xauth xdotool fonts-dejavu-core
  # the end-to-end run takes pictures of the window and reads the round in them
  imagemagick tesseract-ocr
  # the players' page run opens the shared page in a headless browser and reads the
  # address off the clipboard
  chromium chromium-driver xclip curl
  appstream desktop-file-utils dpkg-dev
  # the fuzz run: clang with its libFuzzer runtime
  clang libclang-rt-dev
)

for arg in "$@"; do
  case $arg in
    --packaging) packages+=(lintian devscripts) ;;
    -h|--help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "setup: unknown argument $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

# Only apt-get needs root; everything else runs as the user who called.
if [ "$(id -u)" -eq 0 ]; then
  as_root=(env DEBIAN_FRONTEND=noninteractive)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Fraymark needs these Debian packages, which are not installed:" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
if ! "${as_root[@]}" apt-get update -qq ||
   ! "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "setup: installing failed; as root, run:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
