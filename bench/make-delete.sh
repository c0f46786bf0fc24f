#!/usr/bin/env bash
# Memory that should come back: an asynchronous loop of N turns that makes a 100-byte text with <+>
# at each turn and deletes it with <delete>, beside the same loop without those two statements. The
# peaks should be within a tenth of each other; every byte more is what a made-and-deleted text
# leaves behind.
#   bench/make-delete.sh [ORVEXVM] [N]      defaults: build-rel/vm/OrvexVM, 400000
set -euo pipefail
vm=$(realpath "${1:-build-rel/vm/OrvexVM}")
n=${2:-400000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
text=$(printf 'x%.0s' $(seq 1 100))
for kind in with without; do
    make='' delete=''
    if [ $kind = with ]; then
        make="t <- Extern : <invoke> ( String , <+> , <$text> , i ) ;"
        delete='t : <delete> ( ) ;'
    fi
    cat >$kind.Orvex <<PROGRAM
true <- <T> ; false <- <F> ; -> t ; -> done ; -> next ;
i <- <0> ;
step <- nil : <new> ( ) ;
step : <set> ( <T> , < i : <print> ( ) ; > ) ;
step : <set> ( <F> , < Loop : <turn> ) ( ; > ) ;
Loop <- nil : <new> ( ) ;
Loop : <set> ( <turn> , < i <- Extern : <invoke> ( String , <+> , i , <1> ) ; $make $delete
    done <- Extern : <invoke> ( String , <==> , i , <$n> ) ; next <- step : <get> ( done ) ; next ( ) ; > ) ;
Loop : <turn> ) ( ;
PROGRAM
    /usr/bin/time -f "$kind make-and-delete: %e s, peak %M KB" "$vm" $kind.Orvex 2>&1 >/dev/null | tail -1
    [ "$(cat Orvex.out)" = "<$n>" ] || echo "the loop printed $(head -c 80 Orvex.out), not <$n>"
done
