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
Function .onInit
  System::Call 'msi::MsiEnumRelatedProductsW(w "${PACKAGE_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is already installed by its Windows Installer package (QuorvaneSaver-x64.msi or QuorvaneSaver-x86.msi). Remove it under Add or Remove Programs first, or keep using the package." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The saver goes where the system looks for screen savers: the real system folder, which a
; 32-bit installer on 64-bit Windows only reaches with the file-system redirection off.
!macro PlaceSaver
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    File "/oname=${SCR}" "${X64_SCR}"
    ${EnableX64FSRedirection}
  ${Else}
    File "/oname=${SCR}" "${X86_SCR}"
  ${EndIf}
!macroend

Section "Install"
  SetShellVarContext current
  !insertmacro PlaceSaver

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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetRegView lastused

  MessageBox MB_YESNO|MB_ICONQUESTION "Make ${PRODUCT} your screen saver?" /SD IDYES IDNO done
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
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    Delete "$SYSDIR\${SCR}"
    ${EnableX64FSRedirection}
  ${Else}
    Delete "$SYSDIR\${SCR}"
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

  MessageBox MB_YESNO|MB_ICONQUESTION "Remove your ${PRODUCT} settings too?" /SD IDYES IDNO kept
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
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
