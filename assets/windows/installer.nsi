; SPDX-License-Identifier: GPL-3.0-or-later
; The installer of Vorin智能代理 for Windows (makensis, from scripts/windows): the window and the command-line
; program, the default sources and judges, the country databases (GeoIP), the licence and the third-party
; notices. It installs for the
; current user, without administrator rights (the programs write only the user's registry and folders), into
; the user's Programs folder, with a Start-menu entry and an entry in the list of installed programs.
; /S installs silently; the uninstaller takes /S too.
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define NAME "Vorin智能代理"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vorindaili"
!define PROGRAM_KEY "SOFTWARE\VORINSOFT\vorindaili"

Name "${NAME} ${VERSION}"
OutFile "${BUILD}\vorindaili-setup.exe"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${BUILD}\src\vorindaili.ico"
UninstallIcon "${BUILD}\src\vorindaili.ico"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!define MUI_ICON "${BUILD}\src\vorindaili.ico"
!define MUI_UNICON "${BUILD}\src\vorindaili.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorindaili.exe"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\COPYING"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "VORINSOFT"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${NAME} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "GPL-3.0-or-later, The Vorin developers"

; A running window is asked to close as its close button would (it puts the desktop's proxy settings back
; when its relay is the system proxy), and waited for up to ten seconds.
!macro CloseWindow un
Function ${un}CloseWindow
    StrCpy $1 0
    loop:
        FindWindow $0 "Tfrmvrdl"
        StrCmp $0 0 done
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        Sleep 200
        IntOp $1 $1 + 1
        IntCmp $1 50 done loop done
    done:
FunctionEnd
!macroend
!insertmacro CloseWindow ""
!insertmacro CloseWindow "un."

Section "${NAME}"
    SetShellVarContext current
    Call CloseWindow
    SetOutPath "$INSTDIR"
    File "${BUILD}\vorindaili.exe"
    File "${BUILD}\vorindaili-cli.exe"
    File "/oname=sources.txt" "${SOURCE}\assets\sources.txt"
    File "/oname=judges.txt" "${SOURCE}\assets\judges.txt"
    File "/oname=COPYING.txt" "${SOURCE}\COPYING"
    File "${BUILD}\THIRD-PARTY-NOTICES.txt"
    File "/oname=README.md" "${SOURCE}\README.md"
    SetOutPath "$INSTDIR\GeoIP"
    File "${GEOIP}\GeoIP.dat"
    File "${GEOIP}\GeoIPv6.dat"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\vorindaili.exe" "" "$INSTDIR\vorindaili.exe" 0
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vorindaili.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "VORINSOFT"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's own files (%APPDATA%\vorindaili) and settings stay: they are the user's, not the program's. A
; desktop left pointing at the program's local relay gets its earlier settings back first: the relay goes
; with the program. The command-line program puts back a relay that no longer runs as any start of it does
; (proxy show), and stops the system proxy of one still running.
Section "Uninstall"
    SetShellVarContext current
    Call un.CloseWindow
    ReadRegDWORD $0 HKCU "${PROGRAM_KEY}" "relayactive"
    IntCmp $0 1 0 relay_done relay_done
        ExecWait '"$INSTDIR\vorindaili-cli.exe" proxy show'
        ReadRegDWORD $0 HKCU "${PROGRAM_KEY}" "relayactive"
        IntCmp $0 1 0 relay_done relay_done
        ExecWait '"$INSTDIR\vorindaili-cli.exe" proxy stop'
        WriteRegDWORD HKCU "${PROGRAM_KEY}" "relayactive" 0
    relay_done:
    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\vorindaili.exe"
    Delete "$INSTDIR\vorindaili-cli.exe"
    Delete "$INSTDIR\sources.txt"
    Delete "$INSTDIR\judges.txt"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\GeoIP\GeoIP.dat"
    Delete "$INSTDIR\GeoIP\GeoIPv6.dat"
    RMDir "$INSTDIR\GeoIP"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
