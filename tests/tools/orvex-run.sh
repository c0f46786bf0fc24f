#!/usr/bin/env bash
# orvex run as a programmer uses it: the output on standard output (or -o), the stops on standard
# error, the exit status for each way a run ends, and a runaway recursion stopped by the memory limit
# with a message that points at it.
set -u
orvex=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# check STATUS STDOUT STDERR-PATTERN COMMAND...: the status, the whole output, and a line of stderr.
check() {
    local want=$1 want_out=$2 pattern=$3
    shift 3
    "$@" >stdout 2>stderr
    local got=$?
    [[ $got == "$want" ]] || fail "$* exited $got, not $want: $(head -c 300 stderr)"
    [[ $(cat stdout) == "$want_out" ]] || fail "$* printed '$(head -c 300 stdout)', not '$want_out'"
    [[ -z $pattern ]] && [[ -s stderr ]] && fail "$* said: $(head -c 300 stderr)"
    [[ -z $pattern ]] || grep -q -- "$pattern" stderr || fail "$* said '$(head -c 300 stderr)', not $pattern"
}

printf '<a> : <print> ( ) ;\ngreting : <print> ( ) ;\n<b> : <print> ( ) ;\n' >stops.Orvex
check 1 "<a><b>" "^stops.Orvex:2: stop: the name 'greting' is bound nowhere" "$orvex" run stops.Orvex
check 1 "<a><b>" "" "$orvex" run --quiet stops.Orvex
check 0 "<hi>" "" "$orvex" run -e '<hi> : <print> ( ) ;'
check 0 "<in>" "" "$orvex" run - <<<'<in> : <print> ( ) ;'
check 0 "" "" "$orvex" run -o out.txt -e '<file> : <print> ( ) ;'
[[ $(cat out.txt) == "<file>" ]] || fail "-o wrote '$(cat out.txt)'"
[[ -e Orvex.out ]] && fail "orvex run made Orvex.out"
check 2 "" "cannot read" "$orvex" run missing.Orvex
check 2 "" "did you mean 'stops.Orvex'" "$orvex" run STOPS.orvex
check 1 "" "a negative number is written <.-5>" "$orvex" run -e 'x <- <-5> ;'
check 2 "" "usage" "$orvex" run --max-memory lots stops.Orvex
check 3 "<1><2>" "ends after 2 statements" "$orvex" run --max-statements 2 -e '<1> : <print> ( ) ; <2> : <print> ( ) ; <3> : <print> ( ) ;'

# A method that calls itself for ever: ended by the memory limit within seconds, where it nests.
printf 'true <- <T> ;\nr <- < r ( ) ; > ;\nr ( ) ;\n' >runaway.Orvex
start=$SECONDS
check 3 "" "^runaway.Orvex:2: stop: the memory limit (256 MB) was reached [0-9,]* calls deep" \
    "$orvex" run --max-memory 256M runaway.Orvex
((SECONDS - start < 30)) || fail "the runaway recursion took $((SECONDS - start)) s to end"

echo "orvex run: $failures failure(s)"
exit "$failures"
