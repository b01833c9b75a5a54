# The Debian package: `cpack -G DEB` in the build folder gives velmiro_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmiro)
set(CPACK_PACKAGE_VENDOR Velmiro)
set(CPACK_PACKAGE_CONTACT "Velmiro <sviluppo@velmiro.it>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Dalla frequenza del quarzo, dal baud rate desiderato e dai bit SYNC, BRG16\n\
e BRGH calcola il valore del registro SPBRG della porta seriale dei PIC,\n\
il baud rate ottenuto e lo scostamento in percentuale.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from dpkg-shlibdeps; Qt's platform plugins are loaded at run
# time, so no tool can see them, and without them there is no window at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Liberation Sans has the metrics of the classic Windows sans serif the layout was drawn for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")

include(CPack)
