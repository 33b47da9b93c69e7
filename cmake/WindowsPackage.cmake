# SPDX-License-Identifier: MIT
# The Windows packages (cpack in build-windows/): an NSIS installer with a start-menu entry, two
# firewall rules and an uninstaller, and a zip of the same files. Both programs, the media helper
# and the mouse capture DLL sit in one folder. The zip's copy keeps the settings, the log and the
# stores beside itself; an installed copy, marked by the installer, keeps them in
# %APPDATA%\TamvikVR, so the install folder keeps Program Files' own permissions.
foreach(target IN ITEMS TamvikVRServer tamvikvr-server tamvikvr-client ZentrovaDirectShow Curvane)
  if(TARGET ${target})
    install(TARGETS ${target} RUNTIME DESTINATION . LIBRARY DESTINATION .)
  endif()
endforeach()
install(FILES README.md LICENSE docs/configuration.md docs/desktop-main-window.png docs/desktop-settings-dialog.png
        DESTINATION docs)

# cpack packs what the build made (the packaged programs at least) without building every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR "NSIS64;ZIP")
set(CPACK_PACKAGE_NAME "TamvikVR Server")
set(CPACK_PACKAGE_VENDOR "TamvikVR")
set(CPACK_PACKAGE_VERSION "1.32a")
set(CPACK_PACKAGE_FILE_NAME "TamvikVRServer-1.32a-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "TamvikVR Server")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "TamvikVR Server")
# The licence page shows each paragraph as one line that its box wraps: LICENSE's own line ends,
# made for 80 columns, would leave a word or two on a line of their own in the narrower box
# (the Japanese page's font is wider still).
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" tvr_license)
string(REPLACE "\n\n" "\r" tvr_license "${tvr_license}")
string(REPLACE "\n" " " tvr_license "${tvr_license}")
string(REPLACE "\r" "\r\n\r\n" tvr_license "${tvr_license}")
file(WRITE "${PROJECT_BINARY_DIR}/LICENSE-paragraphs.txt" "${tvr_license}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_BINARY_DIR}/LICENSE-paragraphs.txt")
# The programs lie in the install folder itself, not in CPack's bin\: tamvikvr.nsh makes the
# start-menu link to them, and the finish page's Run starts the program there.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
set(CPACK_NSIS_CREATE_ICONS_EXTRA "!insertmacro TvrCreateLinks")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "!insertmacro TvrDeleteLinks")
set(CPACK_NSIS_PACKAGE_NAME "TamvikVR Server 1.32a")
set(CPACK_NSIS_DISPLAY_NAME "TamvikVR Server")
set(CPACK_NSIS_INSTALLED_ICON_NAME "TamvikVRServer.exe")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/ui/win32/app.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/ui/win32/app.ico")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# CPack's script with only English and Japanese, and the texts of tamvikvr.nsh in both.
set(CPACK_MODULE_PATH "${PROJECT_SOURCE_DIR}/packaging/windows")
# A 64-bit installer for 64-bit programs (and one that a 64-bit-only Wine can run); the start-menu
# folder without the version; the uninstaller's first page says that the user's data stays; the
# finish page can start the program and says what to enter on the headset (in the large text
# area: the small one above the two boxes shows only its first line), and its second box starts
# the program with Windows; the bottom line names the program, not the install system.
set(CPACK_NSIS_DEFINES
    "Target amd64-unicode
  BrandingText \"TamvikVR Server 1.32a\"
  !define MUI_STARTMENUPAGE_DEFAULTFOLDER \"TamvikVR Server\"
  !define MUI_UNCONFIRMPAGE_TEXT_TOP \"$(UninstallKeepsData)\"
  !define MUI_FINISHPAGE_RUN \"$INSTDIR\\TamvikVRServer.exe\"
  !define MUI_FINISHPAGE_TEXT \"$(FinishText)\"
  !define MUI_FINISHPAGE_TEXT_LARGE
  !define MUI_FINISHPAGE_SHOWREADME \"\"
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
  !define MUI_FINISHPAGE_SHOWREADME_TEXT \"$(StartWithWindows)\"
  !define MUI_FINISHPAGE_SHOWREADME_FUNCTION TvrStartWithWindows
  !include \"${PROJECT_SOURCE_DIR}/packaging/windows/tamvikvr.nsh\"")
# Before the files are replaced or removed, the running program of the install folder is asked
# to end; files still in use end the installer or uninstaller unsuccessfully.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!insertmacro TvrPrepareInstall")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro TvrInstallExtras")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Call un.TvrCloseRunning")
include(CPack)
