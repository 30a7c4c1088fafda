; Vandrel setup: puts vandrel.dll and gen_vandrel.dll into Winamp's Plugins
; folder and leaves an uninstaller beside them. It registers nothing: Winamp
; loads every gen_*.dll of its Plugins folder, and gen_vandrel.dll loads
; vandrel.dll from beside itself.
;
; It carries both pairs and installs the one that fits the player in the
; chosen folder: the machine type in the PE header of winamp.exe (or
; wacup.exe) says 32-bit (Winamp, WACUP x86) or 64-bit (WACUP x64). A folder
; with neither is refused.
;
; Built by cmake/installer.cmake:
;   makensis -DVERSION=1.0.0 -DARCH=x86|x64 -DBIN_DIR_X86=<the x86 pair's folder>
;            -DBIN_DIR_X64=<the x64 pair's folder> -DOUT_FILE=<setup.exe> vandrel.nsi
; ARCH is the setup program's own architecture, not the pair's.
;
; Silent use: setup.exe /S [/D=C:\Program Files\Winamp]
;             vandrel-uninstall.exe /S   (keeps vandrel.ini, wherever it is)
; Exit code 0 on success, 2 when refused or failed (e.g. Winamp is running).

!ifndef VERSION | ARCH | BIN_DIR_X86 | BIN_DIR_X64 | OUT_FILE
  !error "define VERSION, ARCH, BIN_DIR_X86, BIN_DIR_X64 and OUT_FILE (see the top of this file)"
!endif

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Vandrel"
!define UNINSTALLER "vandrel-uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel"
; Where Winamp's own installer records its folder: the default value of
; HKCU\Software\Winamp holds the folder itself; the uninstall entry's
; UninstallString names the uninstaller inside it.
!define WINAMP_KEY "Software\Winamp"
!define WINAMP_UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
!define WINAMP_CLASS "Winamp v1.x"
!define EXIT_REFUSED 2
; IMAGE_FILE_MACHINE_I386 and IMAGE_FILE_MACHINE_AMD64.
!define MACHINE_X86 0x14c
!define MACHINE_X64 0x8664

; The pair that fits the player found in $INSTDIR (PlayerMachine), and the
; sentence that says which.
Var Machine
Var PairText

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
; Empty on purpose: .onInit tells a folder given with /D= from none.
InstallDir ""
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (Winamp plug-in)"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_PAGE_HEADER_TEXT "Choose your Winamp folder"
!define MUI_PAGE_HEADER_SUBTEXT "${PRODUCT} goes into the Plugins folder of Winamp."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will copy ${PRODUCT} into the Plugins folder of your Winamp or WACUP installation.$\r$\n$\r$\nThis is the folder that holds winamp.exe (or wacup.exe). If the player lives somewhere else, click Browse and choose that folder."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Winamp folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckWinampFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "$PairText$\r$\n$\r$\nStart Winamp, then open Options > Preferences > Plug-ins > General Purpose, select $\"Vandrel [No HotKey]$\" and click Configure to choose your hotkey and what it does.$\r$\n$\r$\nTo remove ${PRODUCT}, use Add or Remove Programs, or run ${UNINSTALLER} in Winamp's Plugins folder."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Winamp keeps its plug-ins loaded while it runs: old DLLs cannot be
; replaced or removed then. Asks the user to close it; gives up on Cancel
; (and at once in silent mode) with a non-zero exit code.
!macro REFUSE_WHILE_WINAMP_RUNS PREFIX
Function ${PREFIX}RefuseWhileWinampRuns
  Push $0
  ${Do}
    FindWindow $0 "${WINAMP_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Winamp is running.$\r$\n$\r$\nWinamp keeps its plug-ins open while it runs, so ${PRODUCT} cannot be changed now. Close Winamp, then click Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_REFUSED}
    Quit
  retry:
  ${Loop}
  Pop $0
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_WINAMP_RUNS ""
!insertmacro REFUSE_WHILE_WINAMP_RUNS "un."

