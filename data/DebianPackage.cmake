# `make deb`: the Debian package `stencilor`, built by CPack's DEB generator from the same install
# rules as `cmake --install`, into /usr. Its version is the project's; its dependencies are those
# dpkg-shlibdeps finds for the executable, and it recommends Qt's translations. It has no
# maintainer scripts: the desktop, MIME, icon and manual page caches are refreshed by the triggers
# of the packages that own them.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stencilor)
set(CPACK_PACKAGE_VENDOR "The Stencilor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION
    "Stencilor turns a table of records into many files. From a delimited data\n"
    "file (one record per line), an HTML or text template and an ordered table of\n"
    "rules that map fields to identifiers, it writes one file per record with every\n"
    "identifier replaced, named from a field or from a numbered name template and\n"
    "sorted into subfolders, and can write an index page that links them all.\n"
    "\n"
    "Projects are saved as .ql files, and the same program runs a project without\n"
    "a window (stencilor --run project.ql) and checks it before writing\n"
    "(stencilor --dry-run project.ql).")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Stencilor developers <developers@stencilor.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations: without them the buttons, file dialogs and key names that Qt draws stay
# English in a window that speaks the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)

# Installed into /usr through DESTDIR, so that the install script writes the desktop entry for
# /usr/bin/stencilor (not for the staging folder) and leaves the caches to the triggers.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)

# The Debian changelog and lintian's overrides, which only the package carries, are added to the
# staged files.
set(CPACK_STENCILOR_RELEASE_DATE ${STENCILOR_RELEASE_DATE})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake)

include(CPack)
