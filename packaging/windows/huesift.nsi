; Huesift's Windows installer, one script for the 32-bit and the 64-bit build.
; scripts/lib/make-installer.sh runs makensis on it with these defines:
;   VERSION   Huesift's version, three numbers
;   ARCH      win32 or win64
;   PROGRAMS  the folder that holds the build's huesift.exe and huesift.scr
;   OUTFILE   the installer to write
; It installs huesift.exe under Program Files with a Start-menu shortcut,
; puts huesift.scr beside Windows' own screensavers, where the screen saver
; settings list it, and registers its uninstaller under Add/Remove Programs.
; A Huesift already installed, of any version or build, is uninstalled first
; (its settings kept), so installing over an older version replaces it and
; installing the same version again repairs it. /S installs silently and
; /D=FOLDER chooses the folder, as with any NSIS installer.
;
; The 32-bit installer on 64-bit Windows installs the 32-bit program where
; 32-bit programs go: "Program Files (x86)", and, through Windows' file-system
; redirection of System32 for 32-bit programs, SysWOW64 for the screensaver,
; which 64-bit Windows' screen saver settings list beside System32's. Its
; uninstaller is redirected the same way, so it removes that very file. The
; uninstall key is written to the 64-bit registry on 64-bit Windows whatever
; the build, so that one Huesift is installed at a time and either installer
; replaces what the other installed.

!if "${ARCH}" == "win64"
  Target amd64-unicode
!else if "${ARCH}" == "win32"
  Unicode true
!else
  !error "ARCH must be win32 or win64, not '${ARCH}'"
!endif

; LogicLib's tests that jump straight to their branch (a message box's
; answer, a file's existence) leave its unused labels behind; makensis warns
; of those, and make-installer.sh treats every other warning as an error.
!pragma warning disable 6012

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

!define PRODUCT "Huesift"
!define PUBLISHER "The Huesift developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Huesift"
!define SETTINGS_KEY "Software\Huesift"
!define SHORTCUT "$SMPROGRAMS\Huesift.lnk"
!define UNINSTALLER "uninstall.exe"
!define SETTINGS_QUESTION "Remove your saved Huesift settings too?$\n$\nChoose No to keep them for a later install."
!if "${ARCH}" == "win64"
  !define DEFAULT_FOLDER "$PROGRAMFILES64\${PRODUCT}"
!else
  !define DEFAULT_FOLDER "$PROGRAMFILES\${PRODUCT}"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_FOLDER}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${__FILEDIR__}/../../resources/huesift.ico"
!define MUI_UNICON "${__FILEDIR__}/../../resources/huesift.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The uninstall key lives in the 64-bit registry on 64-bit Windows.
!macro NATIVE_REGISTRY
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro NATIVE_REGISTRY
  ; Without /D=, an upgrade or repair goes where the same build is installed.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "HuesiftBuild"
  ${If} $INSTDIR == "${DEFAULT_FOLDER}"
  ${AndIf} $1 == "${ARCH}"
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; Runs the uninstaller of the Huesift installed now, silently (which keeps
; the user's settings) and in place, so that it is done before the files are
; copied; then removes that uninstaller, which cannot remove itself in place.
Function RemovePrevious
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}
FunctionEnd

Section "Huesift"
  SectionIn RO
  Call RemovePrevious
  SetShellVarContext all

  SetOutPath "$INSTDIR"
  File "${PROGRAMS}/huesift.exe"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  SetOutPath "$SYSDIR"
  File "${PROGRAMS}/huesift.scr"
  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\huesift.exe" "" "$INSTDIR\huesift.exe" 0 SW_SHOWNORMAL "" \
    "Sorts colours in three directions at once"

  ; Add/Remove Programs shows the size in KiB: the program folder and the
  ; screensaver.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=huesift.scr /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\huesift.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HuesiftBuild" "${ARCH}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro NATIVE_REGISTRY
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\huesift.exe"
  Delete "$SYSDIR\huesift.scr"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The settings are the user's: asked, and kept when silent.
  ClearErrors
  EnumRegKey $0 HKCU "${SETTINGS_KEY}" 0
  ${IfNot} ${Errors}
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${SETTINGS_QUESTION}" /SD IDNO IDYES`
      DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${EndIf}
  ${EndIf}
SectionEnd