; $0 := the folder that holds the file named by an uninstall string such as
; "C:\Program Files\Winamp\UninstWA.exe" (quotes and arguments dropped).
Function FolderOfCommand
  Exch $0
  Push $1
  Push $2
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $1 0
    ${Do}
      StrCpy $2 $0 1 $1
      ${IfThen} $2 == '"' ${|} ${Break} ${|}
      ${IfThen} $2 == "" ${|} ${Break} ${|}
      IntOp $1 $1 + 1
    ${Loop}
    StrCpy $0 $0 $1
  ${EndIf}
  ${GetParent} $0 $0
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; $0 := the machine type in the PE header of the file $0, or 0 when it is
; missing or no PE file: the header's offset at 0x3C, "PE" and two NULs
; there, the machine type in the two bytes after them.
Function PeMachine
  Exch $0
  Push $1
  Push $2
  Push $3
  ClearErrors
  FileOpen $1 $0 r
  StrCpy $0 0
  ${IfNot} ${Errors}
    FileSeek $1 0x3C SET
    Call ReadWord
    Pop $2
    Call ReadWord
    Pop $3
    IntOp $3 $3 << 16
    IntOp $2 $2 | $3
    FileSeek $1 $2 SET
    Call ReadWord
    Pop $3
    ${If} $3 = 0x4550
      Call ReadWord
      Pop $3
      ${If} $3 = 0
        Call ReadWord
        Pop $0
      ${EndIf}
    ${EndIf}
    FileClose $1
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes the little-endian 16-bit word at the current place of the file $1
; (0 past its end).
Function ReadWord
  Push $4
  Push $5
  ClearErrors
  FileReadByte $1 $4
  FileReadByte $1 $5
  ${If} ${Errors}
    StrCpy $4 0
    StrCpy $5 0
  ${EndIf}
  IntOp $5 $5 << 8
  IntOp $4 $4 | $5
  Pop $5
  Exch $4
FunctionEnd

; $Machine := the machine type of the player in $INSTDIR (winamp.exe, else
; wacup.exe), 0 when neither is a player this setup has a pair for.
Function PlayerMachine
  Push $0
  StrCpy $Machine 0
  Push "$INSTDIR\winamp.exe"
  Call PeMachine
  Pop $0
  ${If} $0 <> ${MACHINE_X86}
  ${AndIf} $0 <> ${MACHINE_X64}
    Push "$INSTDIR\wacup.exe"
    Call PeMachine
    Pop $0
  ${EndIf}
  ${If} $0 = ${MACHINE_X86}
    StrCpy $Machine ${MACHINE_X86}
    StrCpy $PairText "The 32-bit ${PRODUCT} was installed, for a 32-bit Winamp or WACUP."
  ${ElseIf} $0 = ${MACHINE_X64}
    StrCpy $Machine ${MACHINE_X64}
    StrCpy $PairText "The 64-bit ${PRODUCT} was installed, for WACUP x64."
  ${EndIf}
  Pop $0
FunctionEnd

; Refuses the folder $INSTDIR when it holds no player with a pair here.
!define NO_PLAYER_TEXT "There is no winamp.exe or wacup.exe of a 32-bit or 64-bit player in$\r$\n$INSTDIR$\r$\n$\r$\nChoose the folder that holds Winamp or WACUP."

; $INSTDIR := Winamp's folder as Winamp's installer recorded it: first the
; per-user value (written by every Winamp 5 install, newest first), then the
; machine's uninstall entry; a recorded folder that no longer exists is
; passed over. Falls back to the usual place.
Function FindWinamp
  Push $0
  ReadRegStr $0 HKCU "${WINAMP_KEY}" ""
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\*.*"
    StrCpy $INSTDIR $0
    Goto found
  ${EndIf}
  ReadRegStr $0 HKLM "${WINAMP_UNINST_KEY}" "UninstallString"
  ${If} $0 != ""
    Push $0
    Call FolderOfCommand
    Pop $0
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\*.*"
      StrCpy $INSTDIR $0
      Goto found
    ${EndIf}
  ${EndIf}
  ; WACUP x64 lives under the 64-bit Program Files.
  StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
  ${AndIf} ${FileExists} "$PROGRAMFILES64\WACUP\*.*"
    StrCpy $INSTDIR "$PROGRAMFILES64\WACUP"
  ${EndIf}
