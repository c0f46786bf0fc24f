#!/usr/bin/env bash
# The editors on orvex: Neovim's built-in client on orvex lsp (orvex-neovim.lua), and Vim's :make
# through compiler/orvex.vim, whose errorformat must turn orvex check's findings into the quickfix
# list at the right line and column.
set -u
orvex=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
vimfiles=$(cd "$here/../../editors/vim" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
printf '%s\n' 'greeting <- <hello> ;' 'box <- nil : <new> ( ) ;' \
    'box : <set> ( <show> , < sender : <print> ( ) ; > ) ;' 'box : <show> ( )' \
    'greeting : <print> ( ) ;' >prog.Orvex

if command -v nvim >/dev/null; then
    ORVEX=$orvex PROGRAM=prog.Orvex timeout 60 nvim --headless --clean -u NONE -c "luafile $here/orvex-neovim.lua" \
        </dev/null || { echo "FAIL: Neovim with orvex lsp"; failures=$((failures + 1)); }
else
    echo "FAIL: nvim is missing (scripts/setup.sh installs neovim)"
    failures=$((failures + 1))
fi

# orvex first on PATH, as :make finds it.
mkdir bin && ln -s "$orvex" bin/orvex
PATH=$PWD/bin:$PATH timeout 60 vim -Es -u NONE -N --cmd "set runtimepath^=$vimfiles" \
    -c 'compiler orvex' -c 'silent make' \
    -c 'let q = getqflist()' \
    -c 'call writefile([len(q) . " " . q[0].lnum . ":" . q[0].col . " " . q[0].type], "quickfix.txt")' \
    -c 'qall!' prog.Orvex </dev/null
[[ $(cat quickfix.txt 2>/dev/null) == "1 4:17 e" ]] || {
    echo "FAIL: :make filled the quickfix list with '$(cat quickfix.txt 2>/dev/null)', not '1 4:17 e'"
    failures=$((failures + 1))
}
exit $((failures > 0))
