#!/usr/bin/env bash
# Calls per second of OrvexExtern beside those of the trivial server (TrivialServer.cpp), the most a
# COM local server gets under this Wine: 1 and 8 clients at once, through the vtable (ComBench.exe)
# and through IDispatch (the script host running bench.vbs); OrvexExtern also as the service. Builds
# the Windows tree's programs and runs in a Wine prefix of its own, which it ends afterwards.
#   bench/com/run.sh [CALLS]     calls per client, 2000 unless given (scripts make a quarter)
# ORVEX_WINDOWS_BUILD names another build directory than build-win.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVEX_WINDOWS_BUILD:-$root/build-win}
calls=${1:-2000}
prefix=$build/wineprefix-bench
session=$root/cmake/wine-session.sh
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
scratch=$(mktemp -d)

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target OrvexExtern TrivialServer ComBench >/dev/null
server=$build/extern/OrvexExtern.exe
trivial=$build/bench/com/TrivialServer.exe
bench=$build/bench/com/ComBench.exe

wine() { timeout 600 "$root/cmake/wine-run.sh" "$@" </dev/null; }
finish() {
    wine "$server" -UnregServer >/dev/null 2>&1 || true
    wine "$trivial" -UnregServer >/dev/null 2>&1 || true
    "$session" teardown "$prefix" >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap finish EXIT
"$session" setup "$prefix" "$build/wineprefix.template" >/dev/null
wine "$server" -RegServer
wine "$trivial" -RegServer
cp "$root/bench/com/bench.vbs" "$scratch/"

# Runs CLIENTS clients at once, each making N calls: "ComBench.exe SERVER N" or the script; prints
# their calls per second together (each times its own calls, the clients overlap).
measure() {
    local clients=$1 kind=$2 target=$3 n=$4 i
    for i in $(seq "$clients"); do
        if [ "$kind" = vtable ]; then
            wine "$bench" "$target" "$n" >"$scratch/out$i" &
        else
            cp "$scratch/bench.vbs" "$scratch/bench$i.vbs" # the script host opens its script for itself
            wine cscript //nologo "Z:$scratch/bench$i.vbs" "$target" "$n" >"$scratch/out$i" &
        fi
    done
    wait
    cat "$scratch"/out* | tr -d '\r' | awk -v clients="$clients" '
        NF == 2 && $2 > 0 { rate += $1 / $2; n++ }
        END { if (n == clients) printf "%.0f", rate; else printf "failed" }'
    rm -f "$scratch"/out*
}

row() {
    local label=$1 target=$2 kind clients
    printf '%-28s' "$label"
    for kind in vtable script; do
        for clients in 1 8; do
            local n=$calls
            [ "$kind" = script ] && n=$((calls / 4))
            printf '%12s' "$(measure "$clients" "$kind" "$target" "$n")"
        done
    done
    echo
}

printf '%-28s%12s%12s%12s%12s\n' "calls per second" "vtable 1" "vtable 8" "IDispatch 1" "IDispatch 8"
row "trivial server (floor)" trivial
row "trivial, invoke's arguments" trivial4
row "OrvexExtern, local server" extern
wine "$server" -Service
wine net start OrvexExtern >/dev/null
row "OrvexExtern, service" extern
wine net stop OrvexExtern >/dev/null
