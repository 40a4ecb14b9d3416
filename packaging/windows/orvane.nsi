; The Windows installer: per user, into the user's own programs folder, so
; that the program folder stays writable for the settings, the records, the
; logs and the self-update, and no administrator is asked for.
;   makensis -DVERSION=1.0.0 -DSOURCE=<program folder> -DFILES=<files.nsh>
;            -DOUTFILE=<setup.exe> orvane.nsi
; FILES lists the folder's files and folders (made by scripts/windows), so
; that the uninstaller removes what was installed and nothing else.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Orvane"
!define SHORTCUT "Orvane 用户卡数据报送"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"

Name "${SHORTCUT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Orvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${SHORTCUT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Orvane"

!define MUI_ICON "${SOURCE}\orvane.ico"
!define MUI_UNICON "${SOURCE}\orvane.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvane.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Orvane" SecMain
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; The user's records, settings and logs are never shipped: an upgrade
  ; keeps them. The empty records database comes only when there is none.
  File /r /x orv.db "${SOURCE}\*.*"
  SetOverwrite off
  File "${SOURCE}\orv.db"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}.lnk" "$INSTDIR\orvane.exe" "" "$INSTDIR\orvane.exe" 0
  CreateShortCut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\orvane.exe" "" "$INSTDIR\orvane.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${SHORTCUT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${SHORTCUT}.lnk"
  Delete "$DESKTOP\${SHORTCUT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Only what the installer put there, and what the program's self-update
  ; leaves beside it; the folder goes only when nothing else is left in it.
  !include "${FILES}"
  Delete "$INSTDIR\aup.001"
  Delete "$INSTDIR\aup.002"
  Delete "$INSTDIR\orvane.bak"
  Delete "$INSTDIR\zelUpdate.bak"
  Delete "$INSTDIR\uninstall.exe"

  ; The taxpayer's records, settings and logs stay unless the user asks
  ; (a silent uninstall keeps them).
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "是否同时删除记录数据库 orv.db、设置 zelReader.ini 和日志文件夹 Log？$\r$\n选“否”保留它们，重新安装后可继续使用。" \
    /SD IDNO IDNO keep
  Delete "$INSTDIR\orv.db"
  Delete "$INSTDIR\zelReader.ini"
  RMDir /r "$INSTDIR\Log"
keep:
  RMDir "$INSTDIR"
SectionEnd
