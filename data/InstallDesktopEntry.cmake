# SPDX-License-Identifier: GPL-3.0-or-later
# Run by `cmake --install`: writes the desktop entry for the executable in the install prefix.
# The desktop's MIME, application and icon caches are left alone: they are files of the prefix
# that no uninstall would remove (the package's triggers refresh them; after an install by hand,
# see docs/installing.md).

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
