; The Windows installer of Velmiro: per user, no administrator rights, 64-bit.
; Built by tools/installer.sh, which passes on the command line:
;   VERSION    the project version, e.g. 1.00
;   VIVERSION  the same as four numbers, e.g. 1.0.0.0
;   FILES      an .nsh with the macros INSTALL_FILES and UNINSTALL_FILES: the zip's files
;   LICENSE    the licence, shown before the install
;   ICON       the icon of the programs
;   OUTFILE    the installer to write
; Switches beside NSIS's own /S and /D=folder:
;   /PATH   (install) puts velmiro-cli's folder on the user's PATH
;   /PURGE  (uninstall) removes the settings too, which a silent uninstall keeps

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include "${FILES}"

!define UNINST_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINST_KEY "${UNINST_PARENT}\Velmiro"
!define SETTINGS_KEY "Software\Velmiro"
!define MODI_LINK "$SMPROGRAMS\Velmiro – tutti i modi.lnk"

Name "Velmiro"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velmiro"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Velmiro ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VIVERSION}"
VIFileVersion "${VIVERSION}"
VIAddVersionKey /LANG=1040 "ProductName" "Velmiro"
VIAddVersionKey /LANG=1040 "CompanyName" "Velmiro"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di Velmiro"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "Licenza MIT"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${MUI_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmiro.exe"
!define MUI_FINISHPAGE_NOREBOOTSUPPORT

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Le impostazioni di Velmiro (quarzo, baud rate, elenchi) restano per un'installazione futura, a meno di spuntarle qui."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Italian"

LangString PathNotAdded ${LANG_ITALIAN} "Il PATH dell'utente è troppo lungo per essere modificato qui. Per usare velmiro-cli da ogni cartella, aggiungere a mano $\"$0$\" alla variabile Path."
LangString ProgramRunning ${LANG_ITALIAN} "Velmiro è aperto: chiuderlo e scegliere Riprova."
LangString PathNotRemoved ${LANG_ITALIAN} "Il PATH dell'utente è troppo lungo per essere modificato qui: togliere a mano $\"$0$\" dalla variabile Path."

; ---- The user's PATH ------------------------------------------------------------------
; HKCU\Environment\Path, edited as one string. NSIS strings hold NSIS_MAX_STRLEN (1024)
; characters: a longer PATH would come back cut, and written back it would lose the rest,
; so its size is asked of Windows first and a PATH that does not fit is left alone.
; Each function takes the folder in $0 and leaves the registers it uses as it found them.

; PATH_READ: $1 = the value, $2 = its type (1 REG_SZ, 2 REG_EXPAND_SZ; 0 absent);
; error flag set when it is there but cannot be edited here (too long, another type).
!macro PATH_READ
    ClearErrors
    ; RRF_RT_ANY | RRF_NOEXPAND: the type and size in bytes, %variables% left as written.
    ; HKEY_CURRENT_USER is (HKEY)(LONG)0x80000001, sign-extended to 64 bits.
    System::Call 'advapi32::RegGetValueW(p -2147483647, w "Environment", w "Path", \
        i 0x1000FFFF, *i .r2, p 0, *i .r3) i .r4'
    StrCpy $1 ""
    ${If} $4 = 2 ; ERROR_FILE_NOT_FOUND
        StrCpy $2 0
    ${ElseIf} $4 <> 0
    ${OrIf} $3 > 1800 ; bytes: 900 characters and the folder must fit in 1024
        SetErrors
    ${ElseIf} $2 <> 1
    ${AndIf} $2 <> 2
        SetErrors
    ${Else}
        ReadRegStr $1 HKCU "Environment" "Path"
        ClearErrors
    ${EndIf}
!macroend

; PATH_WRITE: writes $1 with type $2 (a new value is REG_EXPAND_SZ, as Windows makes it),
; deletes the value when $1 is empty, and tells the running programs.
!macro PATH_WRITE
    ${If} $1 == ""
        DeleteRegValue HKCU "Environment" "Path"
    ${ElseIf} $2 = 1
        WriteRegStr HKCU "Environment" "Path" $1
    ${Else}
        WriteRegExpandStr HKCU "Environment" "Path" $1
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

