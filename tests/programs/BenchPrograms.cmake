# The benchmark programs at small sizes, written out at configuration time with the exact output
# each must leave, worked out from its size. They run as program tests in every build, so the
# native interpreter and the Windows one under Wine answer alike on the programs that work the
# interpreter hardest: deep synchronous calls, recursion, many objects, a long text, interleaved
# asynchronous evaluations, long <super> chains with interception, and a long image.
#
# orvex_write_bench_programs(<directory> <names variable>) empties the directory, writes
# NAME.Orvex and NAME.out there for each program and returns the names.

set(orvex_bench_prelude [=[true <- <yes> ;
false <- <no> ;
-> done ;
-> next ;
]=])

# The loop of every program below: a method <step> of a new object NAME runs BODY, adds one to
# COUNTER and calls itself again, synchronously, until COUNTER equals LIMIT. The branch is <get>
# on a table keyed by the identifier texts of the objects bound to true and false.
function(orvex_bench_repeat name counter limit body text_var)
    string(CONFIGURE [=[@name@Steps <- nil : <new> ( ) ;
@name@Steps : <set> ( <no> , < @name@ : <step> ( ) ; > ) ;
@name@Steps : <set> ( <yes> , <> ) ;
@name@ <- nil : <new> ( ) ;
@name@ : <set> ( <step> , <
@body@    @counter@ <- Extern : <invoke> ( String , <+> , @counter@ , <1> ) ;
    done <- Extern : <invoke> ( String , <==> , @counter@ , @limit@ ) ;
    next <- @name@Steps : <get> ( done ) ;
    next ( ) ;
> ) ;
]=] text @ONLY)
    set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

function(orvex_bench_loop count program_var output_var)
    set(N ${count})
    orvex_bench_repeat(Loop count limit "" loop)
    string(CONFIGURE [=[\* Counting to @N@ by a method that calls itself synchronously once per count. \*
count <- <0> ;
limit <- <@N@> ;
@loop@Loop : <step> ( ) ;
count : <print> ( ) ;
<\n> : <print> ( ) ;
]=] program @ONLY)
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${count}>\n" PARENT_SCOPE)
endfunction()

function(orvex_bench_fib n program_var output_var)
    set(N ${n})
    # n, a and b belong to each call (declared in its frame); the rest is scratch, used up
    # before the next call starts. The two smallest numbers are the members of Base.
    string(CONFIGURE [=[\* The Fibonacci number of @N@, by naive recursion through a method. \*
-> small ;
-> m ;
-> sum ;
Base <- nil : <new> ( ) ;
Base : <set> ( <0> , <0> ) ;
Base : <set> ( <1> , <1> ) ;
Cases <- nil : <new> ( ) ;
Cases : <set> ( <yes> , < return <- n ; > ) ;
Cases : <set> ( <no> , <
    m <- Extern : <invoke> ( String , <-> , n , <1> ) ;
    a <- Fib : <of> ( m ) ;
    m <- Extern : <invoke> ( String , <-> , n , <2> ) ;
    b <- Fib : <of> ( m ) ;
    sum <- Extern : <invoke> ( String , <+> , a , b ) ;
    return <- sum ;
> ) ;
Fib <- nil : <new> ( ) ;
Fib : <set> ( <of> , <
    -> n ;
    -> a ;
    -> b ;
    n <- params : <0> ;
    small <- Base : <has> ( n ) ;
    next <- Cases : <get> ( small ) ;
    next ( ) ;
> ) ;
answer <- Fib : <of> ( <@N@> ) ;
answer : <print> ( ) ;
<\n> : <print> ( ) ;
]=] program @ONLY)
    set(a 0)
    set(b 1)
    foreach(i RANGE 1 ${n})
        math(EXPR c "${a} + ${b}")
        set(a ${b})
        set(b ${c})
    endforeach()
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${a}>\n" PARENT_SCOPE)
endfunction()

