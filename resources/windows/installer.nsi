; The Windows installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Pravik, where main.ini beside the program stays
; the user's to write. Made by scripts/windows-package.sh:
;   makensis -DVERSION=0.1.0 -DSTAGE=<installed folder> -DICON=pravik.ico -DOUTFILE=<setup.exe> installer.nsi
; Silent: setup.exe /S, and uninstall.exe /S.
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support
; runs it).
Target amd64-unicode
!include "MUI2.nsh"

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pravik"

Name "Pravik"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Pravik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
BrandingText "Pravik ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "Pravik"
VIAddVersionKey /LANG=1041 "FileDescription" "Pravik ${VERSION} のセットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Pravik"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\pravik.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Pravik"
  SetOutPath "$INSTDIR"
  ; Everything but main.ini, which an update must not reset: the user's
  ; window, last list and options live in it.
  File /r /x main.ini "${STAGE}\*.*"
  IfFileExists "$INSTDIR\main.ini" +2
    File "${STAGE}\main.ini"
  ; Where the save dialog first opens.
  CreateDirectory "$INSTDIR\save"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Pravik.lnk" "$INSTDIR\pravik.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pravik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pravik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pravik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and keeps main.ini (and any list the
; user saved in the folder): the folder itself goes only when nothing else
; is left in it.
Section "Uninstall"
  Delete "$SMPROGRAMS\Pravik.lnk"
  Delete "$INSTDIR\pravik.exe"
  Delete "$INSTDIR\pravik.com"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\office-check.ps1"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  RMDir /r "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\save"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
