# cmake -DBUILD_DIR=... -P InstallTree.cmake
string(RANDOM LENGTH 8 tag)
set(root "${BUILD_DIR}/install-test-${tag}")
set(prefix "${root}/prefix")
file(REMOVE_RECURSE "${root}")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
    bin/corvane
    share/corvane/help.html
    share/applications/corvane.desktop
    share/icons/hicolor/scalable/apps/corvane.svg
    share/man/man1/corvane.1
    lib/systemd/user/corvane-live.service
    lib/systemd/system/corvane-live@.service)
foreach(report alllogs allbydate allbyflight allbyreg bydatelessdetail unique uniquebyflight
               uniquebyreg "unique aircraft")
    list(APPEND expected "share/corvane/reports/${report}.rpt")
endforeach()
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/corvane.png)
endforeach()
foreach(file ${expected})
    if(NOT EXISTS "${prefix}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
list(SORT installed)
message(STATUS "installed:\n  ${installed}")

# The units start the installed program, wherever it was installed.
foreach(unit lib/systemd/user/corvane-live.service lib/systemd/system/corvane-live@.service)
    file(STRINGS "${prefix}/${unit}" exec REGEX "^ExecStart=")
    if(NOT exec STREQUAL "ExecStart=${prefix}/bin/corvane live")
        message(FATAL_ERROR "${unit}: ${exec}")
    endif()
endforeach()

# The installed program runs, and keeps its data in the per-user data
# folder even where its own folder may be written (CI runs as root).
set(xdg "${root}/xdg")
set(ENV{XDG_DATA_HOME} "${xdg}")
set(ENV{QT_QPA_PLATFORM} offscreen)
unset(ENV{CORVANE_DATA_DIR})
execute_process(COMMAND "${prefix}/bin/corvane" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^ACARS Corvane [0-9]")
    message(FATAL_ERROR "corvane --version: ${status} ${version}")
endif()
execute_process(COMMAND "${prefix}/bin/corvane" info RESULT_VARIABLE status OUTPUT_VARIABLE info)
if(NOT status EQUAL 0 OR NOT info MATCHES "folder: ${xdg}/ACARS Corvane\n")
    message(FATAL_ERROR "corvane info: ${status}\n${info}")
endif()
# It finds the report files it ships, in share/corvane/reports.
execute_process(COMMAND "${prefix}/bin/corvane" report allbydate --from 2026-12-01 --to 2026-12-07
                        --pdf "${root}/report.pdf"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT EXISTS "${root}/report.pdf")
    message(FATAL_ERROR "corvane report allbydate: ${status}\n${out}")
endif()
if(EXISTS "${prefix}/bin/acarslog.db")
    message(FATAL_ERROR "the installed program wrote its store into bin/")
endif()

# The units as systemd reads them, where systemd's tools are installed.
find_program(ANALYZE systemd-analyze)
if(ANALYZE)
    set(ENV{MANPATH} "${prefix}/share/man")
    set(ENV{XDG_RUNTIME_DIR} "${root}/runtime")
    file(MAKE_DIRECTORY "${root}/runtime")
    file(CHMOD "${root}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    foreach(check "--user|${prefix}/lib/systemd/user/corvane-live.service"
                  "--system|${prefix}/lib/systemd/system/corvane-live@.service")
        string(REPLACE "|" ";" check "${check}")
        list(GET check 0 manager)
        list(GET check 1 unit)
        execute_process(COMMAND ${ANALYZE} ${manager} verify "${unit}" RESULT_VARIABLE status
                        OUTPUT_VARIABLE out ERROR_VARIABLE out)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "systemd-analyze ${manager} verify ${unit}: ${status}\n${out}")
        endif()
    endforeach()
else()
    message(STATUS "systemd-analyze not found: units not verified")
endif()
# The menu entry as the desktop reads it, where its validator is installed.
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND ${VALIDATE} "${prefix}/share/applications/corvane.desktop"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate: ${out}")
    endif()
endif()
file(REMOVE_RECURSE "${root}")
