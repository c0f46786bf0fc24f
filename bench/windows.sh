#!/usr/bin/env bash
# OrvexVM.exe under Wine beside the native OrvexVM, on the shared benchmarks, in one session: each
# Windows time less Wine's start-up (the median run of an empty image), and its ratio to the native.
#   bench/windows.sh NATIVE EXE [run.sh options]      e.g. --large, --only "loop fib"
# Wine runs in a prefix of its own, with one wineserver kept for the whole run and ended after it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$(realpath "$1")
exe=$(realpath "$2")
shift 2
runner=$root/../shared/bench/run.sh
prefix=$(mktemp -d)/prefix
scratch=$(mktemp -d)
session=$root/cmake/wine-session.sh
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
finish() {
    "$session" teardown "$prefix" >/dev/null 2>&1 || true
    rm -rf "$(dirname "$prefix")" "$scratch"
}
trap finish EXIT
"$session" setup "$prefix" "${ORVEX_WINE_TEMPLATE:-$root/build-win/wineprefix.template}" >/dev/null

# Wine's start-up: the loop of one turn, timed by the same runner.
startup=$(bash "$runner" --no-lua --via "$wine" --only loop --sizes loop=1 --runs 11 "$exe" |
    awk '$1 == "loop" { print $3 }')

bash "$runner" --no-lua "$@" "$native" >"$scratch/native.txt"
bash "$runner" --no-lua --via "$wine" "$@" "$exe" >"$scratch/windows.txt"
echo "Wine start-up: $startup s (taken off the Windows times)"
printf '%-10s %-12s %10s %10s %8s\n' bench size native-s windows-s ratio
# The rows of run.sh: bench, size, seconds, peak, check, ...
join <(awk 'NR > 3 && NF > 4 { print $1 "/" $2, $3, $5 }' "$scratch/native.txt" | sort) \
    <(awk 'NR > 3 && NF > 4 { print $1 "/" $2, $3, $5 }' "$scratch/windows.txt" | sort) |
    awk -v s="$startup" '{
        split($1, key, "/"); w = $4 - s
        check = ($3 == "ok" && ($5 == "ok" || $5 == "crlf")) ? "" : "  (" $3 ", " $5 ")"
        printf "%-10s %-12s %10.3f %10.3f %8.2f%s\n", key[1], key[2], $2, w, w / $2, check
    }'
