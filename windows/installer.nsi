; Vellum's Windows installer, built with makensis by windows/package.sh:
;   makensis -DVERSION=0.1.0 -DSOURCE=<unpacked zip folder> -DOUTFILE=<setup.exe>
;            -DFILES=<files.nsh> -DICON=<vellum.ico> installer.nsi
; It installs for the current user only (no administrator rights), into
; %LOCALAPPDATA%\Programs\Vellum, with a Start-menu entry and the .vlm
; association; the uninstaller removes exactly what it wrote.
; A 64-bit installer for the 64-bit programs: it sees the same registry and
; folders as they do, with no 32-bit redirection between them.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellum"
!define ASSOCIATION_KEY "Software\Classes\.vlm"

Name "Vellum ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vellum"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vellum.exe"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Vellum"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vellum.lnk" "$INSTDIR\vellum.exe"

  ; The editor writes the same four entries at every start; writing them here
  ; lets a .vlm open with a double-click before Vellum has ever run.
  WriteRegStr HKCU "${ASSOCIATION_KEY}" "" "Vellum File"
  WriteRegStr HKCU "${ASSOCIATION_KEY}\DefaultIcon" "" "$INSTDIR\vellum.exe,1"
  WriteRegStr HKCU "${ASSOCIATION_KEY}\Shell\Open" "" "Edit"
  WriteRegStr HKCU "${ASSOCIATION_KEY}\Shell\Open\Command" "" '"$INSTDIR\vellum.exe" %1'
  ; SHCNE_ASSOCCHANGED: Explorer shows the new icon without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vellum"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vellum.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; The association only while it still names this installation: another
  ; copy of Vellum, started later, may have taken it over. Its icon entry is
  ; the same whether the editor or the installer wrote it.
  ReadRegStr $0 HKCU "${ASSOCIATION_KEY}\DefaultIcon" ""
  StrCmp $0 "$INSTDIR\vellum.exe,1" 0 +3
    DeleteRegKey HKCU "${ASSOCIATION_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  Delete "$SMPROGRAMS\Vellum.lnk"
  ; Only the files the installer put there, then the folders if empty: a
  ; file of the user's own in the folder stays.
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
