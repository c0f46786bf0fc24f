# The embedding example as a user runs it: a file, a one-liner, a statement limit, a missing file.
#   cmake -DHOST=... -DORVEX_EMULATOR=... -DEXAMPLE=hello.Orvex -DEXPECTED=hello.out -P RunHost.cmake
string(REPLACE "|" ";" emulator "${ORVEX_EMULATOR}")

function(run_host want_status want_output)
    execute_process(COMMAND ${emulator} ${HOST} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                    ERROR_VARIABLE error)
    string(REPLACE "\r\n" "\n" output "${output}") # a Windows host writes text mode
    if(NOT status EQUAL want_status OR NOT output STREQUAL want_output)
        message(FATAL_ERROR "host ${ARGN}: exit ${status} (want ${want_status}), printed '${output}' "
                            "(want '${want_output}'), said '${error}'")
    endif()
endfunction()

# The same with a text for -e, whose ';' a list of arguments would take apart.
function(run_text want_status want_output statements text)
    execute_process(COMMAND ${emulator} ${HOST} --max-statements ${statements} -e "${text}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
    string(REPLACE "\r\n" "\n" output "${output}")
    if(NOT status EQUAL want_status OR NOT output STREQUAL want_output)
        message(FATAL_ERROR "host -e '${text}': exit ${status} (want ${want_status}), printed '${output}' "
                            "(want '${want_output}'), said '${error}'")
    endif()
endfunction()

file(READ ${EXPECTED} expected)
run_host(0 "${expected}" ${EXAMPLE})
run_text(0 "<hi>" 0 "<hi> : <print> ( ) ;")
run_text(3 "<a>" 1 "<a> : <print> ( ) ; <b> : <print> ( ) ;")
run_host(2 "" ${EXAMPLE}.missing)
run_host(1 "" --max-statements)
