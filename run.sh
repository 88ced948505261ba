#!/usr/bin/env bash
# ./run.sh: installs the Debian packages Fraymark needs (through sudo unless
# root), builds it in ./build and starts it. Works as root or as any user.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh
bash scripts/build.sh build
exec ./build/src/app/fraymark
