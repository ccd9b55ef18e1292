# Run by CPack after it has staged the installed files and before it packs them: adds
# usr/share/doc/stencilor/changelog.Debian.gz, one entry for this version and package revision,
# and lintian's overrides for the package.

set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
execute_process(COMMAND date --rfc-email --utc --date "${CPACK_STENCILOR_RELEASE_DATE} 12:00 UTC"
                OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(doc "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
file(WRITE "${doc}/changelog.Debian"
     "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n"
     "\n"
     "  * Stencilor ${CPACK_PACKAGE_VERSION}, packaged with CPack from the project's install rules.\n"
     "\n"
     " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n")
execute_process(COMMAND gzip -9 --no-name --force "${doc}/changelog.Debian" COMMAND_ERROR_IS_FATAL ANY)

set(overrides "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides")
file(MAKE_DIRECTORY "${overrides}")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/stencilor.lintian-overrides" "${overrides}/${CPACK_PACKAGE_NAME}")
