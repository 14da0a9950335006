; The Windows installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Pravik, where main.ini beside the program stays
; the user's to write. Made by scripts/windows-package.sh:
;   makensis -DVERSION=0.1.0 -DSTAGE=<installed folder> -DICON=pravik.ico -DPICTURE=<164x314 bmp>
;            -DOUTFILE=<setup.exe> installer.nsi
; Silent: setup.exe /S, and uninstall.exe /S.
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support
; runs it).
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "StrFunc.nsh"
!include "WinMessages.nsh"
${Using:StrFunc} StrStr
${Using:StrFunc} UnStrRep

; One publisher name everywhere, as the version dialog says it.
!define PUBLISHER "Pravik 開発チーム"

!ifndef VERSION | STAGE | ICON | PICTURE | OUTFILE
  !error "VERSION, STAGE, ICON, PICTURE and OUTFILE must be defined"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pravik"
; The list files open with Pravik from Explorer, for this user only.
!define LIST_CLASS "Software\Classes\Pravik.List"
!define LIST_EXTENSION "Software\Classes\.lst"
; The user's own PATH, to which the install folder is added so that a new
; console finds `pravik --print`.
!define USER_ENVIRONMENT "Environment"

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
VIAddVersionKey /LANG=1041 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The finish page shows the program's own picture.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\pravik.exe"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE AskToClosePravik
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
; Windows writes it in full-width katakana.
LangString ^UninstallBtn ${LANG_JAPANESE} "アンインストール(&U)"

; A running Pravik holds its program and DLLs open: replacing some files and
; not others would leave a mixed installation. The user is asked to close it
; until it is closed or they cancel; a silent run fails at once instead.
!macro FAIL_IF_IN_USE FILE
  ClearErrors
  IfFileExists "${FILE}" 0 +4
    FileOpen $0 "${FILE}" a
    IfErrors running
    FileClose $0
!macroend
!macro ASK_TO_CLOSE_PRAVIK UN
Function ${UN}AskToClosePravik
  retry:
  !insertmacro FAIL_IF_IN_USE "$INSTDIR\pravik.exe"
  !insertmacro FAIL_IF_IN_USE "$INSTDIR\pravik.com"
  !insertmacro FAIL_IF_IN_USE "$INSTDIR\Qt6Core.dll"
  Return
  running:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "Pravik が実行中です。$\r$\n$\r$\nPravik のウィンドウをすべて閉じてから「再試行」を押してください。" \
    /SD IDCANCEL IDRETRY retry
  ; On the directory page the user stays there; in a section the run ends
  ; before any file is touched, with exit status 2.
  Abort
FunctionEnd
!macroend
!insertmacro ASK_TO_CLOSE_PRAVIK ""
!insertmacro ASK_TO_CLOSE_PRAVIK "un."

; A PATH this long may be cut when read here: it is left as it is, and the
; guide says how to start the console program by its full path.
!define PATH_READ_LIMIT 1000

Function AddToUserPath
  ReadRegStr $0 HKCU "${USER_ENVIRONMENT}" "Path"
  StrLen $1 $0
  IntCmp $1 ${PATH_READ_LIMIT} 0 0 done
  ${StrStr} $1 ";$0;" ";$INSTDIR;"
  StrCmp $1 "" 0 done
  StrCmp $0 "" 0 +3
    StrCpy $0 "$INSTDIR"
    Goto write
  StrCpy $1 $0 1 -1
  StrCmp $1 ";" 0 +3
    StrCpy $0 "$0$INSTDIR"
    Goto write
  StrCpy $0 "$0;$INSTDIR"
  write:
  WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $0
  ; Consoles opened from now on see it without a new sign-in.
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  done:
FunctionEnd

