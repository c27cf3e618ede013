; Dovrane's installer. scripts/release stages the files and passes:
;   VERSION       1.0.0, shown to the user and in Add or Remove Programs
;   VERSION_QUAD  1.0.0.0, for the installer's own version block
;   PUBLISHER     the maker's name
;   COPYRIGHT     the copyright line
;   STAGE         the folder holding Dovrane.exe, DOVRANE.HLP and README.txt
;   ICON          the program's icon
;   OUTFILE       where the installer goes
; Built with NSIS 3; its stub runs on Windows XP.

!ifndef VERSION | VERSION_QUAD | PUBLISHER | COPYRIGHT | STAGE | ICON | OUTFILE
    !error "VERSION, VERSION_QUAD, PUBLISHER, COPYRIGHT, STAGE, ICON and OUTFILE come from scripts/release"
!endif

!define APP "Dovrane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${APP}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Dovrane.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

LangString FolderNotOwn ${LANG_ENGLISH} "$INSTDIR already holds other files.$\r$\n$\r$\n\
    Please choose a new folder for ${APP}: the program keeps its own files there, \
    and uninstalling it removes them."
LangString NeedAdmin ${LANG_ENGLISH} "${APP} Setup needs an administrator account."

; The folder must be Dovrane's own (new, empty, named Dovrane, or holding an
; earlier Dovrane), since the uninstaller clears the banner images the program
; left in it and these have no fixed names. Leaves 1 on the stack when it is,
; else 0.
Function FolderIsOwn
    ${GetFileName} "$INSTDIR" $0
    ${If} $0 == "${APP}"
    ${OrIf} ${FileExists} "$INSTDIR\Dovrane.exe"
        Push 1
        Return
    ${EndIf}
    ClearErrors
    FindFirst $0 $1 "$INSTDIR\*"
    ${DoUntil} $1 == ""
        ${If} $1 != "."
        ${AndIf} $1 != ".."
            ${Break}
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
    ${If} $1 == ""
        Push 1
    ${Else}
        Push 0
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    Call FolderIsOwn
    Pop $0
    ${If} $0 != 1
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderNotOwn)"
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
FunctionEnd

Section "${APP}"
    SectionIn RO
    ; A silent install skips the folder page, so ask again here.
    Call FolderIsOwn
    Pop $0
    ${If} $0 != 1
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderNotOwn)" /SD IDOK
        Abort
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "${STAGE}/Dovrane.exe"
    File "${STAGE}/DOVRANE.HLP"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${APP}"
    CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\Dovrane.exe"
    CreateShortcut "$SMPROGRAMS\${APP}\${APP} Help.lnk" "$INSTDIR\DOVRANE.HLP"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Dovrane.exe,0"
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

; Removes what the installer put there, the banner images the program wrote
; beside itself and the index files Windows Help keeps beside the help file;
; anything else the user left keeps the folder.
Section "Uninstall"
    Delete "$INSTDIR\Dovrane.exe"
    Delete "$INSTDIR\DOVRANE.HLP"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\DOVRANE.GID"
    Delete "$INSTDIR\DOVRANE.FTS"
    Delete "$INSTDIR\DOVRANE.FTG"
    Delete "$INSTDIR\*.gif"
    Delete "$INSTDIR\*.jpg"
    Delete "$INSTDIR\*.jpeg"
    Delete "$INSTDIR\*.bmp"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
    Delete "$SMPROGRAMS\${APP}\${APP} Help.lnk"
    RMDir "$SMPROGRAMS\${APP}"

    DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
