# SPDX-License-Identifier: MIT
# Install rules and the Debian package (cpack -G DEB; scripts/package.sh): the programs in
# bin/, their helper libraries in lib/tamvikvr/ (private, where the programs look after their
# own folder), a manual page for each made from its --help, the documentation, the systemd
# user service, and the desktop program's menu entry, icons and AppStream metainfo. Linux only;
# the Windows packages are made by WindowsPackage.cmake.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

include(GNUInstallDirs)
find_program(HELP2MAN help2man REQUIRED)

# The package's version is the application's, as the program reports it.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/core/version.h tvr_version_line REGEX "kAppVersion\\[\\] = u\"")
string(REGEX REPLACE ".*u\"([^\"]+)\".*" "\\1" TVR_PACKAGE_VERSION "${tvr_version_line}")

set(tvr_man_names
    "tamvikvr-server=serve this PC's video folders to the TamvikVR headset player"
    "tamvikvr-client=stand-in for the TamvikVR headset: handshake, listing, commands, fetch"
    "tamvikvr-server-gui=the TamvikVR server with its desktop window")
set(tvr_man_pages)
foreach(entry IN LISTS tvr_man_names)
  string(REGEX REPLACE "=.*" "" program "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" summary "${entry}")
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}>
            -DVERSION=${TVR_PACKAGE_VERSION} "-DSUMMARY=${summary}"
            -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/TvrManPage.cmake
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/TvrManPage.cmake
    VERBATIM)
  list(APPEND tvr_man_pages ${page})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${tvr_man_pages})
install(FILES ${tvr_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(tvr_packaged_targets man_pages)
foreach(entry IN LISTS tvr_man_names)
  string(REGEX REPLACE "=.*" "" program "${entry}")
  if(TARGET ${program})
    list(APPEND tvr_packaged_targets ${program})
  endif()
endforeach()
foreach(library IN ITEMS Curvane ZentrovaDirectShow)
  if(TARGET ${library})
    install(TARGETS ${library} LIBRARY DESTINATION lib/tamvikvr)
    list(APPEND tvr_packaged_targets ${library})
  endif()
endforeach()

if(TARGET tamvikvr-server-gui)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.tamvikvr.server.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/org.tamvikvr.server.metainfo.xml
                 ${CMAKE_BINARY_DIR}/packaging/org.tamvikvr.server.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/org.tamvikvr.server.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/icons/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
endif()

# What the package holds and no more: scripts/package.sh builds this target alone, and the
# install step does not build every test and benchmark first.
add_custom_target(package_contents DEPENDS ${tvr_packaged_targets})
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(tvr_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tamvikvr-server)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/configuration.md
              ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${tvr_doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tamvikvr-server.service DESTINATION lib/systemd/user)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamvikvr-server)
set(CPACK_PACKAGE_VERSION ${TVR_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "TamvikVR Server developers <tamvikvr@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (the file chooser's buttons) in the desktop program's Japanese windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "PC-side server for the TamvikVR headset video player
The TamvikVR player on a stand-alone VR headset browses this PC's video
folders, streams videos over HTTP with seeking, and keeps markers and lists
on the PC. The package holds the headless server with a systemd user
service, the desktop program with its menu entry, a command-line stand-in
for the headset, and the mouse capture and media helper libraries.")
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DropLdconfigScripts.cmake)
include(CPack)
