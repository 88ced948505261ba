#!/usr/bin/env bash
# ./test.sh: installs the Debian packages Fraymark needs (through sudo unless
# root), builds it in ./build and runs every test: the unit and widget tests
# again under AddressSanitizer and UBSan (./build-sanitize), a minute of
# fuzzing of the combat file reader (./build-fuzz), then all tests of the main
# build, the end-to-end run in Xvfb included, ending with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"

JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
export JOBS

bash scripts/setup.sh
bash scripts/build.sh build
bash scripts/sanitize.sh build-sanitize "$JOBS"
bash scripts/fuzz.sh
cd build
ctest --output-on-failure -j "$JOBS"
