# `cpack` (or `make package`) builds a Debian package from the installed tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "Tavrin")
set(TAVRIN_PACKAGE_CONTACT
    "Tavrin maintainers <maintainers@users.noreply.c-seed-dac04ea1.example>"
    CACHE STRING "Maintainer named in the package")
set(CPACK_PACKAGE_CONTACT "${TAVRIN_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop program launcher that starts many programs at once")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Tavrin gathers the programs and documents that are started together into a\n"
       "named collection, one small text file each, and starts every item of a\n"
       "collection in order: from its main window, or with `tavrin FILE /run`\n"
       "from a script or the file manager.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the program links decide its dependencies (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# update-mime-database makes a registered file type known at once; the windows ask
# for Times New Roman and Courier New, whose metric twins are the Liberation fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tavrin/tavrin")
# What Debian's tools do beyond CPack (no ldconfig scripts for the private module,
# stripping as dh_strip does) is done on the built package.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/FinishDebianPackage.cmake)
include(CPack)
