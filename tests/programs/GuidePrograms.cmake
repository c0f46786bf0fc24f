# Takes the programs out of the language guide, so that they run as program tests and the
# guide cannot drift from what the interpreter does.
#
# In the guide, a program is a fenced block whose info string is "orvex" and a name; the next
# fenced block, after any prose, is labelled "Orvex.out" and holds exactly what the program
# writes (an empty block: nothing). Other fenced blocks are left alone.
#
#     ```orvex hello
#     <Hello> : <print> ( ) ;
#     <\n> : <print> ( ) ;
#     ```
#     ```Orvex.out
#     <Hello>
#     ```
#
# orvex_extract_guide_programs(<guide> <directory> <names variable>) empties the directory,
# writes NAME.Orvex and NAME.out there for each program and returns the names in order.
# A program without its output block, a name used twice or a block left open stops the
# configuration with the guide's line number.

# The text up to the next line that starts with ``` (the closing fence): the block's body.
function(orvex_guide_block_body text body_var rest_var)
    string(FIND "${text}" "\n```" close)
    if(text MATCHES "^```")
        set(close -1)
        set(body "")
        string(SUBSTRING "${text}" 3 -1 rest)
    elseif(close EQUAL -1)
        set(${body_var} "" PARENT_SCOPE)
        set(${rest_var} "" PARENT_SCOPE)
        set(orvex_guide_open TRUE PARENT_SCOPE)
        return()
    else()
        string(SUBSTRING "${text}" 0 ${close} body)
        string(APPEND body "\n")
        math(EXPR after "${close} + 4")
        string(SUBSTRING "${text}" ${after} -1 rest)
    endif()
    set(${body_var} "${body}" PARENT_SCOPE)
    set(${rest_var} "${rest}" PARENT_SCOPE)
    set(orvex_guide_open FALSE PARENT_SCOPE)
endfunction()

function(orvex_extract_guide_programs guide directory names_var)
    file(READ "${guide}" text)
    string(LENGTH "${text}" text_length)
    file(REMOVE_RECURSE "${directory}")
    file(MAKE_DIRECTORY "${directory}")
    set(rest "${text}")
    set(names "")
    while(TRUE)
        # The next opening fence of a program: ```orvex NAME at the start of a line.
        string(FIND "${rest}" "\n```orvex " start)
        if(start EQUAL -1)
            break()
        endif()
        # Its line number, for the messages below.
        string(LENGTH "${rest}" rest_length)
        math(EXPR offset "${text_length} - ${rest_length} + ${start} + 1")
        string(SUBSTRING "${text}" 0 ${offset} before)
        string(REGEX REPLACE "[^\n]" "" newlines "${before}")
        string(LENGTH "${newlines}" line)
        math(EXPR line "${line} + 1")
        math(EXPR start "${start} + 10")
        string(SUBSTRING "${rest}" ${start} -1 rest)
        string(FIND "${rest}" "\n" end)
        string(SUBSTRING "${rest}" 0 ${end} name)
        string(STRIP "${name}" name)
        if(NOT name MATCHES "^[A-Za-z0-9_-]+$")
            message(FATAL_ERROR "${guide}:${line}: a program needs a name of letters, digits, '-' or '_' after ```orvex")
        endif()
        if(name IN_LIST names)
            message(FATAL_ERROR "${guide}:${line}: the program name '${name}' is used twice")
        endif()
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${rest}" ${end} -1 rest)
        orvex_guide_block_body("${rest}" program rest)
        # Its output: the next fenced block must be labelled Orvex.out.
        string(FIND "${rest}" "\n```" next)
        if(orvex_guide_open OR next EQUAL -1)
            message(FATAL_ERROR "${guide}:${line}: the program '${name}' has no Orvex.out block after it")
        endif()
        math(EXPR next "${next} + 4")
        string(SUBSTRING "${rest}" ${next} -1 rest)
        if(NOT rest MATCHES "^Orvex\\.out\n")
            message(FATAL_ERROR "${guide}:${line}: the block after the program '${name}' must be ```Orvex.out")
        endif()
        string(SUBSTRING "${rest}" 10 -1 rest)
        orvex_guide_block_body("${rest}" output rest)
        if(orvex_guide_open)
            message(FATAL_ERROR "${guide}:${line}: the Orvex.out block of '${name}' is not closed")
        endif()
        file(WRITE "${directory}/${name}.Orvex" "${program}")
        file(WRITE "${directory}/${name}.out" "${output}")
        list(APPEND names ${name})
    endwhile()
    # A guide whose blocks no longer match the form above would otherwise test nothing.
    if(NOT names)
        message(FATAL_ERROR "${guide}: no program found (a block labelled ```orvex NAME)")
    endif()
    set(${names_var} ${names} PARENT_SCOPE)
endfunction()
