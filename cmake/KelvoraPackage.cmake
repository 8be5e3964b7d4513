# The Debian package: `cmake --build build --target package` makes
# kelvora_<version>_<arch>.deb holding what `cmake --install` installs, under /usr.
# Its dependencies are read from the program by dpkg-shlibdeps; the platform plugins
# are loaded at run time, so no library names them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvora developers")
set(CPACK_PACKAGE_CONTACT "The Kelvora developers <kelvora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "document-assembly editor")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Merges an information file of headings and values into a rich-text template with\n"
    "numbered markers, and lets you edit, print and save the finished document. The\n"
    "command line merges, checks and converts without a display.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
