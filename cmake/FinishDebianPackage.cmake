# Run by CPack after it has built the Debian package (CPACK_POST_BUILD_SCRIPTS). Does
# what Debian's own tools do beyond CPack, and builds the package again:
# - no postinst and postrm: CPack writes them to call ldconfig for any shared object
#   below /usr/lib, but the windows module in /usr/lib/tavrin is private and ldconfig
#   never looks there;
# - programs and the module stripped of the sections that only name the compiler
#   (.comment, .note), as dh_strip does, and the file checksums made again.
find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(STRIP_PROGRAM strip REQUIRED)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${DPKG_DEB} --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  foreach(script postinst postrm)
    if(NOT EXISTS ${tree}/DEBIAN/${script})
      continue()
    endif()
    file(STRINGS ${tree}/DEBIAN/${script} lines)
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      if(NOT line MATCHES "^(#!/bin/sh|set -e|ldconfig|fi|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then|)$")
        message(FATAL_ERROR "${script} does more than call ldconfig: ${line}")
      endif()
    endforeach()
    file(REMOVE ${tree}/DEBIAN/${script})
  endforeach()

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/*)
  list(FILTER files EXCLUDE REGEX "^DEBIAN/")
  list(SORT files)
  set(md5sums "")
  foreach(file IN LISTS files)
    file(READ ${tree}/${file} magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")  # ELF
      set(args --remove-section=.comment --remove-section=.note)
      if(file MATCHES "\\.so$")
        list(APPEND args --strip-unneeded)
      endif()
      execute_process(COMMAND ${STRIP_PROGRAM} ${args} ${tree}/${file} COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(MD5 ${tree}/${file} sum)
    string(APPEND md5sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")

  execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zgzip --build ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
