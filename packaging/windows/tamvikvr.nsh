; SPDX-License-Identifier: MIT
; What the TamvikVR Server installer and uninstaller do beyond copying and removing the files;
; cmake/WindowsPackage.cmake has CPack's script include this and insert its macros.

; Beside an installed program: its data then lives in %APPDATA%\TamvikVR, not in Program Files.
; The zip's copy has no such file and keeps its data beside itself.
!define TVR_INSTALLED_MARKER "InstalledBySetup.txt"

; The window command of the program's tray menu entry 終了 (IDM_TRAY_QUIT in src/ui/dialog_ids.h):
; the program applies the window, saves, stops serving and ends, as when the user quits it.
!define TVR_QUIT_COMMAND 40002
; The property the program puts on its main window (src/ui/win32/single_instance.cpp).
!define TVR_WINDOW_MARK "TamvikVRServer.DataFolder"
; How long one running program may take to save and end, in milliseconds.
!define TVR_CLOSE_WAIT_MS 10000

; Asks each running TamvikVRServer.exe of $INSTDIR to end as its 終了 does and waits up to
; TVR_CLOSE_WAIT_MS for it. Copies in other folders hold no file of this install and keep
; running. A program that does not end keeps its files, which the callers then find in use.
!macro TvrCloseRunningFunction UN
Function ${UN}TvrCloseRunning
  StrCpy $R0 0
  next_window:
    FindWindow $R0 "#32770" "" 0 $R0
    StrCmp $R0 0 done
    System::Call 'user32::GetPropW(p R0, w "${TVR_WINDOW_MARK}") p .R1'
    StrCmp $R1 0 next_window
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION: enough to read its path and wait for it.
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i R2) p .R3'
    StrCmp $R3 0 next_window
    StrCpy $R4 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p R3, i 0, w .R4, *i ${NSIS_MAX_STRLEN})'
    StrCmp $R4 "$INSTDIR\TamvikVRServer.exe" 0 other_program
    DetailPrint "$(ClosingProgram)"
    SendMessage $R0 0x0111 ${TVR_QUIT_COMMAND} 0 /TIMEOUT=${TVR_CLOSE_WAIT_MS}
    System::Call 'kernel32::WaitForSingleObject(p R3, i ${TVR_CLOSE_WAIT_MS}) i .R4'
    System::Call 'kernel32::CloseHandle(p R3)'
    ; It ended: its window is gone, so the search starts again from the first window.
    StrCmp $R4 0 0 next_window
    DetailPrint "$(ProgramClosed)"
    StrCpy $R0 0
    Goto next_window
  other_program:
    System::Call 'kernel32::CloseHandle(p R3)'
    Goto next_window
  done:
FunctionEnd
!macroend
!insertmacro TvrCloseRunningFunction ""
!insertmacro TvrCloseRunningFunction "un."

; Sets the error flag when one of the programs or libraries in $INSTDIR is in use: Windows lets
; nobody write to a running program's files. Checked before anything is removed, so that an
; uninstall that cannot finish leaves the install whole.
!macro TvrCheckFilesFree
  StrCpy $R9 0
  !insertmacro TvrCheckFileFree TamvikVRServer.exe
  !insertmacro TvrCheckFileFree tamvikvr-server.exe
  !insertmacro TvrCheckFileFree tamvikvr-client.exe
  !insertmacro TvrCheckFileFree Curvane.dll
  !insertmacro TvrCheckFileFree ZentrovaDirectShow.dll
  ClearErrors
  StrCmp $R9 0 +2
    SetErrors
!macroend

; Counts the file in $R9 when it exists and cannot be opened for writing.
!macro TvrCheckFileFree File
  IfFileExists "$INSTDIR\${File}" 0 +8
    ClearErrors
    FileOpen $0 "$INSTDIR\${File}" a
    IfErrors +3
      FileClose $0
      Goto +3
    IntOp $R9 $R9 + 1
    DetailPrint "$(FileInUse) $INSTDIR\${File}"
!macroend

; Ends the installer or uninstaller unsuccessfully when a file could not be written or removed
; (the error flag), saying so, so that a program left running is never reported as replaced or
; removed.
!macro TvrAbortOnErrors Text
  IfErrors 0 +4
    DetailPrint "${Text}"
    MessageBox MB_OK|MB_ICONSTOP "${Text}" /SD IDOK
    Abort "${Text}"
