# Installs the build into a scratch folder, as a packager does (DESTDIR and a prefix), and fails
# unless the files there are exactly those of packaging/installed-files.txt; then runs the installed
# ostrel-dump, which must work without the build tree.
#   cmake -DBUILD_DIR=<build> -DLIST=<installed-files.txt> -DSCRATCH=<folder> -DSVG=ON|OFF
#         -DSAMPLE=<xDT file> -DEXPECTED=<its --summary output> -P InstallList.cmake
set(prefix /opt/ostrel)
set(root ${SCRATCH}/root)
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD_DIR}
                        --prefix ${prefix}
                OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
set(have "")
foreach(f ${found})
    if(NOT f MATCHES "^opt/ostrel/(.*)$")
        message(FATAL_ERROR "Installed outside the prefix ${prefix}: /${f}")
    endif()
    list(APPEND have ${CMAKE_MATCH_1})
endforeach()
list(SORT have)

file(STRINGS ${LIST} want REGEX "^[^#]")
if(NOT SVG)
    list(FILTER want EXCLUDE REGEX "/scalable/")
endif()
list(SORT want)

set(missing ${want})
list(REMOVE_ITEM missing ${have})
set(extra ${have})
list(REMOVE_ITEM extra ${want})
if(missing OR extra)
    list(JOIN missing "\n  " missing)
    list(JOIN extra "\n  " extra)
    message(FATAL_ERROR "The installed files differ from ${LIST}:\nmissing:\n  ${missing}\nnot listed:\n  ${extra}")
endif()

execute_process(COMMAND ${root}${prefix}/bin/ostrel-dump --klassisch --summary ${SAMPLE}
                OUTPUT_VARIABLE summary RESULT_VARIABLE failed)
file(READ ${EXPECTED} expected)
if(failed OR NOT summary STREQUAL expected)
    message(FATAL_ERROR "The installed ostrel-dump --summary gave status ${failed}:\n${summary}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
list(LENGTH have n)
message(STATUS "${n} files installed, as listed")
