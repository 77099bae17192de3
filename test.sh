#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest; then
# runs the tests again built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

if [ "${KZO_SKIP_SANITIZERS:-0}" != "1" ]; then
    # Light debug info and -O1 keep the instrumented build and its run quick.
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKZO_SANITIZE=ON \
        -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" >/dev/null
    cmake --build build-asan -j "$jobs"
    # Tests that create web views stay out of the sanitizer run.
    (cd build-asan && ctest --output-on-failure -j "$jobs" -LE webengine)
fi