!macroend

!include FileFunc.nsh
!include nsDialogs.nsh

; The options page after the start-menu page: a desktop icon, off unless the user ticks it.
; A silent install makes one when given /DESKTOPICON.
Var TvrDesktopIcon
Var TvrDesktopBox
!define TVR_DESKTOP_LINK "$DESKTOP\TamvikVR Server.lnk"
; Kept in the Apps & features entry, so that the uninstaller removes only a link it made.
!define TVR_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TamvikVR Server"
!define TVR_DESKTOP_VALUE "TvrDesktopIcon"

Function TvrOptionsPage
  !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "$(DesktopIcon)"
  Pop $TvrDesktopBox
  ${NSD_SetState} $TvrDesktopBox $TvrDesktopIcon
  nsDialogs::Show
FunctionEnd

Function TvrOptionsPageLeave
  ${NSD_GetState} $TvrDesktopBox $TvrDesktopIcon
FunctionEnd

; The uninstaller's options page before its confirm page: also remove the settings and the log,
; off unless the user ticks it. A silent uninstall does so when given /REMOVESETTINGS.
Var TvrRemoveSettings
Var TvrRemoveSettingsBox

Function un.TvrOptionsPage
  !insertmacro MUI_HEADER_TEXT "$(UninstallOptionsTitle)" "$(UninstallOptionsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "$(RemoveSettings)"
  Pop $TvrRemoveSettingsBox
  ${NSD_SetState} $TvrRemoveSettingsBox $TvrRemoveSettings
  ${NSD_CreateLabel} 12u 16u -12u 60u "$(RemoveSettingsDetail)"
  Pop $0
  nsDialogs::Show
FunctionEnd

Function un.TvrOptionsPageLeave
  ${NSD_GetState} $TvrRemoveSettingsBox $TvrRemoveSettings
FunctionEnd

; One file of the data folder in $0, with the temporary files a save of it may have left.
!macro TvrRemoveDataFile Name
  Delete "$0\${Name}"
  Delete "$0\.${Name}.tmp-*"
!macroend

; Removes from the uninstalling user's %APPDATA%\TamvikVR only what the program writes there as
; its settings and log: the settings file, the log and its previous part, the web page's token
; and password files, and the temporary files a killed save left beside them. Lists, markers,
; VR formats, the word list and anything else the user put there stay, and so does the folder
; unless it is then empty.
Function un.TvrRemoveSettings
  ; The user's own roaming AppData (CSIDL_APPDATA), where the program keeps its data, whichever
  ; of all users or this one the uninstaller works for.
  System::Call 'shell32::SHGetFolderPathW(p 0, i 0x1a, p 0, i 0, w .r0) i .r1'
  StrCmp $1 0 0 no_folder
  StrCpy $0 "$0\TamvikVR"
  DetailPrint "$(RemovingSettings) $0"
  !insertmacro TvrRemoveDataFile "TamvikVRServer.ini"
  !insertmacro TvrRemoveDataFile "TamvikVR Server[Log].txt"
  !insertmacro TvrRemoveDataFile "TamvikVR Server[Log].txt.1"
  !insertmacro TvrRemoveDataFile "TamvikVRServer[WebToken].txt"
  !insertmacro TvrRemoveDataFile "TamvikVRServer[WebPassword].txt"
  RMDir "$0"
  no_folder:
FunctionEnd


; The installing user's Run value that starts the program when they sign in to Windows.
!define TVR_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TVR_RUN_VALUE "TamvikVR Server"

; The finish page's second box: start the program with Windows (off unless the user ticks it).
; A silent install does so when given /STARTWITHWINDOWS.
Function TvrStartWithWindows
  WriteRegStr HKCU "${TVR_RUN_KEY}" "${TVR_RUN_VALUE}" '"$INSTDIR\TamvikVRServer.exe"'
  DetailPrint "$(StartWithWindows): HKCU\${TVR_RUN_KEY}\${TVR_RUN_VALUE}"
FunctionEnd

