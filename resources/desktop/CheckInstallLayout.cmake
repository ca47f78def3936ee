# cmake -DBUILD_DIR=<build> -DPREFIX=<dir> -DAPP_ID=<id> [-DGROFF=<groff>] -P CheckInstallLayout.cmake
# Installs the build into PREFIX and checks that exactly what a user needs is there: no test program,
# benchmark or library; then lints the manual page when groff is installed.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}" --strip
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
set(expected
    bin/brindlex
    share/applications/${APP_ID}.desktop
    share/doc/brindlex/LICENSE
    share/doc/brindlex/manual/index.html
    share/doc/brindlex/manual/manual.css
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/man/man1/brindlex.1
    share/metainfo/${APP_ID}.metainfo.xml)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
list(SORT expected)
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
    list(JOIN installed "\n  " got)
    list(JOIN expected "\n  " want)
    message(FATAL_ERROR "installed files differ\ninstalled:\n  ${got}\nexpected:\n  ${want}")
endif()
if(GROFF AND NOT GROFF MATCHES "-NOTFOUND$")
    execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z "${PREFIX}/share/man/man1/brindlex.1"
                    RESULT_VARIABLE rc ERROR_VARIABLE warnings)
    if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "the manual page has warnings:\n${warnings}")
    endif()
else()
    message("groff not installed: the manual page is not linted")
endif()
