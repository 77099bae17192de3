#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest, in four
# passes:
#   1. Release: the programs, the benchmarks and the tests that show web views
#      (the web engine cannot run under the sanitizers);
#   2. AddressSanitizer + UndefinedBehaviorSanitizer: every test (web views
#      fall back to the text browser there);
#   3. ThreadSanitizer: the tests labelled "threads";
#   4. each fuzz target for a few seconds on its checked-in corpus.
# KZO_SKIP_SANITIZERS=1 runs every test in the Release pass and skips 2-4.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
jobs=$(nproc)
skip_sanitizers="${KZO_SKIP_SANITIZERS:-0}"

release_tests=webview
[ "$skip_sanitizers" = "1" ] && release_tests=""
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKZO_TEST_LABELS="$release_tests" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

[ "$skip_sanitizers" = "1" ] && exit 0

# Light debug info and -O1 keep the instrumented builds and their runs quick.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKZO_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKZO_TSAN=ON \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" >/dev/null
cmake --build build-tsan -j "$jobs" --target kzo-thread-tests
(cd build-tsan && ctest --output-on-failure -j "$jobs" -L threads)

./scripts/fuzz.sh "${KZO_FUZZ_SECONDS:-5}"
