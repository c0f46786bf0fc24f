#!/bin/bash
# The Windows build and its tests: cross-compiles the tree with mingw-w64 into build-win and runs
# its CTest suite under Wine, in a Wine prefix of its own that it ends afterwards.
#   scripts/test-windows.sh [CTEST ARGUMENTS...]     e.g. -R extern
# ORVEX_WINDOWS_BUILD names another build directory; ORVEX_WINDOWS_TARGETS limits the build to
# some targets (space-separated), e.g. "OrvexExtern ExternClient ExternInProcessTest".
# ORVEX_SOAK_CALLS sets the calls per client of the soak tests (500 unless set), e.g. 10000 for the
# long soak: ORVEX_SOAK_CALLS=10000 scripts/test-windows.sh -R soak
# ORVEX_SOAK_ACTIVATIONS sets the activations of the activation soak (600 unless set):
#   ORVEX_SOAK_ACTIVATIONS=10000 scripts/test-windows.sh -R activation_soak
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVEX_WINDOWS_BUILD:-$root/build-win}

# Whatever happens to the test run, the prefixes' wineservers and every Windows process in them end.
end_session() {
    local prefix
    for prefix in "$build/wineprefix" "$build/wineprefix-packages"; do
        "$root/cmake/wine-session.sh" teardown "$prefix" >/dev/null 2>&1 || true
    done
}
trap end_session EXIT

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DORVEX_SOAK_CALLS="${ORVEX_SOAK_CALLS:-500}" -DORVEX_SOAK_ACTIVATIONS="${ORVEX_SOAK_ACTIVATIONS:-600}"
targets=()
for target in ${ORVEX_WINDOWS_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
ctest --test-dir "$build" --output-on-failure "$@"
