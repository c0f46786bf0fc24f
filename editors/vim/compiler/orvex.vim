" Vim compiler file for Orvex: orvex check on the current file, its findings in the quickfix list.
"   :compiler orvex    then    :make
if exists("current_compiler")
    finish
endif
let current_compiler = "orvex"
if exists(":CompilerSet") != 2
    command -nargs=* CompilerSet setlocal <args>
endif
" orvex check writes FILE:LINE:COLUMN: error|warning: MESSAGE, one finding a line.
CompilerSet makeprg=orvex\ check\ %:S
CompilerSet errorformat=%f:%l:%c:\ %trror:\ %m,%f:%l:%c:\ %tarning:\ %m,%-G%.%#
