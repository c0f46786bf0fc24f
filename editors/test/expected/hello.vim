filetype orvex
1:1	\* Hello, world.	orvexComment
3:1	   A bracketed name such as <Hello, world!> is a string. Sending it the message print	orvexComment
4:1	   writes its text, brackets included, into the file Orvex.out. The string <\n>, whose	orvexComment
5:1	   backslash-n stands for a line feed, is the one text that print writes without its	orvexComment
6:1	   brackets: a single line end. \*	orvexComment
7:1	<Hello, world!>	orvexString
7:17	:	orvexColon
7:19	<print>	orvexPrimitive
7:27	(	orvexSyncParen
7:29	)	orvexSyncParen
7:31	;	orvexSemicolon
8:1	<	orvexString
8:2	\n	orvexEscape
8:4	>	orvexString
8:6	:	orvexColon
8:8	<print>	orvexPrimitive
8:16	(	orvexSyncParen
8:18	)	orvexSyncParen
8:20	;	orvexSemicolon
