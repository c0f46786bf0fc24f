#!/usr/bin/env bash
# Whole-program timings of the counting loop: wall time and peak memory at N = 100,000 and
# 1,000,000 (a million nested synchronous calls), and the scaling from N to 2N. Beside it, the
# same bytes and work per level without the interpreter (host_baseline): what the machine alone
# makes of that much fresh memory, to read the loop's scaling against.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target OrvexVM host_baseline -j"$(nproc)" >/dev/null
vm=$PWD/build/vm/OrvexVM
baseline=$PWD/build/bench/host_baseline
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

timed() { # NAME COMMAND... -> "seconds kilobytes user-seconds"
    local name=$1
    shift
    (cd "$scratch" && /usr/bin/time -v "$@" >/dev/null 2>"time-$name.txt")
    awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; wall=s}
                /Maximum resident set size/ {kb=$2} /User time/ {user=$2}
                END {print wall, kb, user}' "$scratch/time-$name.txt"
}

declare -A secs base
ratios() { # ARRAY-NAME -> "r1 r2"
    local -n t=$1
    echo "$(echo "${t[200000]}/${t[100000]}" | bc -l) $(echo "${t[2000000]}/${t[1000000]}" | bc -l)"
}

printf '%10s %10s %12s %16s\n' N seconds "peak MB" "bytes per level"
for n in 100000 200000 1000000 2000000; do
    sed "s/<N>/<$n>/g" bench/counting-loop.Orvex > "$scratch/loop$n.Orvex"
    read -r wall kb user < <(timed "$n" "$vm" "loop$n.Orvex")
    [ "$(cat "$scratch/Orvex.out")" = "<$n>" ] || { echo "wrong output at N=$n" >&2; exit 1; }
    secs[$n]=$wall
    printf '%10d %10.2f %12.1f %16.0f\n' "$n" "$wall" "$(echo "$kb/1024" | bc -l)" "$(echo "$kb*1024/$n" | bc -l)"
    [ "$n" = 1000000 ] && bytes=$((kb * 1024 / n)) && ns=$(echo "$user*1000" | bc -l)
done
for n in 100000 200000 1000000 2000000; do
    read -r wall _ _ < <(timed "base$n" "$baseline" "$n" "$bytes" "$ns")
    base[$n]=$wall
done
read -r loop1 loop2 < <(ratios secs)
read -r base1 base2 < <(ratios base)
printf 'time(2N)/time(N): %.2f at N=100000, %.2f at N=1000000\n' "$loop1" "$loop2"
printf 'the same %d bytes and %.0f ns per level without the interpreter: %.2f, %.2f\n' \
    "$bytes" "$ns" "$base1" "$base2"
