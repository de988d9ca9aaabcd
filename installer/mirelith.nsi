; The Windows installer: mirelith-<version>-setup.exe, for the 32-bit program.
;
;   makensis -DVERSION=1.0.0 -DOUTFILE=<setup.exe> -DMIRELITH_EXE=<mirelith.exe>
;            -DMIRELITH_COM=<mirelith.com> -DHEX2FLS_EXE=<hex2fls.exe> -DREADME=<README.md>
;            mirelith.nsi
;
; Installs into Program Files\Mirelith (or /D=), with a Start-menu shortcut and an entry in the
; list of installed programs; /S installs and uninstalls without a question. It is made for
; software distribution, which reads only the exit code, so a run either installs everything
; or leaves the previous state as it was:
;   0  installed (or uninstalled)
;   1  cancelled by the user (interactive only)
;   2  stopped for another reason (NSIS's own)
;   3  a copy of Mirelith is running from this folder: nothing was changed
;   4  the folder or the registry could not be written: nothing was changed
;   5  /UNINSTALL found no installed Mirelith
; The uninstaller (uninstall.exe /S, as the list of installed programs calls it) copies itself
; to the temporary folder and returns at once, as every NSIS uninstaller does, so its exit code
; says only that it started. For a removal whose end and exit code a script waits for, the same
; setup program is run with /S /UNINSTALL: it removes the installed version (the folder from the
; registry, or /D=) exactly as the uninstaller does, and returns the codes above.
; New files are unpacked beside the installed ones first, the installed version's files (as
; its list names them) are moved aside, the new ones moved in, and only then is the old set
; removed; a failure on the way moves everything back. So an upgrade keeps no stale file of an
; older version, and never leaves half of one.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirelith"
; Held by every running mirelith.exe and mirelith.com (see main/win32/Program.cpp).
!define RUNNING_MUTEX "Global\MirelithProgramRunning"
; The names of the installed files, one a line (the list itself aside): what an upgrade
; replaces and an uninstall removes. Anything else in the folder (qemnuv.ini, firmware files,
; a log) is the user's.
!define FILE_LIST "installed-files.txt"
!define STAGE_NEW ".setup-new"
!define STAGE_OLD ".setup-old"
!define EXIT_RUNNING 3
!define EXIT_CANNOT_WRITE 4
!define EXIT_NOT_INSTALLED 5

Name "Mirelith ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Mirelith"
; An upgrade goes where the installed version is, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Mirelith"
VIAddVersionKey "CompanyName" "Mirelith"
VIAddVersionKey "FileDescription" "Mirelith printer firmware downloader setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Mirelith maintainers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var previousVersion
Var uninstalling

