; The Windows installer, a 64-bit NSIS program built by mk/windows.mk:
;   makensis -DVERSION=1.0.0 -DSTAGE=folder -DICON=knuffelhatz.ico -DOUTFILE=setup.exe knuffelhatz.nsi
; STAGE holds what the portable zip holds. The best score lives in the player's
; %APPDATA%\Knuffelhatz, which neither installing nor uninstalling touches.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include x64.nsh
!include LogicLib.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Knuffelhatz"
; A running copy holds this mutex (RunningMark, platform/win32/Win32Program.cpp).
!define RUNNING_MUTEX "Global\Knuffelhatz.Running"

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

; Nothing is changed while the game runs: the player is asked to close it, with Retry and
; Cancel. Cancel, or a silent run (/S), ends here with exit code 2. A copy is running when its
; mutex exists (also another user's, which we may not open) or when the installed program
; file cannot be opened for writing (an older copy, without the mutex).
!macro WaitUntilClosed UN
Function ${UN}WaitUntilClosed
  again:
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p.r0 ?e'
  Pop $1
  ${If} $0 != 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $1 5
  ${ElseIf} ${FileExists} "$INSTDIR\knuffelhatz.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\knuffelhatz.exe" a
    ${If} ${Errors}
      StrCpy $1 5
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
  ${If} $1 = 5
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Knuffelhatz is running. Please close the game, then choose Retry." \
      /SD IDCANCEL IDRETRY again
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Function .onInit
  SetRegView 64
  Call WaitUntilClosed
FunctionEnd

Function un.onInit
  SetRegView 64
  Call un.WaitUntilClosed
FunctionEnd

; A file that cannot be written stops the installation: never a mix of old and new files.
AllowSkipFiles off

Section "Knuffelhatz"
  SetShellVarContext all
  ; The game may have been started while the pages showed.
  Call WaitUntilClosed
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

!macro FileLeft NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $1 "$1$\r$\n  ${NAME}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  Call un.WaitUntilClosed
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
  ; Whatever stayed is named, and the game stays listed, so uninstalling can be tried again.
  StrCpy $1 ""
  !insertmacro FileLeft knuffelhatz.exe
  !insertmacro FileLeft Schuss.wbs
  !insertmacro FileLeft Treffer1.wbs
  !insertmacro FileLeft Treffer2.wbs
  !insertmacro FileLeft Leer.wbs
  !insertmacro FileLeft README.txt
  !insertmacro FileLeft LICENSE.txt
  !insertmacro FileLeft LICENSE-Lato.txt
  ${If} $1 != ""
    MessageBox MB_OK|MB_ICONSTOP "Knuffelhatz could not remove these files from $INSTDIR:$1" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$SMPROGRAMS\Knuffelhatz.lnk"
  DeleteRegKey HKLM "${KEY}"
  ; The best score in %APPDATA%\Knuffelhatz stays: it is the player's, not the program's.
SectionEnd