; Runs netsh on one server program's inbound rule for private networks; Action is "add" or
; "delete". Where netsh or its advfirewall context is missing (Wine), the result is only logged.
!macro TvrFirewallRule Action Program
  !if "${Action}" == "add"
    !define /redef TVR_RULE_ARGS 'dir=in action=allow enable=yes profile=private program="$INSTDIR\${Program}"'
  !else
    !define /redef TVR_RULE_ARGS 'program="$INSTDIR\${Program}"'
  !endif
  DetailPrint 'netsh advfirewall firewall ${Action} rule name="TamvikVR Server (${Program})" ${TVR_RULE_ARGS}'
  nsExec::ExecToLog '"$SYSDIR\netsh.exe" advfirewall firewall ${Action} rule name="TamvikVR Server (${Program})" ${TVR_RULE_ARGS}'
  Pop $0
  DetailPrint "netsh: $0"
!macroend

; The start-menu link, in the folder the start-menu page chose ($STARTMENU_FOLDER), and its removal
; from the folder the uninstaller found ($MUI_TEMP).
!macro TvrCreateLinks
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\TamvikVR Server.lnk" "$INSTDIR\TamvikVRServer.exe"
!macroend

!macro TvrDeleteLinks
  Delete "$SMPROGRAMS\$MUI_TEMP\TamvikVR Server.lnk"
!macroend

; Before the files are copied: the running program ends, and SetOverwrite try makes a file that
; still cannot be replaced set the error flag that TvrAbortOnErrors reads after the copy.
!macro TvrPrepareInstall
  Call TvrCloseRunning
  SetOverwrite try
  ClearErrors
!macroend

!macro TvrInstallExtras
  ; An earlier installer let every user change this folder; it now has Program Files' own
  ; permissions again, so no user can replace a program or plant a library another user loads.
  DetailPrint 'icacls "$INSTDIR" /reset /T /Q'
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR" /reset /T /Q'
  Pop $0
  DetailPrint "icacls: $0"
  FileOpen $0 "$INSTDIR\${TVR_INSTALLED_MARKER}" w
  FileWrite $0 "Installed by the TamvikVR Server installer: the programs in this folder keep their settings, log, lists and stores in %APPDATA%\TamvikVR.$\r$\n"
  FileClose $0
  !insertmacro TvrFirewallRule add TamvikVRServer.exe
  !insertmacro TvrFirewallRule add tamvikvr-server.exe
  ; Apps & features shows the installed size, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\TamvikVR Server" "EstimatedSize" $0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTWITHWINDOWS" $1
  IfErrors +2
    Call TvrStartWithWindows
  ClearErrors
  ${GetOptions} $0 "/DESKTOPICON" $1
  IfErrors +2
    StrCpy $TvrDesktopIcon ${BST_CHECKED}
  StrCmp $TvrDesktopIcon ${BST_CHECKED} 0 +4
    CreateShortCut "${TVR_DESKTOP_LINK}" "$INSTDIR\TamvikVRServer.exe"
    WriteRegDWORD SHCTX "${TVR_UNINSTALL_KEY}" "${TVR_DESKTOP_VALUE}" 1
    DetailPrint "$(DesktopIcon): ${TVR_DESKTOP_LINK}"
!macroend

; After the program files are gone: the firewall rules, the marker, the Run value and the desktop
; icon the installer made go too, and the settings and the log when the user chose so.
!macro TvrUninstallExtras
  !insertmacro TvrFirewallRule delete TamvikVRServer.exe
  !insertmacro TvrFirewallRule delete tamvikvr-server.exe
  Delete "$INSTDIR\${TVR_INSTALLED_MARKER}"
  DeleteRegValue HKCU "${TVR_RUN_KEY}" "${TVR_RUN_VALUE}"
  ReadRegDWORD $0 SHCTX "${TVR_UNINSTALL_KEY}" "${TVR_DESKTOP_VALUE}"
  StrCmp $0 1 0 +2
    Delete "${TVR_DESKTOP_LINK}"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  IfErrors +2
    StrCpy $TvrRemoveSettings ${BST_CHECKED}
  StrCmp $TvrRemoveSettings ${BST_CHECKED} 0 +3
    Call un.TvrRemoveSettings
    Goto +2
    DetailPrint "$(DataKept)"
!macroend
