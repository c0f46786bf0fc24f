#!/usr/bin/env bash
# Every test: native build, the editor support, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, a minute of fuzzing per fuzz target, and the Windows builds under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "==== native ===="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure

echo "==== editors ===="
scripts/test-editors.sh

echo "==== sanitizers ===="
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize -j"$jobs" --output-on-failure

echo "==== fuzz ===="
scripts/fuzz.sh

if [ -x scripts/test-windows.sh ]; then
    echo "==== windows (wine) ===="
    scripts/test-windows.sh
fi