function(orvex_bench_objects count program_var output_var)
    set(N ${count})
    orvex_bench_repeat(Build made limit [=[    node <- nil : <new> ( ) ;
    node : <set> ( <super> , Node ) ;
    node : <set> ( <value> , made ) ;
    node : <set> ( <rest> , list ) ;
    list <- node ;
]=] build)
    orvex_bench_repeat(Walk visited limit [=[    value <- list : <value> ;
    total <- Extern : <invoke> ( String , <+> , total , value ) ;
    value <- list : <weight> ;
    weights <- Extern : <invoke> ( String , <+> , weights , value ) ;
    list <- list : <rest> ;
]=] walk)
    string(CONFIGURE [=[\* A list of @N@ objects made by <new>, each inheriting a weight, then walked. \*
-> node ;
-> value ;
made <- <0> ;
visited <- <0> ;
total <- <0> ;
weights <- <0> ;
limit <- <@N@> ;
list <- nil ;
Node <- nil : <new> ( ) ;
Node : <set> ( <weight> , <1> ) ;
@build@@walk@Build : <step> ( ) ;
Walk : <step> ( ) ;
total : <print> ( ) ;
weights : <print> ( ) ;
<\n> : <print> ( ) ;
]=] program @ONLY)
    math(EXPR total "${count} * (${count} - 1) / 2")
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${total}><${count}>\n" PARENT_SCOPE)
endfunction()

function(orvex_bench_strings count program_var output_var)
    set(N ${count})
    orvex_bench_repeat(Loop pieces limit "    Grow ( ) ;\n" loop)
    # Each concatenation runs as code of its own, so the strings it makes are bound in a
    # frame that ends with it, not in the loop's.
    string(CONFIGURE [=[\* A text grown by @N@ pieces of eight bytes, then its length and the text. \*
text <- <s> ;
pieces <- <0> ;
limit <- <@N@> ;
Grow <- < text <- Extern : <invoke> ( String , <+> , text , <abcdefgh> ) ; > ;
@loop@Loop : <step> ( ) ;
size <- Extern : <invoke> ( String , <length> , text , <> ) ;
size : <print> ( ) ;
<\n> : <print> ( ) ;
text : <print> ( ) ;
<\n> : <print> ( ) ;
]=] program @ONLY)
    math(EXPR size "8 * ${count} + 1")
    string(REPEAT "abcdefgh" ${count} pieces)
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${size}>\n<s${pieces}>\n" PARENT_SCOPE)
endfunction()

# All evaluations run after the main text, one statement each per pass, in the order they were
# started; the last one has one statement more, the print, which therefore comes after every
# other evaluation's last addition.
function(orvex_bench_async evaluations statements program_var output_var)
    string(REPEAT "    x <- Extern : <invoke> ( String , <+> , x , <1> ) ;\n" ${statements} body)
    set(program "\\* ${evaluations} asynchronous evaluations of ${statements} statements each. \\*\n")
    string(APPEND program "x <- <0> ;\nWorker <- <\n${body}> ;\n")
    string(APPEND program "Last <- <\n${body}    x : <print> ( ) ;\n    <\\n> : <print> ( ) ;\n> ;\n")
    math(EXPR others "${evaluations} - 1")
    string(REPEAT "Worker ) ( ;\n" ${others} starts)
    string(APPEND program "${starts}Last ) ( ;\n")
    math(EXPR total "${evaluations} * ${statements}")
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${total}>\n" PARENT_SCOPE)
endfunction()

