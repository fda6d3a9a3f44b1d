# Install rules: the program and its window module, its desktop entry, its icons
# and its manual page.
#
# The default prefix is the user's own ~/.local, not /usr/local: the window
# writes setup.ini beside the program when it closes, so the program's folder
# has to stay writable for the user who runs it.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND NOT "$ENV{HOME}" STREQUAL "")
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)

foreach(dir BINDIR DATAROOTDIR MANDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative: Tavrel installs below "
                        "one prefix (set CMAKE_INSTALL_PREFIX, or PREFIX for make install)")
  endif()
endforeach()

set(TAVREL_ICON_DIR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
# The window module goes where the program looks for it from its own folder:
# ../lib/tavrel/ (see src/program/posix/window_module_loader.h).
cmake_path(SET TAVREL_MODULE_DIR NORMALIZE "${CMAKE_INSTALL_BINDIR}/../lib/tavrel")
if(TAVREL_MODULE_DIR MATCHES "^\\.\\.")
  message(FATAL_ERROR "CMAKE_INSTALL_BINDIR needs a parent folder below the prefix")
endif()
# Where the install keeps its record of what it put in place: `make uninstall`
# removes exactly what it lists. Fixed below the prefix, so that the uninstall
# finds it from the prefix alone.
set(TAVREL_INSTALL_RECORD share/tavrel/install-record.txt)

# Every file and the folder it goes to, relative to the prefix.
set(TAVREL_INSTALLED_FILES
    ${CMAKE_INSTALL_BINDIR}/tavrel
    ${TAVREL_MODULE_DIR}/tavrel-window.so
    ${CMAKE_INSTALL_DATAROOTDIR}/applications/tavrel.desktop
    ${TAVREL_ICON_DIR}/scalable/apps/tavrel.svg
    ${TAVREL_ICON_DIR}/256x256/apps/tavrel.png
    ${CMAKE_INSTALL_MANDIR}/man1/tavrel.1)
set(TAVREL_INSTALL_DIRS)
foreach(file ${TAVREL_INSTALLED_FILES} ${TAVREL_INSTALL_RECORD})
  get_filename_component(dir ${file} DIRECTORY)
  list(APPEND TAVREL_INSTALL_DIRS ${dir})
endforeach()

# The Debian package is taken away by dpkg, which keeps its own list of files:
# it gets no install record, and the manual page compressed (TavrelDebian.cmake).
if(NOT TAVREL_DEB_PACKAGE)
  # First, before anything is copied: which of the folders the install needs
  # are not there yet. Only those may go again on uninstall.
  install(CODE "
    include(\"${CMAKE_CURRENT_LIST_DIR}/InstallRecord.cmake\")
    tavrel_note_missing_dirs(\"${TAVREL_INSTALL_DIRS}\")
  ")
endif()

install(TARGETS tavrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tavrel_window LIBRARY DESTINATION ${TAVREL_MODULE_DIR})
install(FILES data/tavrel.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES data/tavrel.svg DESTINATION ${TAVREL_ICON_DIR}/scalable/apps)
install(FILES data/tavrel.png DESTINATION ${TAVREL_ICON_DIR}/256x256/apps)

if(TAVREL_DEB_PACKAGE)
  include(cmake/TavrelDebian.cmake)
else()
  install(FILES doc/tavrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Last: the record of the files and the folders created.
  install(CODE "
    tavrel_write_install_record(\"${TAVREL_INSTALL_RECORD}\" \"${TAVREL_INSTALLED_FILES}\")
  ")
endif()
