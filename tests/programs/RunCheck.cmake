# Runs orvex on one program and compares what it says with the expectations beside the program.
#
#   cmake -DORVEX=<orvex> -DPROGRAM=<dir>/NAME.Orvex -DRUN_DIR=<fresh directory> -P RunCheck.cmake
#
# "orvex check NAME.Orvex" must write exactly NAME.check (nothing when there is none) and exit
# with 1 when that holds an error, else 0. When NAME.trace exists, "orvex trace NAME.Orvex --stops"
# must write exactly that. Both run in RUN_DIR on a copy, so FILE in the lines is NAME.Orvex.

cmake_minimum_required(VERSION 3.25)

get_filename_component(program_dir "${PROGRAM}" DIRECTORY)
get_filename_component(program_name "${PROGRAM}" NAME_WE)
get_filename_component(program_file "${PROGRAM}" NAME)
file(REMOVE_RECURSE "${RUN_DIR}")
file(MAKE_DIRECTORY "${RUN_DIR}")
file(COPY_FILE "${PROGRAM}" "${RUN_DIR}/${program_file}")

set(failures "")

# compare(<what> <expected file or ""> <actual text>)
function(compare what expected_file actual)
    set(expected "")
    if(EXISTS "${expected_file}")
        file(READ "${expected_file}" expected)
    endif()
    if(NOT actual STREQUAL expected)
        file(WRITE "${RUN_DIR}/${what}.expected" "${expected}")
        file(WRITE "${RUN_DIR}/${what}.actual" "${actual}")
        execute_process(COMMAND diff -u "${what}.expected" "${what}.actual" WORKING_DIRECTORY "${RUN_DIR}"
                        OUTPUT_VARIABLE difference)
        message("orvex ${what} differs:\n${difference}")
        set(failures "${failures} ${what}" PARENT_SCOPE)
    endif()
endfunction()

execute_process(COMMAND "${ORVEX}" check "${program_file}" WORKING_DIRECTORY "${RUN_DIR}"
                OUTPUT_VARIABLE out ERROR_VARIABLE said RESULT_VARIABLE status TIMEOUT 110)
compare(check "${program_dir}/${program_name}.check" "${said}")
set(expected_status 0)
if(said MATCHES ": error: ")
    set(expected_status 1)
endif()
if(NOT status STREQUAL expected_status)
    message("orvex check exit status: expected ${expected_status}, got '${status}'")
    set(failures "${failures} status")
endif()

if(EXISTS "${program_dir}/${program_name}.trace")
    execute_process(COMMAND "${ORVEX}" trace "${program_file}" --stops WORKING_DIRECTORY "${RUN_DIR}"
                    OUTPUT_VARIABLE out ERROR_VARIABLE said RESULT_VARIABLE status TIMEOUT 110)
    compare(trace "${program_dir}/${program_name}.trace" "${said}")
endif()

if(failures)
    message(FATAL_ERROR "${program_file}:${failures} wrong (run directory: ${RUN_DIR})")
endif()