found:
  Pop $0
FunctionEnd

Function .onInit
  Call RefuseWhileWinampRuns
  ${If} $INSTDIR == ""
    Call FindWinamp
  ${EndIf}
FunctionEnd

; Leaving the folder page: without a player there is no pair to choose.
Function CheckWinampFolder
  Call PlayerMachine
  ${If} $Machine = 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "${NO_PLAYER_TEXT}"
    Abort
  ${EndIf}
FunctionEnd

Section "${PRODUCT}"
  ; Winamp may have been started while the pages were shown.
  Call RefuseWhileWinampRuns
  ; Silent installs skip the folder page: the folder is looked at here too.
  Call PlayerMachine
  ${If} $Machine = 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "${NO_PLAYER_TEXT}" /SD IDOK
    SetErrorLevel ${EXIT_REFUSED}
    Quit
  ${EndIf}
  DetailPrint $PairText
  SetOverwrite on
  AllowSkipFiles off
  SetOutPath "$INSTDIR\Plugins"
  ${If} $Machine = ${MACHINE_X64}
    File "${BIN_DIR_X64}/vandrel.dll"
    File "${BIN_DIR_X64}/gen_vandrel.dll"
  ${Else}
    File "${BIN_DIR_X86}/vandrel.dll"
    File "${BIN_DIR_X86}/gen_vandrel.dll"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (Winamp plug-in)"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Function .onInstFailed
  SetErrorLevel ${EXIT_REFUSED}
FunctionEnd

; The uninstaller runs from <Winamp>\Plugins, so $INSTDIR is that folder.
Function un.onInit
  Call un.RefuseWhileWinampRuns
FunctionEnd

Section "Uninstall"
  Call un.RefuseWhileWinampRuns
  Delete "$INSTDIR\gen_vandrel.dll"
  Delete "$INSTDIR\vandrel.dll"
  ${If} ${FileExists} "$INSTDIR\gen_vandrel.dll"
  ${OrIf} ${FileExists} "$INSTDIR\vandrel.dll"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} could not be removed from$\r$\n$INSTDIR$\r$\n$\r$\nA program may be using its files. Close Winamp and run the uninstaller again." /SD IDOK
    SetErrorLevel ${EXIT_REFUSED}
    Quit
  ${EndIf}

  ; vandrel.ini holds the user's profiles, and vandrel-journal.txt beside it
  ; what undo can take back: kept unless the user says otherwise. They lie
  ; beside the DLLs, or, where the Plugins folder cannot be written (a player
  ; under Program Files), in the player's own settings folder (Winamp's or
  ; WACUP's); nothing else of that folder is touched.
  ${If} ${FileExists} "$INSTDIR\vandrel.ini"
  ${OrIf} ${FileExists} "$APPDATA\Winamp\Plugins\vandrel.ini"
  ${OrIf} ${FileExists} "$APPDATA\WACUP\Plugins\vandrel.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also delete your ${PRODUCT} settings and profiles (vandrel.ini) and its journal?$\r$\n$\r$\nChoose No to keep them for a later install." /SD IDNO IDNO keep
    Delete "$INSTDIR\vandrel.ini"
    Delete "$INSTDIR\vandrel-journal.txt"
    Delete "$APPDATA\Winamp\Plugins\vandrel.ini"
    Delete "$APPDATA\Winamp\Plugins\vandrel-journal.txt"
    Delete "$APPDATA\WACUP\Plugins\vandrel.ini"
    Delete "$APPDATA\WACUP\Plugins\vandrel-journal.txt"
  keep:
  ${EndIf}

  ; The entry in Add or Remove Programs, when it is this folder's.
  Push $0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKLM "${UNINST_KEY}"
  ${EndIf}
  Pop $0
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd
