# SPDX-License-Identifier: MIT
# Run by cpack after it made the Debian package (CPACK_POST_BUILD_SCRIPTS): CPack gives any
# package with a library under /usr/lib maintainer scripts that run ldconfig, but ours live in
# the private /usr/lib/tamvikvr, found by the programs themselves, so the package is made again
# without them.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b ${tree} ${package} OUTPUT_QUIET
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
