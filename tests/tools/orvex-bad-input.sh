#!/usr/bin/env bash
# orvex survives what OrvexVM survives: a missing file, a directory, binary garbage, a 10 MB literal,
# 5 million nested brackets and CR LF line ends. Each case ends with the documented exit status,
# never with a signal, and says something on standard error where it cannot read.
set -u
orvex=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0

# expect STATUS COMMAND...: the command's exit status is STATUS.
expect() {
    local want=$1
    shift
    "$@" >stdout 2>stderr
    local got=$?
    if [[ $got != "$want" ]]; then
        echo "FAIL: $* exited $got, not $want"
        head -c 400 stderr
        failures=$((failures + 1))
    fi
}

expect 2 "$orvex" check missing.Orvex
grep -q "missing.Orvex" stderr || { echo "FAIL: no message names the missing file"; failures=$((failures + 1)); }
mkdir folder
expect 2 "$orvex" check folder
expect 2 "$orvex" trace folder

python3 -c 'import random,sys; r=random.Random(7); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(200000)))' >garbage.Orvex
expect 1 "$orvex" check garbage.Orvex
expect 0 "$orvex" trace garbage.Orvex --limit 1000 -o trace.txt

python3 -c 'import sys; sys.stdout.write("x <- <" + "a" * 10_000_000 + "> ;\nx : <print> ( ) ;\n")' >literal.Orvex
expect 0 "$orvex" check literal.Orvex
expect 0 "$orvex" trace literal.Orvex --stops

python3 -c 'import sys; sys.stdout.write("<" * 5_000_000)' >nested.Orvex
expect 1 "$orvex" check nested.Orvex
expect 0 "$orvex" trace nested.Orvex --stops

printf 'x <- <hello> ;\r\nx : <print> ( ) ;\r\n' >crlf.Orvex
expect 0 "$orvex" check crlf.Orvex
expect 0 "$orvex" trace crlf.Orvex
cmp -s Orvex.out <(printf '<hello>') || { echo "FAIL: the CR LF program's output differs"; failures=$((failures + 1)); }

exit $((failures > 0))
