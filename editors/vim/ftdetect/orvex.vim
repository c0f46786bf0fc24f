" Orvex program images.
autocmd BufNewFile,BufRead *.Orvex setfiletype orvex
