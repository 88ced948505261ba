#!/usr/bin/env bash
# ./run.sh: installs the Debian packages Fraymark needs (through sudo unless
# root), builds the program (not its tests) in ./build and starts it. Works as
# root or as any user.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh
bash scripts/build.sh build fraymark
exec ./build/src/app/fraymark
