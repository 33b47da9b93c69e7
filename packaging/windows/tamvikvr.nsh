; SPDX-License-Identifier: MIT
; What the TamvikVR Server installer and uninstaller do beyond copying and removing the files;
; cmake/WindowsPackage.cmake has CPack's script include this and insert the two macros.

; Beside an installed program: its data then lives in %APPDATA%\TamvikVR, not in Program Files.
; The zip's copy has no such file and keeps its data beside itself.
!define TVR_INSTALLED_MARKER "InstalledBySetup.txt"

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
!macroend

!macro TvrUninstallExtras
  !insertmacro TvrFirewallRule delete TamvikVRServer.exe
  !insertmacro TvrFirewallRule delete tamvikvr-server.exe
  Delete "$INSTDIR\${TVR_INSTALLED_MARKER}"
  DetailPrint "$(UninstallKeepsData)"
!macroend
