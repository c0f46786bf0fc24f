# Runs the instrumented interpreter on the programs whose counts optimise a Release build
# (ProfileGuided.cmake): the benchmark programs at their small sizes, which work the hot paths,
# and the examples, which work the rest as ordinary programs do.
#
#   cmake -DORVEX_VM=<instrumented OrvexVM> -DDATA_DIR=<counts> -DWORK_DIR=<scratch>
#         -DSOURCE_DIR=<project> -DSTAMP=<file written at the end> -P ProfileTraining.cmake
#
# The counts of an earlier training are dropped first: runs add to what they find.

cmake_minimum_required(VERSION 3.25)

foreach(required ORVEX_VM DATA_DIR WORK_DIR SOURCE_DIR STAMP)
    if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
        message(FATAL_ERROR "ProfileTraining.cmake: -D${required}=... is required")
    endif()
endforeach()

file(REMOVE_RECURSE ${DATA_DIR} ${WORK_DIR})
file(MAKE_DIRECTORY ${DATA_DIR})

include(${SOURCE_DIR}/tests/programs/BenchPrograms.cmake)
orvex_write_bench_programs(${WORK_DIR}/bench names)
set(programs "")
foreach(name IN LISTS names)
    list(APPEND programs ${WORK_DIR}/bench/${name}.Orvex)
endforeach()
file(GLOB examples ${SOURCE_DIR}/examples/*.Orvex)
list(APPEND programs ${examples})

# Each in a folder of its own, named by its plain file name, as the interpreter is used. A run that
# fails stops the build: its counts would be of something other than the program's work.
foreach(program IN LISTS programs)
    get_filename_component(name ${program} NAME)
    set(run_dir ${WORK_DIR}/run)
    file(REMOVE_RECURSE ${run_dir})
    file(MAKE_DIRECTORY ${run_dir})
    file(COPY ${program} DESTINATION ${run_dir})
    execute_process(COMMAND ${ORVEX_VM} ${name} WORKING_DIRECTORY ${run_dir} RESULT_VARIABLE status
                    OUTPUT_QUIET TIMEOUT 300)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Training the interpreter: ${name} ended with ${status}")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(TOUCH ${STAMP})