; Takes out exactly the install folder's entries; the rest of PATH stays as
; the user wrote it.
Function un.RemoveFromUserPath
  ReadRegStr $0 HKCU "${USER_ENVIRONMENT}" "Path"
  StrLen $1 $0
  IntCmp $1 ${PATH_READ_LIMIT} 0 0 done
  ${UnStrRep} $1 ";$0;" ";$INSTDIR;" ";"
  StrCmp $1 ";$0;" done
  ; The two separators added above go again.
  StrCpy $1 $1 "" 1
  StrCpy $1 $1 -1
  StrCmp $1 "" 0 +3
    DeleteRegValue HKCU "${USER_ENVIRONMENT}" "Path"
    Goto told
  WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $1
  told:
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  done:
FunctionEnd

Section "Pravik"
  ; Asked again: the page was left some time ago, and a silent run has no page.
  Call AskToClosePravik
  SetOutPath "$INSTDIR"
  ; Everything but main.ini, which an update must not reset: the user's
  ; window, last list and options live in it. No "save": an installed copy
  ; saves lists among the user's documents.
  File /r /x main.ini /x save "${STAGE}\*.*"
  IfFileExists "$INSTDIR\main.ini" +2
    File "${STAGE}\main.ini"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Pravik.lnk" "$INSTDIR\pravik.exe"
  Call AddToUserPath

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pravik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pravik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KB, as the list of installed programs shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  WriteRegStr HKCU "${LIST_CLASS}" "" "Pravik 印刷リスト"
  WriteRegStr HKCU "${LIST_CLASS}\DefaultIcon" "" "$INSTDIR\pravik.exe,0"
  WriteRegStr HKCU "${LIST_CLASS}\shell\open" "" "開く(&O)"
  WriteRegStr HKCU "${LIST_CLASS}\shell\open\command" "" '"$INSTDIR\pravik.exe" "%1"'
  WriteRegStr HKCU "${LIST_EXTENSION}" "" "Pravik.List"
  WriteRegStr HKCU "${LIST_EXTENSION}\OpenWithProgids" "Pravik.List" ""
  ; Explorer shows the new icon and verb without a new sign-in.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Removes what the installer put there and keeps main.ini (and any list the
; user saved in the folder): the folder itself goes only when nothing else
; is left in it.
Section "Uninstall"
  Call un.AskToClosePravik
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
  ; Where lists were saved before they went to the user's documents.
  RMDir "$INSTDIR\save"
  RMDir "$INSTDIR"
  ; Where the program notes the office servers it started; left only when empty.
  RMDir "$TEMP\pravik-servers"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Call un.RemoveFromUserPath

  ; Exactly what the installer registered: another program's claim on
  ; .lst stays.
  DeleteRegKey HKCU "${LIST_CLASS}"
  DeleteRegValue HKCU "${LIST_EXTENSION}\OpenWithProgids" "Pravik.List"
  DeleteRegKey /ifempty HKCU "${LIST_EXTENSION}\OpenWithProgids"
  ReadRegStr $0 HKCU "${LIST_EXTENSION}" ""
  StrCmp $0 "Pravik.List" 0 +2
    DeleteRegValue HKCU "${LIST_EXTENSION}" ""
  DeleteRegKey /ifempty HKCU "${LIST_EXTENSION}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; The uninstaller runs from a copy of itself in %TEMP% (the running
; uninstall.exe could not remove itself), which Windows would delete only at
; the next restart. A hidden command removes that copy's folder once the
; copy has ended.
Function un.RemoveOwnCopy
  StrCmp $EXEDIR $INSTDIR done ; run in place (_?=): nothing was copied
  ExecShell "" "$SYSDIR\cmd.exe" \
    '/d /q /c for /l %i in (1,1,120) do (rd /s /q "$EXEDIR" 2>nul & if not exist "$EXEDIR" exit & ping -n 2 127.0.0.1 >nul)' \
    SW_HIDE
  done:
FunctionEnd

Function un.onGUIEnd
  Call un.RemoveOwnCopy
FunctionEnd

; Without a window (/S) there is no end of the GUI.
Function un.onUninstSuccess
  IfSilent 0 +2
    Call un.RemoveOwnCopy
FunctionEnd

Function un.onUninstFailed
  IfSilent 0 +2
    Call un.RemoveOwnCopy
FunctionEnd
