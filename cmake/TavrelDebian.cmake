# The Debian package (make deb): the same install rules below /usr, packed by
# CPack's DEB generator. What a package needs beyond `make install`: a manual
# page and changelog compressed as Debian wants them, a copyright file, and
# Depends worked out by dpkg-shlibdeps from the program and its window module.

set(TAVREL_DEB_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavrel)
configure_file(data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)

# The copyright file holds LICENSE itself: its copyright line, and its text in
# the form Debian's machine-readable copyright format asks for (every line
# indented by one space, an empty line written as " ."). Debian's short name
# for the MIT licence's text is "Expat".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) ...\"")
endif()
set(TAVREL_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${license}" "Permission is hereby granted" permission)
if(permission EQUAL -1)
  message(FATAL_ERROR "LICENSE is not the MIT licence's text")
endif()
string(SUBSTRING "${license}" ${permission} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(TAVREL_LICENSE_TEXT " ${license}")
configure_file(data/debian/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)

# gzip -n: no name or time stamp in the archive, so the package is repeatable.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/tavrel.1.gz ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/doc/tavrel.1 > ${CMAKE_BINARY_DIR}/debian/tavrel.1.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/doc/tavrel.1 ${CMAKE_BINARY_DIR}/debian/changelog
  VERBATIM)
add_custom_target(tavrel_deb_docs ALL
  DEPENDS ${CMAKE_BINARY_DIR}/debian/tavrel.1.gz ${CMAKE_BINARY_DIR}/debian/changelog.gz)

install(FILES ${CMAKE_BINARY_DIR}/debian/tavrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright DESTINATION ${TAVREL_DEB_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${TAVREL_DEB_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Tavrel maintainers <maintainers@users.noreply.c-seed-b1637d8f.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Tavrel's messages are in Japanese: a Japanese font makes them readable. Qt's
# Wayland plugin opens the window on a Wayland session without XWayland (the
# xcb plugin that Depends brings needs an X server). The file manager's FUSE
# mount brings smb:// and sftp:// locations as paths.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-vlgothic, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gvfs-fuse)
# The module in /usr/lib/tavrel/ is the program's own, not a library for
# others: it gets no shlibs entry of its own.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "put the date of each file's last write in front of its name")
# The extended description only: cpack puts the summary above it and indents
# its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavrel renames files by putting a date stamp (20110914_ or
20110914-052536_) taken from each file's last-write time in front of
their names; a stamp the name already carries is replaced. Folders are
walked. Files and folders are dropped on its window, or named on the
command line. The window keeps the chosen stamp type in
~/.config/tavrel/setup.ini.")
include(CPack)
