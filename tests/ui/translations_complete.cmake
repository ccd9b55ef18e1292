# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a translation of the window is not complete: lupdate, run over the window's sources
# into a copy of the .ts file, must leave the copy as it is (every text of the sources is in the
# file and no text of the file is gone from them), and every text must have its translation.
# Arguments: -DLUPDATE=... -DTS=... -DSOURCES=a.cpp;b.h;... -DINCLUDE=<the sources' include folder>
# -DWORK=<a scratch folder>
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(name "${TS}" NAME)
set(copy "${WORK}/${name}")
file(COPY_FILE "${TS}" "${copy}")
execute_process(COMMAND "${LUPDATE}" -silent -locations none -no-obsolete -I "${INCLUDE}" ${SOURCES} -ts "${copy}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${status})")
endif()
file(READ "${TS}" committed)
file(READ "${copy}" updated)
if(NOT committed STREQUAL updated)
    execute_process(COMMAND diff -u "${TS}" "${copy}")
    message(FATAL_ERROR "${name} is not up to date with the sources: cmake --build --preset debug --target update_translations")
endif()
string(REGEX MATCHALL "type=\"(unfinished|vanished|obsolete)\"" missing "${committed}")
list(LENGTH missing count)
if(count GREATER 0)
    message(FATAL_ERROR "${name} has ${count} texts without a translation")
endif()
