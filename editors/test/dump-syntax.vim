" Writes the syntax group of every run of characters in the current buffer to $ORVEX_DUMP:
" the file type first, then one line per run that is not blank, "LINE:COLUMN<tab>text<tab>group".
let s:lines = ['filetype ' . &filetype]
for s:l in range(1, line('$'))
  let s:text = getline(s:l)
  let s:c = 1
  while s:c <= strlen(s:text)
    let s:start = s:c
    let s:group = synIDattr(synID(s:l, s:c, 0), 'name')
    while s:c <= strlen(s:text) && synIDattr(synID(s:l, s:c, 0), 'name') ==# s:group
      let s:c += 1
    endwhile
    let s:piece = strpart(s:text, s:start - 1, s:c - s:start)
    if s:piece =~# '\S'
      call add(s:lines, s:l . ':' . s:start . "\t" . s:piece . "\t" . (s:group ==# '' ? '-' : s:group))
    endif
  endwhile
endfor
call writefile(s:lines, $ORVEX_DUMP)
qall!
