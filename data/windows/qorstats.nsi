; The Windows installer of the panel, qorpoll and the driver simulator, built by
; scripts/package-windows.sh with Debian's makensis. Defines given there:
;   QOR_VERSION  the project's version (5.12.0)
;   QOR_BIN      the folder with qorstats.exe, qorpoll.exe and qorsimd.exe
;   QOR_ICON     the application icon
;   QOR_OUT      the installer to write
; A 64-bit installer for 64-bit programs: it starts only where they can run.
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP_NAME "Velmoric 1394 Driver Statistics Panel"
!define PUBLISHER "Velmoric"
!define START_FOLDER "$SMPROGRAMS\Velmoric"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\com.velmoric.qorstats"

Name "${APP_NAME}"
OutFile "${QOR_OUT}"
Icon "${QOR_ICON}"
UninstallIcon "${QOR_ICON}"
InstallDir "$PROGRAMFILES64\Velmoric\qorstats"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show

VIProductVersion "${QOR_VERSION}.0"
VIAddVersionKey "ProductName" "${APP_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP_NAME} setup"
VIAddVersionKey "FileVersion" "${QOR_VERSION}"
VIAddVersionKey "ProductVersion" "${QOR_VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${QOR_BIN}/qorstats.exe"
  File "${QOR_BIN}/qorpoll.exe"
  File "${QOR_BIN}/qorsimd.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${START_FOLDER}"
  CreateShortcut "${START_FOLDER}\${APP_NAME}.lnk" "$INSTDIR\qorstats.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${QOR_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qorstats.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and nothing else: the panel's remembered node stays,
; as it does when the panel closes.
Section "Uninstall"
  Delete "$INSTDIR\qorstats.exe"
  Delete "$INSTDIR\qorpoll.exe"
  Delete "$INSTDIR\qorsimd.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  Delete "${START_FOLDER}\${APP_NAME}.lnk"
  RMDir "${START_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