# Each round calls a method found at the root of a <super> chain, once directly and once
# through an object whose own <:> runs the method it is handed.
function(orvex_bench_dispatch rounds depth program_var output_var)
    set(R ${rounds})
    set(D ${depth})
    set(chain "")
    foreach(level RANGE 1 ${depth})
        math(EXPR below "${level} - 1")
        string(APPEND chain "Level${level} <- nil : <new> ( ) ;\nLevel${level} : <set> ( <super> , Level${below} ) ;\n")
    endforeach()
    orvex_bench_repeat(Rounds rounds limit "    Level${depth} : <tick> ( ) ;\n    Proxy : <tick> ( ) ;\n" loop)
    string(CONFIGURE [=[\* @R@ rounds calling a method @D@ links up a <super> chain, directly and intercepted. \*
-> method ;
direct <- <0> ;
intercepted <- <0> ;
rounds <- <0> ;
limit <- <@R@> ;
Level0 <- nil : <new> ( ) ;
Level0 : <set> ( <tick> , < direct <- Extern : <invoke> ( String , <+> , direct , <1> ) ; > ) ;
@chain@Proxy <- nil : <new> ( ) ;
Proxy : <set> ( <super> , Level@D@ ) ;
Proxy : <set> ( <:> , <
    intercepted <- Extern : <invoke> ( String , <+> , intercepted , <1> ) ;
    method <- params : <1> ;
    method ( ) ;
> ) ;
@loop@Rounds : <step> ( ) ;
direct : <print> ( ) ;
intercepted : <print> ( ) ;
<\n> : <print> ( ) ;
]=] program @ONLY)
    math(EXPR calls "2 * ${rounds}")
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "<${calls}><${rounds}>\n" PARENT_SCOPE)
endfunction()

# A long image of plain statements, eight to a group (its comment counts as one): three names
# rotate once per group, and a literal with nested brackets, arrows and escapes is read again
# and again.
function(orvex_bench_parse groups program_var output_var)
    set(literal [=[<a text with <nested <brackets>>, -> and <- arrows, and \< \> escapes>]=])
    set(program "\\* A long image: ${groups} groups of eight statements. \\*\n")
    string(APPEND program "a <- <A> ;\nb <- <B> ;\nc <- <C> ;\n-> t ;\no <- nil : <new> ( ) ;\n")
    string(APPEND program "o : <set> ( <val> , <42> ) ;\n")
    foreach(group RANGE 1 ${groups})
        string(APPEND program "\\* group ${group} \\*\nt <- a ;\na <- b ;\nb <- c ;\nc <- t ;\n-> u ;\n"
                              "q <- ${literal} ;\nm <- o : <val> ;\n")
    endforeach()
    string(APPEND program "a : <print> ( ) ;\nb : <print> ( ) ;\nc : <print> ( ) ;\nm : <print> ( ) ;\n"
                          "<\\n> : <print> ( ) ;\nq : <print> ( ) ;\n<\\n> : <print> ( ) ;\n")
    math(EXPR turn "${groups} % 3")
    set(names <A> <B> <C> <A> <B>)
    list(SUBLIST names ${turn} 3 rotated)
    list(JOIN rotated "" first_line)
    set(${program_var} "${program}" PARENT_SCOPE)
    set(${output_var} "${first_line}<42>\n${literal}\n" PARENT_SCOPE)
endfunction()

function(orvex_write_bench_programs directory names_var)
    file(REMOVE_RECURSE ${directory})
    orvex_bench_loop(1000 loop loop_out)
    orvex_bench_fib(12 fib fib_out)
    orvex_bench_objects(300 objects objects_out)
    orvex_bench_strings(200 strings strings_out)
    orvex_bench_async(10 20 async async_out)
    orvex_bench_dispatch(200 8 dispatch dispatch_out)
    orvex_bench_parse(100 parse parse_out)
    set(names loop fib objects strings async dispatch parse)
    foreach(name IN LISTS names)
        # The prelude goes after the program's first line, the comment that says what it is.
        string(FIND "${${name}}" "\n" first_line_end)
        math(EXPR first_line_end "${first_line_end} + 1")
        string(SUBSTRING "${${name}}" 0 ${first_line_end} header)
        string(SUBSTRING "${${name}}" ${first_line_end} -1 body)
        file(WRITE ${directory}/${name}.Orvex "${header}${orvex_bench_prelude}${body}")
        file(WRITE ${directory}/${name}.out "${${name}_out}")
    endforeach()
    set(${names_var} ${names} PARENT_SCOPE)
endfunction()
