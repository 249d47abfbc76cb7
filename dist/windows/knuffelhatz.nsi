; The Windows installer, a 64-bit NSIS program built by mk/windows.mk:
;   makensis -DVERSION=1.0.0 -DSTAGE=folder -DICON=knuffelhatz.ico -DOUTFILE=setup.exe knuffelhatz.nsi
; STAGE holds what the portable zip holds. The best score lives in the player's
; %APPDATA%\Knuffelhatz, which neither installing nor uninstalling touches.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include x64.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Knuffelhatz"

Name "Knuffelhatz"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Knuffelhatz"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Knuffelhatz"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Knuffelhatz installer"
VIAddVersionKey "CompanyName" "The Knuffelhatz developers"
VIAddVersionKey "LegalCopyright" "2026 The Knuffelhatz developers, MIT licence"

LicenseData "${STAGE}\LICENSE.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Knuffelhatz"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\knuffelhatz.exe"
  File "${STAGE}\Schuss.wbs"
  File "${STAGE}\Treffer1.wbs"
  File "${STAGE}\Treffer2.wbs"
  File "${STAGE}\Leer.wbs"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\LICENSE-Lato.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Knuffelhatz.lnk" "$INSTDIR\knuffelhatz.exe" "" "$INSTDIR\knuffelhatz.exe" 0 \
    SW_SHOWNORMAL "" "Hit the creature and its lantern within 90 seconds"
  WriteRegStr HKLM "${KEY}" "DisplayName" "Knuffelhatz"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "The Knuffelhatz developers"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\knuffelhatz.exe,0"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" 2048
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Knuffelhatz.lnk"
  Delete "$INSTDIR\knuffelhatz.exe"
  Delete "$INSTDIR\Schuss.wbs"
  Delete "$INSTDIR\Treffer1.wbs"
  Delete "$INSTDIR\Treffer2.wbs"
  Delete "$INSTDIR\Leer.wbs"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\LICENSE-Lato.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
  ; The best score in %APPDATA%\Knuffelhatz stays: it is the player's, not the program's.
SectionEnd
