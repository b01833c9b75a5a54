# The Debian package: `cpack -G DEB` in the build folder gives velmiro_<version>_<arch>.deb.
# Its files are what the install rules put in: app/ (the window program), cli/ (the
# command-line program and its manual page), resources/ (menu entry, icons, metadata,
# copyright, changelog, the window program's manual page). Manual pages and other files
# Debian wants compressed go through tools/install-gzipped.cmake.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmiro)
set(CPACK_PACKAGE_VENDOR Velmiro)
set(CPACK_PACKAGE_CONTACT "Velmiro <sviluppo@velmiro.it>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Dalla frequenza del quarzo, dal baud rate desiderato e dai bit SYNC, BRG16\n\
e BRGH calcola il valore del registro SPBRG della porta seriale dei PIC,\n\
il baud rate ottenuto e lo scostamento in percentuale.")

# CPack strips the programs, but leaves sections behind that the script then removes.
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/tools/strip-staged.cmake)
set(CPACK_VELMIRO_STRIP "${CMAKE_STRIP}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from dpkg-shlibdeps; Qt's platform plugins are loaded at run
# time, so no tool can see them, and without them there is no window at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's layout was drawn for a narrow sans serif of known widths, and Liberation
# Sans has those widths: with a wider face the texts no longer fit their controls.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
# The xcb plugin in qt6-qpa-plugins also serves a Wayland session, through XWayland;
# the native Wayland plugin is better there but not needed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
