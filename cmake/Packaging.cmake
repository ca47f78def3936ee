# The Debian package: cpack -G DEB in the build folder makes brindlex_<version>_<arch>.deb from what
# cmake --install lays out, with the program stripped and the dependencies taken from its libraries.
set(CPACK_PACKAGE_NAME brindlex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorvanti Development")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clipboard manager for the Linux desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Brindlex keeps everything copied to the clipboard in collections on disk and puts any clip back on the clipboard or pastes it into the program in front. Global hot keys bring it up and walk through the recent clips.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME brindlex)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorvanti Development <brindlex@quorvanti.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a linked library but needed to open a window on X11; Debian only recommends it with Qt Gui.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS sound-theme-freedesktop)
set(CPACK_GENERATOR DEB)
include(CPack)
