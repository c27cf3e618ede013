; Dovrane's installer. scripts/release stages the files and passes:
;   VERSION       1.0.0, shown to the user and in Add or Remove Programs
;   VERSION_QUAD  1.0.0.0, for the installer's own version block
;   PUBLISHER     the maker's name
;   COPYRIGHT     the copyright line
;   STAGE         the folder holding Dovrane.exe, DOVRANE.HLP, Dovrane.adm and
;                 README.txt, and x64\ with the 64-bit Dovrane.exe and DOVRANE.HLP
;   ICON          the program's icon
;   OUTFILE       where the installer goes
; and, for the installer of the 64-bit program (Windows XP x64), X64.
; Built with NSIS 3; its stubs run on Windows XP and Windows XP x64.

!ifndef VERSION | VERSION_QUAD | PUBLISHER | COPYRIGHT | STAGE | ICON | OUTFILE
    !error "VERSION, VERSION_QUAD, PUBLISHER, COPYRIGHT, STAGE, ICON and OUTFILE come from scripts/release"
!endif

!define APP "Dovrane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

; The 64-bit installer is a 64-bit program itself: it sees the 64-bit
; Program Files and registry as they are, with no WOW64 redirection to get
; round. A 64-bit program cannot start on 32-bit Windows at all; Windows
; refuses it with its own message before any of this script runs.
!ifdef X64
    Target amd64-unicode
    !define TITLE "${APP} (x64)"
    !define OTHER_TITLE "${APP} (32-bit)"
    !define BIN "${STAGE}/x64"
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Unicode true
    !define TITLE "${APP}"
    !define OTHER_TITLE "${APP} (x64)"
    !define BIN "${STAGE}"
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${APP}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${TITLE} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${TITLE} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "TextFunc.nsh"
!include "x64.nsh"

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
    Please choose a new or empty folder for ${APP}, or the folder of an earlier ${APP}."
LangString NeedAdmin ${LANG_ENGLISH} "${APP} Setup needs an administrator account."
LangString OtherInstalled ${LANG_ENGLISH} "${OTHER_TITLE} is installed in $1.$\r$\n$\r$\n\
    Please uninstall it (Add or Remove Programs) before installing ${TITLE}."

; The banner images the program saved in its folder, one name a line. The
; program adds a name here before it writes the image of that name, so the
; uninstaller removes the banners it finds listed and nothing else: a
; picture of the user's is never taken for a banner by its extension.
!define BANNER_LIST "Dovrane-banners.txt"

; Pushes 1 when $INSTDIR holds a file of exactly the long name NAME, else 0.
; FindFirstFile (behind FindFirst, IfFileExists and Delete) also matches 8.3
; short names, so the name it reports must be the name asked for: "photo.jpg"
; must not be found as the short name of "photo.jpgx" or the like. Windows
; compares names without regard to case; so does StrCmp.
!macro DefineIsExactFile UN
Function ${UN}IsExactFile
    Exch $0 ; NAME
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $4 0
    ClearErrors
    FindFirst $1 $2 "$INSTDIR\$0"
    ${IfNot} ${Errors}
        FindClose $1
        StrLen $1 $0
        StrLen $3 $2
        ${If} $1 == $3
        ${AndIf} $2 == $0
        ${AndIfNot} ${FileExists} "$INSTDIR\$2\*.*" ; a folder
            StrCpy $4 1
        ${EndIf}
    ${EndIf}
    StrCpy $0 $4
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro DefineIsExactFile ""
!insertmacro DefineIsExactFile "un."

; The folder may be new, empty, or hold an earlier Dovrane.exe: never a
; folder of the user's, whatever its name. Pushes 1 when it is, else 0.
Function FolderIsOwn
    Push "Dovrane.exe"
    Call IsExactFile
    Pop $0
    ${If} $0 == 1
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

