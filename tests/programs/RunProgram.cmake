# Runs one Orvex program and checks what the interpreter leaves behind.
#
#   cmake -DORVEX_VM=<interpreter> -DPROGRAM=<dir>/NAME.Orvex -DEXPECTED=<dir>/NAME.out
#         -DRUN_DIR=<fresh directory> [-DARGUMENTS=<dir>/NAME.args] [-DORVEX_EMULATOR=a|b|c]
#         [-DORVEX_CRLF=ON] [-DWINE_PREFIX=<dir>] -P RunProgram.cmake
#
# The program is copied into RUN_DIR, emptied first, and the interpreter runs there with the
# program's file name, relative, as its only argument: a Windows interpreter under Wine would
# not understand a Unix path. When NAME.args exists, its lines are the arguments instead (an
# empty file gives no argument at all), and the program is also copied as "image.Orvex", the
# image the interpreter falls back on.
#
# The run passes when all of these hold:
#   - "Orvex.out" holds exactly the bytes of NAME.out (with every LF as CR LF when ORVEX_CRLF);
#   - standard output is exactly two line ends, "Se acabo..." and two line ends;
#   - the exit status is 0;
#   - nothing was written to standard error (not checked under an emulator, which may talk).

cmake_minimum_required(VERSION 3.25)

foreach(required ORVEX_VM PROGRAM EXPECTED RUN_DIR)
    if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
        message(FATAL_ERROR "RunProgram.cmake: -D${required}=... is required")
    endif()
endforeach()
if(NOT EXISTS "${EXPECTED}")
    message(FATAL_ERROR "No expected output: ${EXPECTED} is missing")
endif()

# Hexadecimal dump of a file, each byte written as "x" and two digits, so that byte-wise
# replacements cannot match across byte boundaries.
function(read_bytes path out_var)
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "x\\1" bytes "${hex}")
    set(${out_var} "${bytes}" PARENT_SCOPE)
endfunction()

# Text for a human: printable ASCII as is, line feeds kept, everything else as \xNN.
function(bytes_to_readable bytes out_var)
    set(text "")
    string(REGEX MATCHALL "x.." list "${bytes}")
    foreach(byte IN LISTS list)
        string(SUBSTRING "${byte}" 1 2 digits)
        math(EXPR code "0x${digits}")
        if(code EQUAL 10)
            string(APPEND text "\n")
        elseif(code EQUAL 13)
            string(APPEND text "\\r")
        elseif(code EQUAL 92)
            string(APPEND text "\\\\")
        elseif(code GREATER_EQUAL 32 AND code LESS 127 AND NOT code EQUAL 59)
            string(ASCII ${code} char)
            string(APPEND text "${char}")
        else()
            string(APPEND text "\\x${digits}")
        endif()
    endforeach()
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# The run directory starts empty on every run and stays afterwards for inspection.
file(REMOVE_RECURSE "${RUN_DIR}")
file(MAKE_DIRECTORY "${RUN_DIR}")
get_filename_component(program_file "${PROGRAM}" NAME)
file(COPY_FILE "${PROGRAM}" "${RUN_DIR}/${program_file}")

set(arguments "${program_file}")
if(DEFINED ARGUMENTS AND EXISTS "${ARGUMENTS}")
    file(COPY_FILE "${PROGRAM}" "${RUN_DIR}/image.Orvex")
    file(READ "${ARGUMENTS}" argument_text)
    string(REPLACE "\r" "" argument_text "${argument_text}")
    string(REGEX REPLACE "\n$" "" argument_text "${argument_text}")
    if(argument_text STREQUAL "")
        set(arguments "")
    else()
        string(REPLACE ";" "\\;" argument_text "${argument_text}")
        string(REPLACE "\n" ";" arguments "${argument_text}")
    endif()
endif()

set(command "${ORVEX_VM}")
if(DEFINED ORVEX_EMULATOR AND NOT ORVEX_EMULATOR STREQUAL "")
    string(REPLACE "|" ";" emulator "${ORVEX_EMULATOR}")
    set(command ${emulator} "${ORVEX_VM}")
    # One shared Wine prefix for the whole suite, unless the caller chose one: the emulator's
    # own default may lie in the working directory, a new prefix for every program.
    if(NOT DEFINED ENV{WINEPREFIX} AND DEFINED WINE_PREFIX AND NOT WINE_PREFIX STREQUAL "")
        set(ENV{WINEPREFIX} "${WINE_PREFIX}")
    endif()
endif()

# Both output streams go to files, not pipes: a daemon that the emulator starts may inherit
# them and would keep a pipe open long after the interpreter has ended.
if(CMAKE_HOST_WIN32)
    set(no_input NUL)
else()
    set(no_input /dev/null)
