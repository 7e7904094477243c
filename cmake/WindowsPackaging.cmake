# `cpack` in the Windows build (`make package-windows`) makes the portable zip: one
# folder holding tavrin.exe, the README, the licence and an example collection. The
# program's folder is the collection folder, so the unpacked folder is the whole
# installation.

# Texts with the line ends Windows' own editors expect.
function(tavrin_windows_text source name)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/package/${name} "${text}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  install(FILES ${CMAKE_BINARY_DIR}/package/${name} DESTINATION .)
endfunction()

install(TARGETS tavrin RUNTIME DESTINATION .)
# The Windows user's README; the full manual (README.md) is the project's.
tavrin_windows_text(${PROJECT_SOURCE_DIR}/resources/windows/README.txt README.txt)
tavrin_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/examples/windows/welcome.tavrin DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "Tavrin")
set(CPACK_PACKAGE_FILE_NAME tavrin-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