; PATH_FIND: $5 = where ";$0;" last starts in ";$1;" (compared ignoring case, as Windows
; compares paths), -1 if nowhere. $6 = ";$1;", $7 = ";$0;".
!macro PATH_FIND
    StrCpy $6 ";$1;"
    StrCpy $7 ";$0;"
    StrLen $8 $7
    StrLen $5 $6
    IntOp $5 $5 - $8
    ${DoWhile} $5 >= 0
        StrCpy $9 $6 $8 $5
        ${IfThen} $9 == $7 ${|} ${ExitDo} ${|}
        IntOp $5 $5 - 1
    ${Loop}
!macroend

; Adds $0 at the end of PATH unless it is there; $0 = "" afterwards when nothing was added.
Function PathAdd
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    Push $8
    Push $9
    !insertmacro PATH_READ
    ${If} ${Errors}
        DetailPrint "PATH troppo lungo o di un tipo inatteso: $0 non vi è aggiunta."
        MessageBox MB_ICONEXCLAMATION "$(PathNotAdded)" /SD IDOK
        StrCpy $0 ""
    ${Else}
        !insertmacro PATH_FIND
        ${If} $5 >= 0
            StrCpy $0 "" ; already there, put by the user: not ours to remove later
        ${Else}
            ${If} $1 == ""
                StrCpy $1 $0
            ${Else}
                StrCpy $1 "$1;$0"
            ${EndIf}
            ${IfThen} $2 = 0 ${|} StrCpy $2 2 ${|}
            !insertmacro PATH_WRITE
            DetailPrint "PATH: aggiunta $0"
        ${EndIf}
    ${EndIf}
    Pop $9
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

!macro PATH_REMOVE UN
; Takes the last ";$0" (or "$0;", or all of it) out of PATH and leaves the rest as it is.
Function ${UN}PathRemove
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    Push $8
    Push $9
    !insertmacro PATH_READ
    ${If} ${Errors}
        MessageBox MB_ICONEXCLAMATION "$(PathNotRemoved)" /SD IDOK
    ${Else}
        !insertmacro PATH_FIND
        ${If} $5 >= 0
            ; ";a;b;c;" less ";b" at $5 is ";a;c;"; then the outer ";" go.
            StrCpy $9 $6 $5
            StrLen $3 $0
            IntOp $3 $3 + $5
            IntOp $3 $3 + 1
            StrCpy $3 $6 "" $3
            StrCpy $1 "$9$3" -1 1
            !insertmacro PATH_WRITE
            DetailPrint "PATH: tolta $0"
        ${EndIf}
    ${EndIf}
    Pop $9
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
FunctionEnd
!macroend
!insertmacro PATH_REMOVE ""
!insertmacro PATH_REMOVE "un."

; A running velmiro.exe can be neither replaced nor deleted: it is closed first, or nothing
; is done (silently: the install or uninstall fails, with status 2).
!macro CLOSED_FIRST
    ${DoWhile} ${FileExists} "$INSTDIR\velmiro.exe"
        ClearErrors
        FileOpen $0 "$INSTDIR\velmiro.exe" a
        ${IfNot} ${Errors}
            FileClose $0
            ${ExitDo}
        ${EndIf}
        ${IfCmd} MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" \
            /SD IDCANCEL IDCANCEL ${||} Abort ${|}
    ${Loop}
!macroend

; ---- Install ----------------------------------------------------------------------------

