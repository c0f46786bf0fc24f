# Builds the VS Code extension into one .vsix:
#   cmake -DVSIX=path/orvex-VERSION.vsix -DWORK=folder [-DNPM=npm] -P editors/build-vsix.cmake
# The files of editors/vscode are copied into WORK, npm ci installs there the packages pinned in
# package-lock.json (again only when that changes), and vsce packages them with the client bundled
# by esbuild (the vscode:prepublish script of package.json). Run by the build (packaging/) and by
# scripts/test-editors.sh, so that what is tested is what is shipped.
cmake_minimum_required(VERSION 3.25)
foreach(variable VSIX WORK)
    if(NOT ${variable})
        message(FATAL_ERROR "build-vsix.cmake: -D${variable}=... is needed")
    endif()
endforeach()
if(NOT NPM)
    set(NPM npm)
endif()
set(source ${CMAKE_CURRENT_LIST_DIR}/vscode)

# The folders go first, so that a file deleted from the sources is not packaged from an old copy.
file(REMOVE_RECURSE ${WORK}/src ${WORK}/syntaxes ${WORK}/dist)
file(COPY ${source}/package.json ${source}/package-lock.json ${source}/.vscodeignore ${source}/LICENSE
          ${source}/language-configuration.json ${source}/src ${source}/syntaxes
     DESTINATION ${WORK})

# --ignore-scripts: nothing installed needs its install script to package (esbuild finds its
# binary in its platform's package without it), and some would try to download.
set(installed ${WORK}/node_modules/.package-lock.json)
if(NOT EXISTS ${installed} OR ${source}/package-lock.json IS_NEWER_THAN ${installed})
    execute_process(COMMAND ${NPM} ci --ignore-scripts --no-audit --no-fund --loglevel=error
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "npm ci failed in ${WORK}: the npm registry, or npm's cache, is needed to "
                            "build the VS Code extension (-DORVEX_VSIX=OFF builds without it)")
    endif()
endif()

# No input: vsce would wait for an answer to any question it asks.
get_filename_component(output ${VSIX} ABSOLUTE)
get_filename_component(output_folder ${output} DIRECTORY)
file(MAKE_DIRECTORY ${output_folder})
set(nothing /dev/null)
if(CMAKE_HOST_WIN32)
    set(nothing NUL)
endif()
execute_process(COMMAND ${NPM} run --silent package -- --out ${output}
                WORKING_DIRECTORY ${WORK} INPUT_FILE ${nothing} RESULT_VARIABLE failed
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
    message(FATAL_ERROR "vsce could not package the VS Code extension into ${output}:\n${log}")
endif()
