#!/usr/bin/env bash
# Fuzzes the combat file reader and loader for ${FUZZ_SECONDS:-60} seconds.
# Needs clang++ with libFuzzer; without it the run is skipped (exit 0).
# Exits non-zero on a crash, a sanitizer report or a broken loader promise.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${FUZZ_SECONDS:-60}
cxx=${FUZZ_CXX:-clang++}
build_dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${JOBS:-2}
# Long enough for files of 100,000 sections or lines, the shapes that once made
# loads slow; libFuzzer grows its inputs towards it step by step.
max_len=${FUZZ_MAX_LEN:-4194304}

if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "fuzz: skipped: $cxx not found"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *, std::size_t) { return 0; }' \
  >"$work/probe.cpp"
if ! "$cxx" -fsanitize=fuzzer,address "$work/probe.cpp" -o "$work/probe" >/dev/null 2>&1; then
  echo "fuzz: skipped: $cxx cannot link -fsanitize=fuzzer"
  exit 0
fi

echo "fuzz: building in $build_dir"
# A unity build (a few sources compiled as one) halves the compile; the code
# fuzzed is the same.
cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFRAYMARK_FUZZ=ON -DFRAYMARK_BUILD_TESTS=OFF -DFRAYMARK_BUILD_BENCH=OFF -DCMAKE_UNITY_BUILD=ON \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build "$build_dir" -j "$jobs" --target fuzz_combat_file >"$work/build.log" 2>&1 \
  || { cat "$work/build.log"; exit 1; }

mkdir "$work/corpus" "$work/artifacts"
cp tests/fuzz/corpus/* "$work/corpus/"

echo "fuzz: running fuzz_combat_file for ${seconds}s"
status=0
"$build_dir/tests/fuzz/fuzz_combat_file" "$work/corpus" \
  -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" >"$work/fuzz.log" 2>&1 || status=$?

grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/fuzz.log" || true
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|broken promise' "$work/fuzz.log"; then
  tail -n 60 "$work/fuzz.log"
  mkdir -p "$build_dir/crashes"
  cp "$work/artifacts/"* "$build_dir/crashes/" 2>/dev/null || true
  echo "fuzz: FAILED (exit $status); inputs kept in $build_dir/crashes"
  exit $(( status == 0 ? 1 : status ))
fi
echo "fuzz: ok"
