# `cpack -G DEB` in a build tree makes the Debian package of what
# `cmake --install` puts in place.

# The distribution's own packages carry neither the compiler's identification
# nor symbols; a stripping install (the package's) drops both.
string(CONFIGURE [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(_program zelvo zelvo-page)
      execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
        "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_BINDIR@/${_program}"
        RESULT_VARIABLE _stripped)
      if(NOT _stripped EQUAL 0)
        message(FATAL_ERROR "could not strip ${_program}")
      endif()
    endforeach()
  endif()
]] _strip_code @ONLY)
install(CODE "${_strip_code}" ALL_COMPONENTS)

# The copyright statement and the package's change log, as the distribution's
# tools read them beside the documentation. -n keeps the archive free of a
# time stamp, so rebuilds give the same bytes.
set(_changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND ${GZIP_PROGRAM} -9 -n -c ${PROJECT_SOURCE_DIR}/data/package/changelog > ${_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/package/changelog)
add_custom_target(zelvo_changelog ALL DEPENDS ${_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/data/package/copyright ${_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The guide registered with the desktop's documentation index, and the one
# file the package checker takes for documentation that is the program's data.
install(FILES ${PROJECT_SOURCE_DIR}/data/package/doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME zelvo)
install(FILES ${PROJECT_SOURCE_DIR}/data/package/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zelvo)

set(CPACK_PACKAGE_NAME zelvo)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_CONTACT "Quorvane <info@quorvane.com>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop news ticker for the notification area")
set(CPACK_PACKAGE_DESCRIPTION
  "Zelvo fetches up to three web pages or news feeds on a minute schedule and\n\
scrolls their text across a thin always-on-top strip above the taskbar. A\n\
tray icon (or a right-click on the strip) offers its commands, and a\n\
configuration dialog edits every setting, the proxy included.\n\
The package also holds zelvo-page, which shows from the command line what\n\
the ticker makes of a page.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quorvane.com/")

# A Debian package lives under /usr whatever prefix the build was configured
# with; the programs find their shipped files relative to their own folder, so
# the same build serves an install elsewhere as well.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from what the programs link (dpkg-shlibdeps); launching
# the browser, the viewer and the guide needs the desktop's opener besides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The TLS library is loaded when first needed, so the shared-library scan
# cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libssl3 | libssl3t64")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

include(CPack)
