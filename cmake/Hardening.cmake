# Debian's hardening flags (stack protector, _FORTIFY_SOURCE, format checks, full
# RELRO and immediate binding) for every native Linux build, so that the tests run
# the very code that the Debian package ships. They come from dpkg-buildflags, as
# Debian's own packages get them; without that tool nothing is added.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  return()
endif()

function(tavrin_debian_flags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

tavrin_debian_flags(CPPFLAGS TAVRIN_DEB_CPPFLAGS)
tavrin_debian_flags(CFLAGS TAVRIN_DEB_CFLAGS)
tavrin_debian_flags(CXXFLAGS TAVRIN_DEB_CXXFLAGS)
tavrin_debian_flags(LDFLAGS TAVRIN_DEB_LDFLAGS)

string(APPEND CMAKE_C_FLAGS " ${TAVRIN_DEB_CPPFLAGS} ${TAVRIN_DEB_CFLAGS}")
string(APPEND CMAKE_CXX_FLAGS " ${TAVRIN_DEB_CPPFLAGS} ${TAVRIN_DEB_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${TAVRIN_DEB_LDFLAGS}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${TAVRIN_DEB_LDFLAGS}")
string(APPEND CMAKE_MODULE_LINKER_FLAGS " ${TAVRIN_DEB_LDFLAGS}")
