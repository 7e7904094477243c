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
# Qt loads the platform plugin of the windows (xcb) at run time, so no linked library
# names the package that holds it. Where that is not the package of Qt's GUI library
# itself (which the libraries bring in), a system could leave it out: it is named here,
# as the package that holds it on the system that builds the package.
function(tavrin_package_of file result)
  execute_process(COMMAND dpkg-query --search "${file}" OUTPUT_VARIABLE owner ERROR_QUIET
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX MATCH "^[a-z0-9.+-]+" owner "${owner}")
  set(${result} "${owner}" PARENT_SCOPE)
endfunction()
if(TAVRIN_WITH_QT)
  get_target_property(TAVRIN_QT_GUI Qt6::Gui LOCATION)
  get_filename_component(TAVRIN_QT_GUI "${TAVRIN_QT_GUI}" REALPATH)
  tavrin_package_of("${TAVRIN_QT_GUI}" TAVRIN_QT_GUI_PACKAGE)
  tavrin_package_of("${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/platforms/libqxcb.so"
                    TAVRIN_XCB_PACKAGE)
  if(NOT TAVRIN_XCB_PACKAGE)
    message(WARNING "No package holds Qt's xcb platform plugin: the Debian package cannot name it")
  elseif(NOT TAVRIN_XCB_PACKAGE STREQUAL TAVRIN_QT_GUI_PACKAGE)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TAVRIN_XCB_PACKAGE}")
  endif()
endif()
# The windows of other programs are placed through Xlib and XRes, loaded when a run
# first needs them: no linked library names them. On a Wayland desktop the windows run
# natively through Qt's Wayland plugin, which Qt too loads only at run time.
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ")
endif()
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS "libx11-6, libxres1")
if(TAVRIN_WITH_QT)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-wayland")
endif()
# update-mime-database makes a registered file type known at once; the windows ask
# for Times New Roman and Courier New, whose metric twins are the Liberation fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tavrin/tavrin")
# What Debian's tools do beyond CPack (no ldconfig scripts for the private module,
# stripping as dh_strip does) is done on the built package.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/FinishDebianPackage.cmake)
include(CPack)
