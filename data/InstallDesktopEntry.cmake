# Run by `cmake --install`: writes the desktop entry for the executable in the install prefix,
# then refreshes the desktop's MIME, application and icon caches of that prefix when installing
# in place (a DESTDIR staging install leaves that to the package manager).

set(executable "${CMAKE_INSTALL_PREFIX}/${STENCILOR_BINDIR}/stencilor")
# Exec quoting of the desktop entry format: a path with reserved characters goes in double
# quotes with ", `, $ and \ escaped; the key file format then doubles each backslash.
if(executable MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" quoted "${executable}")
    string(REPLACE "\"" "\\\"" quoted "${quoted}")
    string(REPLACE "`" "\\`" quoted "${quoted}")
    string(REPLACE "$" "\\$" quoted "${quoted}")
    string(REPLACE "\\" "\\\\" quoted "${quoted}")
    set(executable "\"${quoted}\"")
endif()

file(READ "${STENCILOR_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@STENCILOR_EXEC@" "${executable}" entry "${entry}")
file(WRITE "${STENCILOR_DESKTOP_STAGE}/stencilor.desktop" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${STENCILOR_DATADIR}/applications" TYPE FILE
     FILES "${STENCILOR_DESKTOP_STAGE}/stencilor.desktop")

if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
endif()
set(share "${CMAKE_INSTALL_PREFIX}/${STENCILOR_DATADIR}")
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
    message(STATUS "Updating the MIME database: ${share}/mime")
    execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${share}/mime" RESULT_VARIABLE failed)
    if(failed)
        message(WARNING "update-mime-database failed; .ql files are known after the next update")
    endif()
endif()
find_program(UPDATE_DESKTOP_DATABASE update-desktop-database)
if(UPDATE_DESKTOP_DATABASE)
    execute_process(COMMAND "${UPDATE_DESKTOP_DATABASE}" "${share}/applications" RESULT_VARIABLE failed)
    if(failed)
        message(WARNING "update-desktop-database failed")
    endif()
endif()
find_program(GTK_UPDATE_ICON_CACHE NAMES gtk-update-icon-cache gtk4-update-icon-cache)
if(GTK_UPDATE_ICON_CACHE AND EXISTS "${share}/icons/hicolor/index.theme")
    execute_process(COMMAND "${GTK_UPDATE_ICON_CACHE}" -q -t "${share}/icons/hicolor" RESULT_VARIABLE failed)
endif()
