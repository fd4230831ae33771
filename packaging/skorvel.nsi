; The Windows installer of Skorvel. scripts/package compiles it with makensis
; and these definitions:
;   VERSION   the version resource's dotted version (resources/version.h)
;   TARGET    the installer's own kind: x86-unicode (shipped: it runs on 32-
;             and 64-bit Windows) or amd64-unicode (for the tests under a
;             Wine that runs 64-bit programs only)
;   ICON      the program's icon
;   PROGRAM64, PROGRAM32  the two release folders as the zips hold them
;             (Skorvel.exe, filters\skorvel\*.txt), every file dated alike
;   OUTFILE   the installer to write
;
; It installs the 64-bit program on 64-bit Windows and the 32-bit one
; elsewhere, into Program Files\Skorvel. Filter files the user changed are
; kept across upgrades and, unless the user asks otherwise, across uninstalls.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Skorvel"
!define PUBLISHER "Kavendo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skorvel"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; $PROGRAMFILES64 is the 64-bit Program Files on 64-bit Windows and the one
; Program Files elsewhere.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} - instalator"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include nsDialogs.nsh

!if ${NSIS_PTR_SIZE} > 4
    ; A 64-bit installer's ${RunningX64} is always true: its ${Else} is never reached.
    !pragma warning disable 6012
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Skorvel.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where Windows speaks neither.
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "English"

LangString UninstallTitle ${LANG_POLISH} "Odinstalowanie programu ${PRODUCT}"
LangString UninstallTitle ${LANG_ENGLISH} "Uninstall ${PRODUCT}"
LangString UninstallSubtitle ${LANG_POLISH} "Usunięcie programu ${PRODUCT} z komputera."
LangString UninstallSubtitle ${LANG_ENGLISH} "Remove ${PRODUCT} from this computer."
LangString UninstallText ${LANG_POLISH} "Program ${PRODUCT} zostanie usunięty z folderu $INSTDIR.$\r$\n$\r$\nPliki filtrów zmienione lub dodane przez Ciebie oraz dzienniki awarii (folder log) zostaną zachowane, chyba że zaznaczysz poniższe pole."
LangString UninstallText ${LANG_ENGLISH} "${PRODUCT} will be removed from $INSTDIR.$\r$\n$\r$\nThe filter files you changed or added and the crash logs (the log folder) are kept unless you tick the box below."
LangString RemoveUserFiles ${LANG_POLISH} "Usuń także moje pliki filtrów i dzienniki awarii"
LangString RemoveUserFiles ${LANG_ENGLISH} "Also remove my filter files and the crash logs"

Function .onInit
    ; The 64-bit program's uninstall entry belongs in the 64-bit registry.
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
FunctionEnd

Section "Skorvel"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    ${If} ${RunningX64}
        File "${PROGRAM64}/Skorvel.exe"
    ${Else}
        File "${PROGRAM32}/Skorvel.exe"
    ${EndIf}

    ; A shipped list goes in only where no file of its name exists, so an
    ; upgrade keeps the lists the user edited.
    SetOutPath "$INSTDIR\filters\skorvel"
    SetOverwrite off
    File "${PROGRAM64}/filters/skorvel/*.txt"
    SetOverwrite on

    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Skorvel.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Skorvel.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- the uninstaller -------------------------------------------------------

Var RemoveUserFiles ; "1": the user ticked the box; silent uninstalls leave it unset
Var RemoveUserFilesBox

Function un.onInit
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
FunctionEnd

Function un.OptionsPage
    !insertmacro MUI_HEADER_TEXT "$(UninstallTitle)" "$(UninstallSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 60u "$(UninstallText)"
    Pop $0
    ${NSD_CreateCheckbox} 0 70u 100% 12u "$(RemoveUserFiles)"
    Pop $RemoveUserFilesBox
    nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
    ${NSD_GetState} $RemoveUserFilesBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $RemoveUserFiles 1
    ${EndIf}
FunctionEnd

; Sets $R0 to 1 when the files $R1 and $R2 hold the same bytes, else to 0.
Function un.SameBytes
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    Push $R7
    Push $R8
    StrCpy $R0 0
    ClearErrors
    FileOpen $R3 "$R1" r
    ${IfNot} ${Errors}
        FileOpen $R4 "$R2" r
        ${IfNot} ${Errors}
            FileSeek $R3 0 END $R5
            FileSeek $R4 0 END $R6
            ${If} $R5 = $R6
                FileSeek $R3 0 SET
                FileSeek $R4 0 SET
                StrCpy $R0 1
                ${DoWhile} $R5 > 0
                    FileReadByte $R3 $R7
                    FileReadByte $R4 $R8
                    ${If} $R7 != $R8
                        StrCpy $R0 0
                        ${Break}
                    ${EndIf}
                    IntOp $R5 $R5 - 1
                ${Loop}
            ${EndIf}
            FileClose $R4
        ${EndIf}
        FileClose $R3
    ${EndIf}
    Pop $R8
    Pop $R7
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
FunctionEnd

; Removes the shipped lists that still hold what was shipped; lists the user
; changed or added stay.
Function un.RemoveUnchangedLists
    InitPluginsDir
    SetOutPath "$PLUGINSDIR\shipped"
    File "${PROGRAM64}/filters/skorvel/*.txt"
    SetOutPath "$PLUGINSDIR"
    FindFirst $0 $1 "$PLUGINSDIR\shipped\*.txt"
    ${DoWhile} $1 != ""
        StrCpy $R1 "$PLUGINSDIR\shipped\$1"
        StrCpy $R2 "$INSTDIR\filters\skorvel\$1"
        Call un.SameBytes
        ${If} $R0 = 1
            Delete "$R2"
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\Skorvel.exe"
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ${If} $RemoveUserFiles == 1
        RMDir /r "$INSTDIR\filters\skorvel"
        RMDir /r "$INSTDIR\log\skorvel"
    ${Else}
        Call un.RemoveUnchangedLists
    ${EndIf}
    ; Folders go only once empty: what the user keeps keeps them.
    RMDir "$INSTDIR\filters\skorvel"
    RMDir "$INSTDIR\filters"
    RMDir "$INSTDIR\log"
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
