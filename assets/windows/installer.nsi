; SPDX-License-Identifier: GPL-3.0-or-later
; The installer of vorindaili-cli for Windows (makensis, from scripts/windows). Installs into
; Program Files\Vorin智能代理 and adds the uninstaller to the system's list of programs (the program's
; folder is not put on PATH). /S installs silently; the uninstaller takes /S too.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define NAME "Vorin智能代理"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vorindaili"

Name "${NAME} ${VERSION}"
OutFile "${BUILD}\vorindaili-cli-setup.exe"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\COPYING"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "vorindaili-cli"
    SetRegView 64
    SetOutPath "$INSTDIR"
    File "${BUILD}\vorindaili-cli.exe"
    File "/oname=sources.txt" "${SOURCE}\assets\sources.txt"
    File "/oname=judges.txt" "${SOURCE}\assets\judges.txt"
    File "/oname=COPYING.txt" "${SOURCE}\COPYING"
    File "/oname=README.md" "${SOURCE}\README.md"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME} (vorindaili-cli)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "VORINSOFT"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's own files (%APPDATA%\vorindaili) and settings stay: they are the user's, not the program's.
Section "Uninstall"
    SetRegView 64
    Delete "$INSTDIR\vorindaili-cli.exe"
    Delete "$INSTDIR\sources.txt"
    Delete "$INSTDIR\judges.txt"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
