# SPDX-FileCopyrightText: 2026 The Quillmoth developers
# SPDX-License-Identifier: GPL-3.0-or-later

# `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr makes a Debian package of
# everything `cmake --install` puts in place. The package installs where the build was configured
# to install, so the launcher's absolute Exec path stays true.
set(CPACK_PACKAGE_NAME quillmoth)
set(CPACK_PACKAGE_VENDOR "The Quillmoth developers")
set(CPACK_PACKAGE_CONTACT "The Quillmoth developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recent files and folders in a panel beside the file manager")
set(CPACK_PACKAGE_DESCRIPTION "Quillmoth is a narrow panel along the left edge of the screen that \
lists the files and folders used in the last seven days, newest first, in day sections. It follows \
the desktop's recently-used store and shows only while the file manager is the active application.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Libraries come from dpkg-shlibdeps; what the program loads at run time is named here: Qt's
# Wayland platform (the SVG plugins come with the SVG library).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gsettings-desktop-schemas")
set(CPACK_STRIP_FILES ON)
include(CPack)
