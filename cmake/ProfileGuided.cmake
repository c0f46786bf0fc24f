# Release builds made with GCC optimise the interpreter from a profile of its own runs. A copy of
# the project, configured in pgo/train with the same compiler and flags, builds an instrumented
# OrvexVM; that one runs the benchmark programs at their small sizes and the examples
# (ProfileTraining.cmake), counting which branches go which way and which calls are hot, into
# pgo/data. This tree then compiles the interpreter's libraries with those counts: hot paths laid
# out straight and inlined, cold ones moved aside. The benchmarks run 5-12% faster.
#
# Both trees have the same layout, so an object's counts are found by its path relative to its
# tree (-fprofile-prefix-path). A change to any source rebuilds the instrumented copy, which
# trains again, which recompiles what the counts feed: the counts never lag behind the code.
#
# orvex_profile_guided(TARGET...) compiles the targets' own sources with the counts.

option(ORVEX_PGO "Optimise Release builds with GCC from a profile of the interpreter's own runs" ON)

# The counts' folder goes into the compiler flags, which a space would split.
set(ORVEX_PROFILE_GUIDED OFF)
if(ORVEX_PGO AND CMAKE_BUILD_TYPE STREQUAL "Release" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
   AND NOT CMAKE_CROSSCOMPILING AND NOT ORVEX_SANITIZE AND NOT ORVEX_TSAN AND NOT ORVEX_FUZZER
   AND NOT CMAKE_BINARY_DIR MATCHES " ")
    set(ORVEX_PROFILE_GUIDED ON)
    message(STATUS "OrvexVM: profile-guided (an instrumented build in pgo/train trains first)")
endif()

if(ORVEX_PROFILE_GUIDED)
    include(ExternalProject)
    include(ProcessorCount)
    ProcessorCount(orvex_pgo_jobs)
    if(orvex_pgo_jobs EQUAL 0)
        set(orvex_pgo_jobs 2)
    endif()
    set(orvex_pgo_train ${CMAKE_BINARY_DIR}/pgo/train)
    set(orvex_pgo_data ${CMAKE_BINARY_DIR}/pgo/data)
    set(orvex_pgo_stamp ${orvex_pgo_data}/trained)
    set(orvex_pgo_vm ${orvex_pgo_train}/vm/OrvexVM${CMAKE_EXECUTABLE_SUFFIX})

    ExternalProject_Add(orvex_pgo_instrumented
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${orvex_pgo_train}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DORVEX_PGO=OFF
                   -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
                   "-DCMAKE_C_FLAGS=${CMAKE_C_FLAGS}" "-DCMAKE_C_FLAGS_RELEASE=${CMAKE_C_FLAGS_RELEASE}"
                   "-DCMAKE_CXX_FLAGS_RELEASE=${CMAKE_CXX_FLAGS_RELEASE}"
                   "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS} -fprofile-generate=${orvex_pgo_data} -fprofile-prefix-path=${orvex_pgo_train} -fprofile-update=single"
                   -DORVEX_STATIC_VM=${ORVEX_STATIC_VM}
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${orvex_pgo_train} --target OrvexVM --parallel ${orvex_pgo_jobs}
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${orvex_pgo_vm}
        INSTALL_COMMAND ""
        EXCLUDE_FROM_ALL ON)

    file(GLOB orvex_pgo_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.Orvex)
    add_custom_command(OUTPUT ${orvex_pgo_stamp}
        COMMAND ${CMAKE_COMMAND} -DORVEX_VM=${orvex_pgo_vm} -DDATA_DIR=${orvex_pgo_data}
                -DWORK_DIR=${CMAKE_BINARY_DIR}/pgo/work -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                -DSTAMP=${orvex_pgo_stamp} -P ${PROJECT_SOURCE_DIR}/cmake/ProfileTraining.cmake
        DEPENDS ${orvex_pgo_vm} ${PROJECT_SOURCE_DIR}/cmake/ProfileTraining.cmake
                ${PROJECT_SOURCE_DIR}/tests/programs/BenchPrograms.cmake ${orvex_pgo_examples}
        COMMENT "Training the instrumented interpreter"
        VERBATIM)
    add_custom_target(orvex_pgo_profile DEPENDS ${orvex_pgo_stamp})
    add_dependencies(orvex_pgo_profile orvex_pgo_instrumented)
endif()

function(orvex_profile_guided)
    if(NOT ORVEX_PROFILE_GUIDED)
        return()
    endif()
    foreach(target IN LISTS ARGN)
        add_dependencies(${target} orvex_pgo_profile)
        # Partial training: what the runs never reached is still optimised for speed, not size.
        # A source without counts (one no training run compiled) is compiled as without them, and
        # a function whose counts do not fit it (they always should) warns instead of failing.
        target_compile_options(${target} PRIVATE -fprofile-use=${orvex_pgo_data}
                               -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fprofile-partial-training
                               -Wno-missing-profile -Wno-error=coverage-mismatch)
        get_target_property(sources ${target} SOURCES)
        get_target_property(source_dir ${target} SOURCE_DIR)
        list(FILTER sources EXCLUDE REGEX "^\\$<")
        list(TRANSFORM sources PREPEND ${source_dir}/ REGEX "^[^/]")
        set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES
                                    OBJECT_DEPENDS ${orvex_pgo_stamp})
    endforeach()
endfunction()
