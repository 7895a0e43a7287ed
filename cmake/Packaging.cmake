# `cpack -G DEB` in a build tree makes the Debian package of what
# `cmake --install` puts in place.
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
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.quorvane.com/")

# The program looks for its shipped files under the prefix it was configured
# with, so the package must install under that same prefix (configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a package).
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Packaging: CMAKE_INSTALL_PREFIX is ${CMAKE_INSTALL_PREFIX}; a Debian package wants /usr")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
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
