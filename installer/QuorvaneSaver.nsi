; Installs the saver into the system folder, makes it the current screen saver if the user
; agrees, and registers an uninstaller that puts everything back.
; makensis -DVERSION=<a.b.c.d> -DUPGRADE_CODE=<GUID> -DX86_SCR=<path> -DX64_SCR=<path> -DICON=<path>
;          -DOUTFILE=<path> QuorvaneSaver.nsi [-DSIGN_UNINSTALLER=<command that signs the file it is given>]
;          [-DTEST_ACCOUNT_SID=<SID>]
; (installer/package.sh gives the project's version and upgrade code and the release programs, and signs when
; asked; only the tests' build gives TEST_ACCOUNT_SID)

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
; LocalSystem, the account deployment tools run installers as.
!define LOCAL_SYSTEM_SID "S-1-5-18"
!define TOKEN_QUERY 8
!define TOKEN_USER 1
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
LangString FolderTooLong ${LANG_ENGLISH} "The folder's name is too long for the uninstall command: $INSTDIR"
LangString FolderTooLong ${LANG_FRENCH} "Le nom du dossier est trop long pour la commande de désinstallation : $INSTDIR"
LangString CannotWriteUninstaller ${LANG_ENGLISH} "Cannot write $INSTDIR\Uninstall.exe."
LangString CannotWriteUninstaller ${LANG_FRENCH} "Impossible d'écrire $INSTDIR\Uninstall.exe."
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

; The silent uninstall command for $INSTDIR, left on the stack: see the install section.
Function QuietUninstallCommand
  Push $0
  Push $1
  Push $2
  ; The folder as the uninstaller's _?= takes it, unquoted: brackets escaped for cmd.exe.
  StrCpy $0 ""
  StrCpy $2 0
  ${Do}
    StrCpy $1 $INSTDIR 1 $2
    ${If} $1 == "("
    ${OrIf} $1 == ")"
      StrCpy $0 "$0^"
    ${EndIf}
    StrCpy $0 "$0$1"
    IntOp $2 $2 + 1
  ${LoopUntil} $1 == ""
  StrCpy $0 '"$SYSDIR\cmd.exe" /d /v:off /s /c "%ComSpec% /d /c exit 2& if exist "$INSTDIR\Uninstall.exe" start "" /wait "$INSTDIR\Uninstall.exe" /S _?=$0& if not errorlevel 1 if errorlevel 0 (del "$INSTDIR\Uninstall.exe"& rd "$INSTDIR"& if exist "$INSTDIR\" exit 145)"'
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The silent uninstall command hands the folder to cmd.exe, which takes & ^ and % for its own, and NSIS cuts a
; string at ${NSIS_MAX_STRLEN} characters without a word: a folder holding one of those characters, or one that
; makes the command too long, is refused. Leaves on the stack 0 when $INSTDIR is fit, 1 for such a character, 2
; when it is too long.
Function FolderFitsTheCommand
  Push $0
  Push $1
  Push $2
  StrCpy $0 0
  StrCpy $2 0
  ${Do}
    StrCpy $1 $INSTDIR 1 $2
    ${If} $1 == "&"
    ${OrIf} $1 == "^"
    ${OrIf} $1 == "%"
      StrCpy $0 1
    ${EndIf}
    IntOp $2 $2 + 1
  ${LoopUntil} $1 == ""
  ; Only the whole command ends with its last words: a folder cannot hold the quote.
  Call QuietUninstallCommand
  Pop $1
  StrCpy $1 $1 "" -10
  ${If} $1 != 'exit 145)"'
    StrCpy $0 2
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Leaves 1 on the stack when the program runs as LocalSystem, as deployment tools run it, else 0. That account's
; HKEY_CURRENT_USER is the profile the logon screen takes its screen saver from: a saver set there would run as
; LocalSystem before anyone logs on. The account is told by its SID, as its name is translated.
!macro AccountIsLocalSystem un
Function ${un}AccountIsLocalSystem
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 ""
!ifdef TEST_ACCOUNT_SID
  ; The tests' build: Wine runs every program as one user.
  StrCpy $0 "${TEST_ACCOUNT_SID}"
!else
  System::Call 'advapi32::OpenProcessToken(p -1, i ${TOKEN_QUERY}, *p .r1) i .r2'
  ${If} $2 <> 0
    System::Alloc 256
    Pop $2
    ; TOKEN_USER starts with the SID's address; ConvertSidToStringSidW's text is freed with LocalFree.
    System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_USER}, p r2, i 256, *i .r3) i .r3'
    ${If} $3 <> 0
      System::Call '*$2(p .r3)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r3, *p .r3) i .r0'
      ${If} $0 <> 0
        System::Call 'kernel32::lstrcpynW(w .r0, p r3, i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::LocalFree(p r3)'
      ${Else}
        StrCpy $0 ""
      ${EndIf}
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
!endif
  ${If} $0 == "${LOCAL_SYSTEM_SID}"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro AccountIsLocalSystem ""
!insertmacro AccountIsLocalSystem "un."

Function .onInit
  ; One owner of the saver's file: where a Windows Installer package of it is installed (found by the packages'
  ; upgrade code), this installer refuses. msi.dll is on every Windows 2000.
  System::Call 'msi::MsiEnumRelatedProductsW(w "{${UPGRADE_CODE}}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "$(PackageInstalled)" /SD IDOK
    Abort
  ${EndIf}
  Call FolderFitsTheCommand
  Pop $0
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "$(FolderRefused)" /SD IDOK
    Abort
  ${ElseIf} $0 = 2
    MessageBox MB_OK|MB_ICONSTOP "$(FolderTooLong)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function .onVerifyInstDir
  Call FolderFitsTheCommand
  Pop $0
  ${If} $0 <> 0
    Abort
  ${EndIf}
FunctionEnd

Section "Install"
  SetShellVarContext current
  ; A file that cannot be written (a folder that cannot be made, a saver running from its file, no rights) ends
  ; the install with NSIS's code for an abort, before anything is registered: silent, NSIS would go on past it.
  ; The uninstaller goes first, so that a folder it cannot go to leaves no saver behind.
  ClearErrors
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(CannotWriteUninstaller)" /SD IDOK
    Abort
  ${EndIf}
  !insertmacro PlaceSaver
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(CannotWrite)" /SD IDOK
    Abort
  ${EndIf}

  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zentrix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; For tools that wait on it, the silent command must end only when everything is gone. _?= (last and
  ; unquoted) runs the uninstaller in place, where it cannot delete its own file, so cmd.exe waits for it and
  ; then removes the file and the folder, only when the uninstaller gave exactly 0 (a crash's code is negative),
  ; and else passes its code on. Without the uninstaller it ends with 2: start would open a box that nobody
  ; running as SYSTEM sees. /v:off keeps a ! in the folder where delayed expansion is turned on in the registry.
  ; No bracketed group comes before _?=: Wine's cmd.exe then takes the folder's own brackets for commands.
  Call QuietUninstallCommand
  Pop $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetRegView lastused

  ; Run as LocalSystem, the install sets nothing per user.
  Call AccountIsLocalSystem
  Pop $0
  StrCmp $0 1 done
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

  ; Run as LocalSystem, the uninstaller touches nothing per user either: the users' own choices stay theirs.
  Call un.AccountIsLocalSystem
  Pop $0
  ${If} $0 = 0
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
  ${EndIf}

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
