#!/usr/bin/env bash
# Memory that should come back: an asynchronous loop of N turns that makes a 100-byte text with <+>
# at each turn and deletes it with <delete>, beside the same loop without those two statements.
#   without   the loop alone
#   in a call the text is made and deleted in a synchronous call: the answer's binding under its own
#             text goes with the call's context, so nothing is left of the text and its peak should
#             be within a tenth of the loop's
#   in place  the same two statements in the turn itself: an asynchronous evaluation binds in its
#             caller's context, here the global one, so every answer's name stays bound (to the dead
#             object) for the rest of the run, and its text with it
#   bench/make-delete.sh [ORVEXVM] [N]      defaults: build-rel/vm/OrvexVM, 400000
set -euo pipefail
vm=$(realpath "${1:-build-rel/vm/OrvexVM}")
n=${2:-400000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
text=$(printf 'x%.0s' $(seq 1 100))
make="t <- Extern : <invoke> ( String , <+> , <$text> , i ) ; t : <delete> ( ) ;"
for kind in without in-a-call in-place; do
    turn='' call=''
    case $kind in
    in-a-call) turn='make ( ) ;' call="make <- < $make > ;" ;;
    in-place) turn=$make ;;
    esac
    cat >$kind.Orvex <<PROGRAM
true <- <T> ; false <- <F> ; -> t ; -> done ; -> next ;
i <- <0> ;
$call
step <- nil : <new> ( ) ;
step : <set> ( <T> , < i : <print> ( ) ; > ) ;
step : <set> ( <F> , < Loop : <turn> ) ( ; > ) ;
Loop <- nil : <new> ( ) ;
Loop : <set> ( <turn> , < i <- Extern : <invoke> ( String , <+> , i , <1> ) ; $turn
    done <- Extern : <invoke> ( String , <==> , i , <$n> ) ; next <- step : <get> ( done ) ; next ( ) ; > ) ;
Loop : <turn> ) ( ;
PROGRAM
    /usr/bin/time -f "$kind: %e s, peak %M KB" "$vm" $kind.Orvex 2>&1 >/dev/null | tail -1
    [ "$(cat Orvex.out)" = "<$n>" ] || echo "the loop printed $(head -c 80 Orvex.out), not <$n>"
done
