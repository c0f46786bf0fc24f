#!/usr/bin/env bash
# The libFuzzer targets of tests/fuzz, built with clang and run one after the other, each from a
# seed corpus made from the programs of tests/programs and examples.
#   scripts/fuzz.sh                  every target for 60 s under ASan and UBSan (what CI runs)
#   scripts/fuzz.sh --hours H        a campaign: every target in turn, H hours in all, built without
#                                    the sanitizers (they slow the interpreter some twenty times)
# Options:
#   --seconds S        seconds per target instead
#   --only "T ..."     only these targets (text program operations numbers check cut lsp run_options)
#   --sanitize         keep the sanitizers in a campaign; --no-sanitize drops them in the smoke
#   --build DIR        the build folder (build-fuzz-sanitize or build-fuzz unless given)
# The corpus each target grows stays in <build>/fuzz-corpus, so a later campaign goes on from it.
# Any crash, sanitizer report, hang or memory blow-up fails the run: the input is printed (as text
# and in base64) and kept in <build>/fuzz-artifacts. A line per target gives its executions, the
# coverage libFuzzer ends with (edges "cov", features "ft") and its findings; the lines are also
# appended to <build>/fuzz-summary.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# What each target starts from, and how many inputs one process runs ("-": as many as time
# allows). A new target is one line here and one orvex_fuzz_target line in
# tests/fuzz/CMakeLists.txt. Every input runs in a runtime of its own, which gives all of its
# memory back, so no target needs to start afresh.
# target   seeds       dictionary  runs per process
target_table="
text       programs    orvex.dict  -
program    programs    orvex.dict  -
operations operations  -           -
numbers    numbers     -           -
check      programs    orvex.dict  -
cut        cuts        orvex.dict  -
lsp        programs    orvex.dict  -
run_options numbers    -           -
"

seconds=60
hours=""
sanitize=""
only=""
build=""
while [ $# -gt 0 ]; do
    case "$1" in
    --hours) hours=$2; shift ;;
    --seconds) seconds=$2; shift ;;
    --only) only=$2; shift ;;
    --sanitize) sanitize=1 ;;
    --no-sanitize) sanitize=0 ;;
    --build) build=$2; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
# The smoke keeps the sanitizers, a campaign drops them, unless told otherwise.
if [ -z "$sanitize" ]; then
    if [ -n "$hours" ]; then sanitize=0; else sanitize=1; fi
fi

targets=()
while read -r name _; do
    [ -z "$name" ] && continue
    if [ -z "$only" ] || [[ " $only " == *" $name "* ]]; then targets+=("$name"); fi