; Ends the run with code when a copy of the program is running: its files cannot be replaced
; (Windows keeps a running program's file open) and removing it would pull it from under a
; download in progress.
!macro DEFINE_REFUSE_WHILE_RUNNING PREFIX
Function ${PREFIX}RefuseWhileRunning
    ; A copy another user started may not let us open its mutex: that it exists is enough.
    System::Call 'kernel32::OpenMutex(i 0x00100000, i 0, t "${RUNNING_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 <> 0
    ${OrIf} $1 = 5
        ${If} $0 <> 0
            System::Call 'kernel32::CloseHandle(p r0)'
        ${EndIf}
        SetErrorLevel ${EXIT_RUNNING}
        MessageBox MB_OK|MB_ICONSTOP "Mirelith is running. Close it and try again." /SD IDOK
        Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_REFUSE_WHILE_RUNNING ""
!insertmacro DEFINE_REFUSE_WHILE_RUNNING "un."

; Calls function (with $R0 = a file name) for each name in the list file $R1; a folder
; installed before the list existed (the zip's files) is described by the names it had.
!macro DEFINE_FOR_EACH_LISTED PREFIX
Function ${PREFIX}ForEachListed
    ; $R1: list file, $R2: address of the function to call
    ${IfNot} ${FileExists} "$R1"
        ${ForEach} $R3 0 3 + 1
            ${Select} $R3
            ${Case} 0
                StrCpy $R0 "mirelith.exe"
            ${Case} 1
                StrCpy $R0 "mirelith.com"
            ${Case} 2
                StrCpy $R0 "hex2fls.exe"
            ${Case} 3
                StrCpy $R0 "README.md"
            ${EndSelect}
            Call $R2
        ${Next}
        Return
    ${EndIf}
    ClearErrors
    FileOpen $R4 "$R1" r
    ${If} ${Errors}
        Return
    ${EndIf}
    ${Do}
        ClearErrors
        FileRead $R4 $R0
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        ; the line without its CR LF
        ${Do}
            StrCpy $R5 $R0 1 -1
            ${If} $R5 == "$\n"
            ${OrIf} $R5 == "$\r"
                StrCpy $R0 $R0 -1
            ${Else}
                ${Break}
            ${EndIf}
        ${Loop}
        ${If} $R0 != ""
            Call $R2
        ${EndIf}
    ${Loop}
    FileClose $R4
FunctionEnd
!macroend
!insertmacro DEFINE_FOR_EACH_LISTED ""
!insertmacro DEFINE_FOR_EACH_LISTED "un."

; $R0 from the folder into the old stage; $R9 = 1 on a failure.
Function MoveAside
    ${If} ${FileExists} "$INSTDIR\$R0"
        ClearErrors
        Rename "$INSTDIR\$R0" "$INSTDIR\${STAGE_OLD}\$R0"
        ${If} ${Errors}
            StrCpy $R9 1
        ${EndIf}
    ${EndIf}
FunctionEnd

; $R0 from the new stage into the folder; $R9 = 1 on a failure.
Function MoveIn
    ClearErrors
    Rename "$INSTDIR\${STAGE_NEW}\$R0" "$INSTDIR\$R0"
    ${If} ${Errors}
        StrCpy $R9 1
    ${EndIf}
FunctionEnd

; Undoing MoveIn for $R0: a new file that made it into the folder goes back to the stage.
Function MoveBackOut
    ${If} ${FileExists} "$INSTDIR\$R0"
    ${AndIfNot} ${FileExists} "$INSTDIR\${STAGE_NEW}\$R0"
        Rename "$INSTDIR\$R0" "$INSTDIR\${STAGE_NEW}\$R0"
    ${EndIf}
FunctionEnd

; Every file of the old stage back into the folder.
Function RestoreOld
    FindFirst $R6 $R7 "$INSTDIR\${STAGE_OLD}\*"
    ${DoWhile} $R7 != ""
        ${If} $R7 != "."
        ${AndIf} $R7 != ".."
            Rename "$INSTDIR\${STAGE_OLD}\$R7" "$INSTDIR\$R7"
        ${EndIf}
        FindNext $R6 $R7
    ${Loop}
    FindClose $R6
FunctionEnd

Function FailCannotWrite
    RMDir /r "$INSTDIR\${STAGE_NEW}"
    RMDir /r "$INSTDIR\${STAGE_OLD}"
    SetErrorLevel ${EXIT_CANNOT_WRITE}
    MessageBox MB_OK|MB_ICONSTOP "Mirelith could not be installed in $INSTDIR: it cannot be written there. Nothing was changed." /SD IDOK
    Quit
FunctionEnd

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/UNINSTALL" $1
    ${IfNot} ${Errors}
        StrCpy $uninstalling 1
    ${EndIf}
FunctionEnd

Section "Mirelith"
    SetShellVarContext all
    ${If} $uninstalling == 1
        ${IfNot} ${FileExists} "$INSTDIR\${FILE_LIST}"
        ${AndIfNot} ${FileExists} "$INSTDIR\uninstall.exe"
            SetErrorLevel ${EXIT_NOT_INSTALLED}
            MessageBox MB_OK|MB_ICONSTOP "No Mirelith is installed in $INSTDIR." /SD IDOK
            Quit
        ${EndIf}
        Call RemoveInstalled
        Return
    ${EndIf}
    Call RefuseWhileRunning

    ; Does the folder take files at all? Asked before anything is changed.
    ClearErrors
    CreateDirectory "$INSTDIR"
    FileOpen $0 "$INSTDIR\.setup-probe" w
    ${If} ${Errors}
        Call FailCannotWrite
    ${EndIf}
    FileClose $0
    Delete "$INSTDIR\.setup-probe"

    ; The new files, unpacked beside the installed ones (the same volume: moving them in is a
    ; rename that cannot run out of space half-way).
    RMDir /r "$INSTDIR\${STAGE_NEW}"
    RMDir /r "$INSTDIR\${STAGE_OLD}"
    ClearErrors
    CreateDirectory "$INSTDIR\${STAGE_NEW}"
    CreateDirectory "$INSTDIR\${STAGE_OLD}"
    SetOutPath "$INSTDIR\${STAGE_NEW}"
    File "/oname=mirelith.exe" "${MIRELITH_EXE}"
    File "/oname=mirelith.com" "${MIRELITH_COM}"
    File "/oname=hex2fls.exe" "${HEX2FLS_EXE}"
    File "/oname=README.md" "${README}"
    WriteUninstaller "$INSTDIR\${STAGE_NEW}\uninstall.exe"
    FileOpen $0 "$INSTDIR\${STAGE_NEW}\${FILE_LIST}" w
    FileWrite $0 "mirelith.exe$\r$\nmirelith.com$\r$\nhex2fls.exe$\r$\nREADME.md$\r$\nuninstall.exe$\r$\n"
    FileClose $0
    SetOutPath "$INSTDIR"
    ${If} ${Errors}
        Call FailCannotWrite
    ${EndIf}

    ; The installed version's files aside (its list last, once read), the new ones in (their
    ; list last, so that a failure half-way still knows what went in).
    StrCpy $R9 0
    StrCpy $R1 "$INSTDIR\${FILE_LIST}"
    GetFunctionAddress $R2 MoveAside
    Call ForEachListed
    StrCpy $R0 "${FILE_LIST}"
    Call MoveAside
    ${If} $R9 == 0
        StrCpy $R1 "$INSTDIR\${STAGE_NEW}\${FILE_LIST}"
        GetFunctionAddress $R2 MoveIn
        Call ForEachListed
        ${If} $R9 == 0
            StrCpy $R0 "${FILE_LIST}"
            Call MoveIn
        ${EndIf}
        ${If} $R9 != 0
            GetFunctionAddress $R2 MoveBackOut
            StrCpy $R0 "${FILE_LIST}"
            Call MoveBackOut
            Call ForEachListed
        ${EndIf}
    ${EndIf}
    ${If} $R9 != 0
        Call RestoreOld
        Call FailCannotWrite
    ${EndIf}

    ; The entry in the list of installed programs.
    ReadRegStr $previousVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ClearErrors
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Mirelith"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Mirelith"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mirelith.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${If} ${Errors}
        ; Back to the previous files, and to the previous entry or none.
        GetFunctionAddress $R2 MoveBackOut
        StrCpy $R1 "$INSTDIR\${STAGE_NEW}\${FILE_LIST}"
        StrCpy $R0 "${FILE_LIST}"
        Call MoveBackOut
        Call ForEachListed
        Call RestoreOld
        ${If} $previousVersion == ""
            DeleteRegKey HKLM "${UNINSTALL_KEY}"
        ${Else}
            WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "$previousVersion"
        ${EndIf}
        Call FailCannotWrite
    ${EndIf}

    CreateShortCut "$SMPROGRAMS\Mirelith.lnk" "$INSTDIR\mirelith.exe" "" "$INSTDIR\mirelith.exe" 0
    RMDir /r "$INSTDIR\${STAGE_OLD}"
    RMDir /r "$INSTDIR\${STAGE_NEW}"
SectionEnd

; Removes what the list names, the shortcut and the entry. The folder goes only when it is
; empty then; logs (here or in each user's %LOCALAPPDATA%\Mirelith) stay.
!macro DEFINE_REMOVE PREFIX
Function ${PREFIX}RemoveListed
    Delete "$INSTDIR\$R0"
FunctionEnd

Function ${PREFIX}RemoveInstalled
    SetShellVarContext all
    Call ${PREFIX}RefuseWhileRunning
    StrCpy $R1 "$INSTDIR\${FILE_LIST}"
    GetFunctionAddress $R2 ${PREFIX}RemoveListed
    Call ${PREFIX}ForEachListed
    Delete "$INSTDIR\${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Mirelith.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
FunctionEnd
!macroend
!insertmacro DEFINE_REMOVE ""
!insertmacro DEFINE_REMOVE "un."

Section "Uninstall"
    Call un.RemoveInstalled
SectionEnd
