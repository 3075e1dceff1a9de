; Installs the saver into the system folder, makes it the current screen saver if the user
; agrees, and registers an uninstaller that puts everything back.
; makensis -DVERSION=<a.b.c.d> -DX86_SCR=<path> -DX64_SCR=<path> -DICON=<path> -DOUTFILE=<path> QuorvaneSaver.nsi
;          [-DSIGN_UNINSTALLER=<command that signs the file it is given>]
; (installer/package.sh gives the project's version and the release programs, and signs when asked)

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
; The uninstaller is a program of its own that the installer writes out: signed here, before it is packed.
!ifdef SIGN_UNINSTALLER
  !uninstfinalize '${SIGN_UNINSTALLER} "%1"' = 0
!endif

!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Quorvane Screen Saver"
!define SCR "QuorvaneSaver.scr"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneScreenSaver"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\Zentrix\ScreenSaver\${PRODUCT}"
; Beside the settings, so that removing them does not lose what to restore.
!define SETUP_KEY "Software\Zentrix\ScreenSaver\Setup"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails nevershow
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "LegalCopyright" "Zentrix"

; One owner of the saver's file: where a Windows Installer package of it is installed (found by the packages'
; upgrade code, installer/QuorvaneSaver.wxs's build), this installer refuses. msi.dll is on every Windows 2000.
!define PACKAGE_UPGRADE_CODE "{86DA7AEE-8BB3-48C5-8A43-C467920B2EE2}"

; NSIS's own texts in English and in French: the installer and the uninstaller take the user's Windows
; interface language themselves, French for a French Windows of any region and English for every other one, with
; no dialog. A string that lacks one of its languages stops the build.
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\French.nlf"
!pragma warning error 6040

; The questions and refusals.
LangString PackageInstalled ${LANG_ENGLISH} "${PRODUCT} is already installed by its Windows Installer package (QuorvaneSaver-x64.msi or QuorvaneSaver-x86.msi). Remove it under Add or Remove Programs first, or keep using the package."
LangString PackageInstalled ${LANG_FRENCH} "${PRODUCT} est déjà installé par son package Windows Installer (QuorvaneSaver-x64.msi ou QuorvaneSaver-x86.msi). Supprimez-le d'abord dans Ajout/Suppression de programmes, ou continuez à utiliser le package."
LangString FolderRefused ${LANG_ENGLISH} "The folder may not hold &, ^ or %: $INSTDIR"
LangString FolderRefused ${LANG_FRENCH} "Le dossier ne peut contenir ni &, ni ^, ni % : $INSTDIR"
LangString CannotWrite ${LANG_ENGLISH} "Cannot write $SYSDIR\${SCR}."
LangString CannotWrite ${LANG_FRENCH} "Impossible d'écrire $SYSDIR\${SCR}."
LangString MakeItTheSaver ${LANG_ENGLISH} "Make ${PRODUCT} your screen saver?"
LangString MakeItTheSaver ${LANG_FRENCH} "Faire de ${PRODUCT} votre écran de veille ?"
LangString RemoveSettings ${LANG_ENGLISH} "Remove your ${PRODUCT} settings too?"
LangString RemoveSettings ${LANG_FRENCH} "Supprimer aussi vos paramètres de ${PRODUCT} ?"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The saver goes where the system looks for screen savers: the real system folder, which a
; 32-bit installer on 64-bit Windows only reaches with the file-system redirection off. ${RunningX64}
; holds on ARM64 too, where x64 programs run only under Windows 11's emulation and x86 ones everywhere.
!macro PlaceSaver
  SetOutPath "$SYSDIR"
  ${If} ${IsNativeARM64}
    ${DisableX64FSRedirection}
    File "/oname=${SCR}" "${X86_SCR}"
    ${EnableX64FSRedirection}
  ${ElseIf} ${RunningX64}
    ${DisableX64FSRedirection}
    File "/oname=${SCR}" "${X64_SCR}"
    ${EnableX64FSRedirection}
  ${Else}
    File "/oname=${SCR}" "${X86_SCR}"
  ${EndIf}
!macroend

; The silent uninstall command hands the folder to cmd.exe, which takes & ^ and % for its own: a folder
; holding one is refused. Leaves 1 on the stack when $INSTDIR is fit, else 0.
Function FolderFitsTheCommand
  Push $0
  Push $1
  StrCpy $0 0
  ${Do}
    StrCpy $1 $INSTDIR 1 $0
    ${If} $1 == "&"
    ${OrIf} $1 == "^"
    ${OrIf} $1 == "%"
      StrCpy $1 ""
      StrCpy $0 -1
    ${EndIf}
    IntOp $0 $0 + 1
  ${LoopUntil} $1 == ""
  ${If} $0 > 0
    StrCpy $0 1
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

Function .onInit
  System::Call 'msi::MsiEnumRelatedProductsW(w "${PACKAGE_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "$(PackageInstalled)" /SD IDOK
    Abort
  ${EndIf}
  Call FolderFitsTheCommand
  Pop $0
  ${If} $0 <> 1
    MessageBox MB_OK|MB_ICONSTOP "$(FolderRefused)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function .onVerifyInstDir
  Call FolderFitsTheCommand
  Pop $0
  ${If} $0 <> 1
    Abort
  ${EndIf}
FunctionEnd

Section "Install"
  SetShellVarContext current
  ; A saver file that cannot be written (a saver running from it, no rights to the system folder) ends the
  ; install with NSIS's code for an abort, before anything is registered: silent, NSIS would go on past it.
  ClearErrors
  !insertmacro PlaceSaver
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(CannotWrite)" /SD IDOK
    Abort
  ${EndIf}

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zentrix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; For tools that wait on it, the silent command must end only when everything is gone. _?= (last and
  ; unquoted) runs the uninstaller in place, where it cannot delete its own file, so cmd.exe waits for it
  ; and then removes the file and the folder, keeping the uninstaller's exit code when that is not 0.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$SYSDIR\cmd.exe" /d /s /c "start "" /wait "$INSTDIR\Uninstall.exe" /S _?=$INSTDIR& if not errorlevel 1 (del "$INSTDIR\Uninstall.exe"& rd "$INSTDIR"& if exist "$INSTDIR\" exit 145)"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetRegView lastused

  MessageBox MB_YESNO|MB_ICONQUESTION "$(MakeItTheSaver)" /SD IDYES IDNO done
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ; A second install must not take this saver for the one to give back.
    ${If} $0 != "$SYSDIR\${SCR}"
      WriteRegStr HKCU "${SETUP_KEY}" "PreviousScreenSaver" "$0"
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR}"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
  done:
SectionEnd

Section "Uninstall"
  ; A saver running now keeps its file until the next start, and the exit code says so.
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    Delete /REBOOTOK "$SYSDIR\${SCR}"
    ${EnableX64FSRedirection}
  ${Else}
    Delete /REBOOTOK "$SYSDIR\${SCR}"
  ${EndIf}

  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\${SCR}"
    ReadRegStr $1 HKCU "${SETUP_KEY}" "PreviousScreenSaver"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_SEND})'
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
      System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${SETUP_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "$(RemoveSettings)" /SD IDYES IDNO kept
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ; The maker's keys go only when nothing else is left in them.
    DeleteRegKey /ifempty HKCU "Software\Zentrix\ScreenSaver"
    DeleteRegKey /ifempty HKCU "Software\Zentrix"
  kept:

  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView lastused

  ; A folder can go only when it is no process's current folder. Run in place (_?=), the uninstaller cannot
  ; delete its own file: Windows deletes no running program's file, and NSIS keeps its own open without
  ; delete sharing, so it cannot be moved away either. The silent command then removes both once it has
  ; ended; where a restart is due anyway, they go with it.
  SetOutPath "$TEMP"
  ${If} ${RebootFlag}
    Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${Else}
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
