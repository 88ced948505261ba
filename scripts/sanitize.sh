#!/usr/bin/env bash
# Builds the libraries and the unit and widget tests with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them; any report fails the run.
set -euo pipefail
dir=${1:-build-sanitize}
jobs=${2:-2}
here=$(cd "$(dirname "$0")/.." && pwd)

# A unity build (a few sources compiled as one) halves the libraries' compile;
# this build only runs the tests, which the main build runs too from the
# sources one by one.
cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DFRAYMARK_SANITIZE=ON -DFRAYMARK_BUILD_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$dir" -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== unit and widget tests with AddressSanitizer and UBSan =="
cd "$dir"
ctest --output-on-failure -j "$jobs" -E '^(e2e|install_layout)$'
