# SPDX-License-Identifier: MIT
# The Windows packages (cpack in build-windows/): an NSIS installer with a start-menu entry and an
# uninstaller, and a zip of the same files. Both programs, the media helper and the mouse capture
# DLL sit in one folder, beside which the settings, the log and the stores are kept.
foreach(target IN ITEMS TamvikVRServer tamvikvr-server tamvikvr-client ZentrovaDirectShow Curvane)
  if(TARGET ${target})
    install(TARGETS ${target} RUNTIME DESTINATION . LIBRARY DESTINATION .)
  endif()
endforeach()
install(FILES README.md docs/configuration.md docs/desktop-main-window.png docs/desktop-settings-dialog.png
        DESTINATION docs)

set(CPACK_GENERATOR "NSIS64;ZIP")
set(CPACK_PACKAGE_NAME "TamvikVR Server")
set(CPACK_PACKAGE_VENDOR "TamvikVR")
set(CPACK_PACKAGE_VERSION "1.32a")
set(CPACK_PACKAGE_FILE_NAME "TamvikVRServer-1.32a-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "TamvikVR Server")
set(CPACK_PACKAGE_EXECUTABLES "TamvikVRServer" "TamvikVR Server")
set(CPACK_NSIS_PACKAGE_NAME "TamvikVR Server 1.32a")
set(CPACK_NSIS_DISPLAY_NAME "TamvikVR Server")
set(CPACK_NSIS_INSTALLED_ICON_NAME "TamvikVRServer.exe")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/ui/win32/app.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/ui/win32/app.ico")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for 64-bit programs (and one that a 64-bit-only Wine can run).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "TamvikVRServer.exe")
# The program writes its settings beside itself, so the users of the PC may change files in the
# install folder (Program Files allows that to administrators only). The uninstaller leaves
# the settings, lists and stores the program made there.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "ExecWait '\\\"$SYSDIR\\\\icacls.exe\\\" \\\"$INSTDIR\\\" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'")
include(CPack)