endif()
# Under an emulator the launch itself may fail now and then (Wine's loader gives up before the
# program has run). The interpreter makes Orvex.out before anything else, so an exit without it and
# without a word on standard output is such a launch, and it is tried again, at most twice.
foreach(attempt RANGE 1 3)
    execute_process(COMMAND ${command} ${arguments}
                    WORKING_DIRECTORY "${RUN_DIR}"
                    INPUT_FILE ${no_input}
                    OUTPUT_FILE "${RUN_DIR}/stdout.bytes"
                    ERROR_FILE "${RUN_DIR}/stderr.bytes"
                    RESULT_VARIABLE status
                    TIMEOUT 110)
    file(SIZE "${RUN_DIR}/stdout.bytes" stdout_size)
    if(status STREQUAL "0" OR NOT DEFINED emulator OR EXISTS "${RUN_DIR}/Orvex.out"
       OR stdout_size GREATER 0)
        break()
    endif()
    file(READ "${RUN_DIR}/stderr.bytes" launch_error)
    message("Launch ${attempt} failed (exit status '${status}'): ${launch_error}")
endforeach()
file(READ "${RUN_DIR}/stderr.bytes" standard_error)

set(failures "")
set(report "")

if(NOT status STREQUAL "0")
    list(APPEND failures "exit status")
    string(APPEND report "Exit status: expected 0, got '${status}'.\n")
endif()

if(ORVEX_CRLF)
    set(line_end "x0dx0a")
else()
    set(line_end "x0a")
endif()

# Standard output: two line ends, "Se acabo...", two line ends.
string(HEX "Se acabo..." closing_hex)
string(REGEX REPLACE "(..)" "x\\1" closing_bytes "${closing_hex}")
set(expected_stdout "${line_end}${line_end}${closing_bytes}${line_end}${line_end}")
read_bytes("${RUN_DIR}/stdout.bytes" actual_stdout)
if(NOT actual_stdout STREQUAL expected_stdout)
    list(APPEND failures "standard output")
    bytes_to_readable("${expected_stdout}" expected_text)
    bytes_to_readable("${actual_stdout}" actual_text)
    string(APPEND report "Standard output differs.\n--- expected\n${expected_text}\n--- actual\n${actual_text}\n---\n")
endif()

if(NOT DEFINED emulator)
    if(NOT standard_error STREQUAL "")
        list(APPEND failures "standard error")
        string(APPEND report "Standard error should be empty, but holds:\n${standard_error}\n")
    endif()
elseif(failures AND NOT standard_error STREQUAL "")
    string(APPEND report "Standard error (not checked under an emulator):\n${standard_error}\n")
endif()

# Orvex.out, byte for byte.
read_bytes("${EXPECTED}" expected_out)
if(ORVEX_CRLF)
    string(REPLACE "x0a" "x0dx0a" expected_out "${expected_out}")
endif()
if(NOT EXISTS "${RUN_DIR}/Orvex.out")
    list(APPEND failures "Orvex.out")
    string(APPEND report "Orvex.out was not created in ${RUN_DIR}.\n")
else()
    read_bytes("${RUN_DIR}/Orvex.out" actual_out)
    if(NOT actual_out STREQUAL expected_out)
        list(APPEND failures "Orvex.out")
        string(LENGTH "${expected_out}" expected_length)
        string(LENGTH "${actual_out}" actual_length)
        math(EXPR expected_size "${expected_length} / 3")
        math(EXPR actual_size "${actual_length} / 3")
        # First differing byte.
        set(offset 0)
        set(position 0)
        while(position LESS expected_length AND position LESS actual_length)
            string(SUBSTRING "${expected_out}" ${position} 3 a)
            string(SUBSTRING "${actual_out}" ${position} 3 b)
            if(NOT a STREQUAL b)
                break()
            endif()
            math(EXPR position "${position} + 3")
            math(EXPR offset "${offset} + 1")
        endwhile()
        string(APPEND report "Orvex.out differs from ${EXPECTED} "
                             "(expected ${expected_size} bytes, got ${actual_size}; "
                             "first difference at byte ${offset}).\n")
        bytes_to_readable("${expected_out}" expected_text)
        bytes_to_readable("${actual_out}" actual_text)
        file(WRITE "${RUN_DIR}/expected.txt" "${expected_text}\n")
        file(WRITE "${RUN_DIR}/actual.txt" "${actual_text}\n")
        find_program(DIFF_TOOL diff)
        if(DIFF_TOOL)
            execute_process(COMMAND "${DIFF_TOOL}" -u expected.txt actual.txt
                            WORKING_DIRECTORY "${RUN_DIR}"
                            OUTPUT_VARIABLE diff_text)
            string(APPEND report "${diff_text}")
        else()
            string(APPEND report "--- expected\n${expected_text}\n--- actual\n${actual_text}\n---\n")
        endif()
    endif()
endif()

if(failures)
    list(JOIN failures ", " failed)
    message("${report}")
    message(FATAL_ERROR "${program_file}: ${failed} wrong (run directory: ${RUN_DIR})")
endif()
