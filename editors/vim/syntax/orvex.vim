" Vim syntax file for Orvex program images.
if exists('b:current_syntax')
  finish
endif

" At one position the item defined last wins, and a keyword beats both: the catch-all for
" what the parser accepts nowhere (numbers, signs, stray characters) comes first.
syn match orvexError /[0-9]\+\|==\|\S/
syn match orvexIdentifier /\h\w*/
syn keyword orvexConstant nil true false
syn keyword orvexBuiltinObject String Extern System
syn keyword orvexFrameName params sender mySelf return
syn match orvexColon /:/
syn match orvexSemicolon /;/
syn match orvexComma /,/ contained

" ( ... ) ; runs code synchronously, ) ... ( ; asynchronously.
syn region orvexSyncParams matchgroup=orvexSyncParen start=/(/ end=/)/ contains=@orvexParameter
syn region orvexAsyncParams matchgroup=orvexAsyncParen start=/)/ end=/(/ contains=@orvexParameter

" Bracketed names nest; an arrow inside (<- or ->) neither opens nor closes a level. A name
" whose text starts like a statement (a blank, a line end, another name, or an identifier
" followed by <-, :, ( or )) is taken for code.
syn region orvexString start=/<-\@!/ end=/-\@<!>/ contains=orvexString,orvexDroppedEscape,orvexEscape
syn region orvexCode matchgroup=orvexCodeDelimiter
      \ start=/<\%(\s\|$\|<-\@!\|\h\w*\s*\%(<-\|:\|(\|)\)\)\@=/ end=/-\@<!>/
      \ contains=@orvexCodeItem,orvexDroppedEscape,orvexEscape
syn match orvexNumber /<\%(\\-\|+\)\=\%(\d\+\%(\.\d*\)\=\|\.\d\+\)\%([eE]\%(\\-\|+\)\=\d\+\)\=>/
syn match orvexPrimitive /<\%(new\|delete\|set\|get\|has\|remove\|firstKey\|nextKey\|getRefCount\|enter\|exit\|lockTwoPoints\|unlockTwoPoints\|print\|invoke\)>/
syn match orvexSpecialMember /<\%(id\|super\|objects\|:\|()\|)(\)>/
syn match orvexArrow /<-\|->/
" <-> is the one name that starts like an arrow.
syn match orvexName /<->/
" An escaped character other than these is dropped with its backslash, so a comment cannot
" be written inside a name.
syn match orvexDroppedEscape /\\\_./ contained
syn match orvexEscape /\\[-<>\\nt]/ contained

" The opening backslash also serves as the backslash of the closing pair: \** is a whole comment.
syn region orvexComment start=/\\\*/ end=/\\\*/
syn match orvexComment /\\\*\*/

syn cluster orvexParameter contains=orvexComment,orvexString,orvexCode,orvexNumber,orvexPrimitive,
      \orvexSpecialMember,orvexName,orvexIdentifier,orvexConstant,orvexBuiltinObject,orvexFrameName,
      \orvexComma,orvexError
syn cluster orvexCodeItem contains=orvexString,orvexCode,orvexNumber,orvexPrimitive,orvexSpecialMember,
      \orvexName,orvexArrow,orvexSyncParams,orvexAsyncParams,orvexIdentifier,orvexConstant,
      \orvexBuiltinObject,orvexFrameName,orvexColon,orvexSemicolon,orvexError

syn sync fromstart

hi def link orvexComment Comment
hi def link orvexString String
hi def link orvexName String
hi def link orvexCodeDelimiter Delimiter
hi def link orvexNumber Number
hi def link orvexPrimitive Function
hi def link orvexSpecialMember Special
hi def link orvexEscape SpecialChar
hi def link orvexDroppedEscape Error
hi def link orvexArrow Operator
hi def link orvexConstant Constant
hi def link orvexBuiltinObject Type
hi def link orvexFrameName Keyword
hi def link orvexColon Delimiter
hi def link orvexSemicolon Delimiter
hi def link orvexComma Delimiter
hi def link orvexSyncParen Delimiter
hi def link orvexAsyncParen Statement
hi def link orvexError Error

let b:current_syntax = 'orvex'