Section "Velmiro (finestra e riga di comando)" SecProgram
    SectionIn RO
    !insertmacro CLOSED_FIRST
    ; On a new profile the per-user programs folder and the key of the Apps & features
    ; entries may not be there yet: made here, they are the uninstaller's to remove.
    ClearErrors
    EnumRegKey $0 HKCU "${UNINST_PARENT}" 0
    ${If} ${Errors}
        WriteRegDWORD HKCU "${UNINST_KEY}" "UninstallKeyMade" 1
    ${EndIf}
    ${IfNot} ${FileExists} "$LOCALAPPDATA\Programs\*.*"
        WriteRegDWORD HKCU "${UNINST_KEY}" "ProgramsFolderMade" 1
    ${EndIf}
    SetOutPath "$INSTDIR"
    !insertmacro INSTALL_FILES
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Velmiro.lnk" "$INSTDIR\velmiro.exe" "" \
        "$INSTDIR\velmiro.exe" 0 SW_SHOWNORMAL "" "Calcolo del generatore di baud rate dei PIC"
    CreateShortcut "${MODI_LINK}" "$INSTDIR\velmiro.exe" "--modi" \
        "$INSTDIR\velmiro.exe" 0 SW_SHOWNORMAL "" "I modi, la tabella e i quarzi a confronto"

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Velmiro"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Velmiro"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velmiro.exe,0"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "velmiro-cli nel PATH (da ogni cartella)" SecPath
SectionEnd

; The PATH as chosen: an entry of an earlier install that is no longer wanted (not chosen
; now, or another folder) goes; the chosen one comes. "CliPath" keeps what was added.
Section "-PATH"
    ReadRegStr $R0 HKCU "${UNINST_KEY}" "CliPath"
    StrCpy $R1 ""
    ${If} ${SectionIsSelected} ${SecPath}
        StrCpy $R1 "$INSTDIR"
    ${EndIf}
    ${If} $R0 != ""
    ${AndIf} $R0 != $R1
        StrCpy $0 $R0
        Call PathRemove
        DeleteRegValue HKCU "${UNINST_KEY}" "CliPath"
    ${EndIf}
    ${If} $R1 != ""
    ${AndIf} $R0 != $R1
        StrCpy $0 $R1
        Call PathAdd
        ${IfThen} $0 != "" ${|} WriteRegStr HKCU "${UNINST_KEY}" "CliPath" $0 ${|}
    ${EndIf}
SectionEnd

Function .onInit
    ; The PATH choice of an earlier install is the default; /PATH chooses it too.
    ReadRegStr $0 HKCU "${UNINST_KEY}" "CliPath"
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/PATH" $2
    ${If} $0 != ""
    ${OrIfNot} ${Errors}
        !insertmacro SelectSection ${SecPath}
    ${EndIf}
FunctionEnd

; ---- Uninstall --------------------------------------------------------------------------

Section "un.Velmiro: programmi, collegamenti, voce in App"
    SectionIn RO
    !insertmacro CLOSED_FIRST
    !insertmacro UNINSTALL_FILES
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Velmiro.lnk"
    Delete "${MODI_LINK}"

    ReadRegStr $0 HKCU "${UNINST_KEY}" "CliPath"
    ${IfThen} $0 != "" ${|} Call un.PathRemove ${|}
    ReadRegDWORD $0 HKCU "${UNINST_KEY}" "ProgramsFolderMade"
    ${IfThen} $0 = 1 ${|} RMDir "$LOCALAPPDATA\Programs" ${|}
    ReadRegDWORD $1 HKCU "${UNINST_KEY}" "UninstallKeyMade"
    DeleteRegKey HKCU "${UNINST_KEY}"
    ${IfThen} $1 = 1 ${|} DeleteRegKey /ifempty HKCU "${UNINST_PARENT}" ${|}
SectionEnd

Section /o "un.Impostazioni di Velmiro" SecSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

; The uninstaller runs from a copy in a folder of its own in the temporary folder, which
; NSIS deletes as Windows starts again; the folder, asked to go before the copy, would stay.
Function un.onUninstSuccess
    ${If} $EXEDIR != $INSTDIR
        RMDir /REBOOTOK $EXEDIR
    ${EndIf}
FunctionEnd

Function un.onInit
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/PURGE" $2
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecSettings}
    ${EndIf}
FunctionEnd