; Sets $1 to the folder of the other width's Dovrane when it is installed on
; this machine, else to "". The two would share the Start menu folder and
; its shortcuts (each uninstaller taking away the other's) and their entries
; in Add or Remove Programs would look alike: one Dovrane a machine. The
; 32-bit installer's entry lives in the 32-bit registry view, the 64-bit
; one's in the 64-bit view, which only 64-bit Windows has.
Function FindOtherWidth
    StrCpy $1 ""
!ifdef X64
    SetRegView 32
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    SetRegView 64
!else
    ${If} ${RunningX64}
        SetRegView 64
        ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
        SetRegView lastused
    ${EndIf}
!endif
FunctionEnd

Function .onInit
    SetShellVarContext all
!ifdef X64
    SetRegView 64
!endif
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
    Call FindOtherWidth
    ${If} $1 != ""
        MessageBox MB_OK|MB_ICONSTOP "$(OtherInstalled)" /SD IDOK
        SetErrorLevel 1
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
    File "${BIN}/Dovrane.exe"
    File "${BIN}/DOVRANE.HLP"
    File "${STAGE}/Dovrane.adm"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${APP}"
    CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\Dovrane.exe"
    CreateShortcut "$SMPROGRAMS\${APP}\${APP} Help.lnk" "$INSTDIR\DOVRANE.HLP"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${TITLE}"
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
!ifdef X64
    SetRegView 64
!endif
FunctionEnd

; Deletes $INSTDIR\NAME when it is a file of exactly that name.
Function un.DeleteExact
    Exch $0 ; NAME
    Push $1
    Push $0
    Call un.IsExactFile
    Pop $1
    ${If} $1 == 1
        Delete "$INSTDIR\$0"
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd
!macro DeleteExact NAME
    Push "${NAME}"
    Call un.DeleteExact
!macroend

; Pushes 1 when NAME is one the program may have given a banner: letters,
; digits, '.', '-' and '_' only (no folder, drive, stream or wildcard), a
; name before the last dot, and the extension .gif, .jpg, .jpeg or .bmp.
; A line of the list that is anything else is left alone.
Function un.IsBannerName
    Exch $0 ; NAME
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    StrCpy $5 0 ; the answer, until the name has passed
    StrLen $1 $0
    StrCpy $2 0
    ${DoWhile} $2 < $1
        StrCpy $3 $0 1 $2
        ; StrCmp ignores case: one half of the alphabet suffices.
        StrCpy $4 "abcdefghijklmnopqrstuvwxyz0123456789.-_"
        ${Do}
            ${If} $4 == ""
                Goto answer
            ${EndIf}
            StrCpy $6 $4 1
            ${If} $6 == $3
                ${Break}
            ${EndIf}
            StrCpy $4 $4 "" 1
        ${Loop}
        IntOp $2 $2 + 1
    ${Loop}
    ; The last dot, and something before it.
    IntOp $2 $1 - 1
    ${DoWhile} $2 > 0
        StrCpy $3 $0 1 $2
        ${If} $3 == "."
            ${Break}
        ${EndIf}
        IntOp $2 $2 - 1
    ${Loop}
    ${If} $2 > 0
        IntOp $2 $2 + 1
        StrCpy $3 $0 "" $2
        ${If} $3 == "gif"
        ${OrIf} $3 == "jpg"
        ${OrIf} $3 == "jpeg"
        ${OrIf} $3 == "bmp"
            StrCpy $5 1
        ${EndIf}
    ${EndIf}
answer:
    StrCpy $0 $5
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Deletes the banners named in the program's list, then the list. A line
; FileRead gives without its line end is a line cut short (too long, a NUL,
; the end of a file written halfway): it and its rest are skipped.
Function un.DeleteBanners
    Push ${BANNER_LIST}
    Call un.IsExactFile
    Pop $0
    ${If} $0 != 1
        Return
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\${BANNER_LIST}" r
    ${If} ${Errors}
        Return
    ${EndIf}
    StrCpy $3 1 ; 1: the next chunk starts a line
    ${Do}
        ClearErrors
        FileRead $0 $1
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        StrCpy $2 $1 1 -1
        ${If} $2 == "$\n"
        ${OrIf} $2 == "$\r"
            ${If} $3 == 1
                ${TrimNewLines} "$1" $1
                Push $1
                Call un.IsBannerName
                Pop $2
                ${If} $2 == 1
                    !insertmacro DeleteExact $1
                ${EndIf}
            ${EndIf}
            StrCpy $3 1
        ${Else}
            StrCpy $3 0
        ${EndIf}
    ${Loop}
    FileClose $0
    !insertmacro DeleteExact "${BANNER_LIST}"
FunctionEnd

; Removes what the installer put there, the banner images the program
; listed and the index files Windows Help keeps beside the help file, each
; by its exact name; anything else (a file of the user's) keeps the folder.
Section "Uninstall"
    Call un.DeleteBanners
    !insertmacro DeleteExact "Dovrane.exe"
    !insertmacro DeleteExact "DOVRANE.HLP"
    !insertmacro DeleteExact "Dovrane.adm"
    !insertmacro DeleteExact "README.txt"
    !insertmacro DeleteExact "DOVRANE.GID"
    !insertmacro DeleteExact "DOVRANE.FTS"
    !insertmacro DeleteExact "DOVRANE.FTG"
    !insertmacro DeleteExact "Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
    Delete "$SMPROGRAMS\${APP}\${APP} Help.lnk"
    RMDir "$SMPROGRAMS\${APP}"

    DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