done <<<"$target_table"
[ ${#targets[@]} -gt 0 ] || { echo "fuzz.sh: no target among: $only" >&2; exit 2; }
if [ -n "$hours" ]; then
    seconds=$(awk -v h="$hours" -v n=${#targets[@]} 'BEGIN { printf "%d", h * 3600 / n }')
fi

# Only where clang and its fuzzer runtime cannot be had is the run skipped, and it says so.
"$root/scripts/setup.sh" --fuzz || true
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    echo "fuzz.sh: SKIPPED: clang++ with libFuzzer (packages clang, libclang-rt-dev) cannot be installed here"
    exit 0
fi

if [ -z "$build" ]; then
    if [ "$sanitize" = 1 ]; then build=$root/build-fuzz-sanitize; else build=$root/build-fuzz; fi
fi
sanitize_option=OFF
[ "$sanitize" = 1 ] && sanitize_option=ON
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_FUZZER=ON \
    -DORVEX_SANITIZE=$sanitize_option >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvex_fuzzers

# Seeds, made afresh on every run from the programs: the programs themselves; for the operation
# set, the literals they use, as operands of every operation; for the number texts, the literals.
seeds=$build/fuzz-seeds
rm -rf "$seeds"
mkdir -p "$seeds/programs" "$seeds/operations" "$seeds/numbers" "$seeds/cuts"
programs=$(find "$root/tests/programs" "$root/examples" -name '*.Orvex' | sort)
n=0
for program in $programs; do
    cp "$program" "$seeds/programs/$(echo "${program#"$root"/}" | tr / _)"
    # For the cuts: every k from 1 and each way of going on, before the program.
    { printf "\\$(printf '%03o' $((n % 64)))\\$(printf '%03o' $((n % 3)))"; cat "$program"; } >"$seeds/cuts/$n"
    n=$((n + 1))
done
# shellcheck disable=SC2086
literals=$(grep -ohE '<[^<>[:space:]]{0,24}>' $programs | sort -u)
numbers=$(echo "$literals" | grep -E '^<[-+]?[0-9]*(\.[0-9]*)?([eE][-+]?[0-9]*)?>$' || true)
others=$(echo "$literals" | grep -vE '^<[-+]?[0-9]*(\.[0-9]*)?([eE][-+]?[0-9]*)?>$' | head -12)
operands=($numbers $others "<-2147483648>" "<2147483648>" "<-1>" "<1e308.>" "<0.5>")
n=0
for operation in "String <==>" "String <<>" "String <+>" "String <->" "String <*>" "String </>" \
    "String <%>" "String <append>" "String <length>" "<Math> <random>" "<Math> <round>" "<Math> <trunc>"; do
    read -r interface name <<<"$operation"
    for ((i = 0; i < ${#operands[@]}; i += 3)); do
        left=${operands[i]}
        right=${operands[(i + 1) % ${#operands[@]}]}
        printf '\0\0\0\0%s\0%s\0%s\0%s' "$interface" "$name" "$left" "$right" >"$seeds/operations/$((n++))"
    done
done
for literal in "${operands[@]}"; do printf '%s' "$literal" >"$seeds/numbers/$((n++))"; done

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
summary=()
failed=0
# One process of a target, for at most the seconds left; its log is appended to the target's.
run_fuzzer() {
    local process_log=$build/fuzz-$target.process.log
    local limit=()
    [ "$runs" != - ] && limit=(-runs="$runs")
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/tests/fuzz/orvex_fuzz_$target" "${options[@]}" -max_total_time="$1" "${limit[@]}" \
        "$corpus" "$seeds/$seed_kind" >"$process_log" 2>&1 || status=$?
    cat "$process_log" >>"$log"
    local executed
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$process_log" | tail -1)
    executions=$((executions + ${executed:-0}))
    coverage=$(grep -E '^#[0-9]+.*cov: ' "$process_log" | tail -1 || true)
}

for target in "${targets[@]}"; do
    read -r _ seed_kind dictionary runs < <(grep -E "^$target " <<<"$target_table")
    corpus=$build/fuzz-corpus/$target
    mkdir -p "$corpus"
    log=$build/fuzz-$target.log
    : >"$log"
    options=(-timeout=30 -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$artifacts/$target-")
    [ "$dictionary" != - ] && options+=(-dict="$root/tests/fuzz/$dictionary")
    echo "==== fuzz $target: $seconds s$([ "$sanitize" = 1 ] && echo ', ASan+UBSan') ===="
    started=$build/fuzz-$target.started
    touch "$started"
    before=$(find "$artifacts" -name "$target-*" | wc -l)
    status=0
    executions=0
    coverage=""
    end=$((SECONDS + seconds))
    while [ "$status" -eq 0 ] && [ $SECONDS -lt $end ]; do
        run_fuzzer $((end - SECONDS))
        [ "$runs" = - ] && break
    done
    edges=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$coverage")
    features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$coverage")
    findings=$(($(find "$artifacts" -name "$target-*" | wc -l) - before))
    if [ "$status" -ne 0 ]; then
        failed=1
        [ "$findings" -gt 0 ] || findings=1
        echo "fuzz $target FAILED (exit status $status); the end of its log:"
        tail -n 60 "$log"
        for input in $(find "$artifacts" -name "$target-*" -newer "$started" | sort); do
            echo "---- input $input ($(wc -c <"$input") bytes), as text:"
            head -c 4000 "$input" | cat -v
            echo
            echo "---- base64:"
            base64 -w 0 "$input" | head -c 20000
            echo
        done
    fi
    line=$(printf '%-11s %12s executions  cov %6s  ft %7s  corpus %6s  findings %s' "$target" \
        "$executions" "${edges:-?}" "${features:-?}" "$(find "$corpus" -type f | wc -l)" "$findings")
    echo "$line"
    summary+=("$line")
done

echo "==== fuzz summary ($(date -u '+%Y-%m-%d %H:%M'), $seconds s per target, sanitizers $sanitize_option) ===="
printf '%s\n' "${summary[@]}" | tee -a "$build/fuzz-summary.txt"
exit $failed
