#!/usr/bin/env bash
# Whole-program timings of the counting loop: wall time and peak memory at N = 100,000 and
# 1,000,000 (a million nested synchronous calls), and the scaling from N to 2N.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target OrvexVM -j"$(nproc)" >/dev/null
vm=$PWD/build/vm/OrvexVM
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

measure() { # N -> "seconds kilobytes"
    sed "s/<N>/<$1>/g" bench/counting-loop.Orvex > "$scratch/loop$1.Orvex"
    (cd "$scratch" && /usr/bin/time -v "$vm" "loop$1.Orvex" >/dev/null 2>"time$1.txt")
    [ "$(cat "$scratch/Orvex.out")" = "<$1>" ] || { echo "wrong output at N=$1" >&2; exit 1; }
    local wall kb
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$scratch/time$1.txt")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$scratch/time$1.txt")
    echo "$wall $kb"
}

printf '%10s %10s %12s %16s\n' N seconds "peak MB" "bytes per level"
declare -A secs
for n in 100000 200000 1000000 2000000; do
    read -r wall kb < <(measure "$n")
    secs[$n]=$wall
    printf '%10d %10.2f %12.1f %16.0f\n' "$n" "$wall" "$(echo "$kb/1024" | bc -l)" "$(echo "$kb*1024/$n" | bc -l)"
done
printf 'time(2N)/time(N): %.2f at N=100000, %.2f at N=1000000\n' \
    "$(echo "${secs[200000]}/${secs[100000]}" | bc -l)" "$(echo "${secs[2000000]}/${secs[1000000]}" | bc -l)"
