#!/usr/bin/env bash
# Every test: native build, the profile-guided Release interpreter, the editor support, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, runtimes on threads under
# ThreadSanitizer, a minute of fuzzing per fuzz target, and the Windows builds under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "==== native ===="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure

echo "==== release (profile-guided) ===="
# The Release interpreter is trained on the benchmark programs and optimised from what it counted
# there: the program tests run it, so a build that misreads its counts shows here.
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
cmake --build build-release -j"$jobs" --target OrvexVM
ctest --test-dir build-release -j"$jobs" --output-on-failure -L program

echo "==== editors ===="
scripts/test-editors.sh

echo "==== sanitizers ===="
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize -j"$jobs" --output-on-failure

echo "==== threads (ThreadSanitizer) ===="
# Runtimes on several threads at once share nothing: the one test that runs them so, race-checked.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DORVEX_TSAN=ON
cmake --build build-tsan -j"$jobs" --target api_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/api_tests --gtest_filter='Api.RuntimesTakeTurnsAndRunOnThreadsAtOnce'

echo "==== fuzz ===="
scripts/fuzz.sh

if [ -x scripts/test-windows.sh ]; then
    echo "==== windows (wine) ===="
    scripts/test-windows.sh
fi
