; Purgello's installer and uninstaller, one script for both builds (make_release.sh runs it):
;   makensis -DTARGET=x86-unicode|amd64-unicode -DVERSION=1.2.3.4 -DSTAGE=<folder> -DOUTFILE=<setup.exe>
; STAGE holds the files to ship and files.nsh, the macro PURGELLO_FILES that names each of them.
; With -DSIGN_COMMAND=<sign.sh> -DUNINSTALLER_COPY=<file> the installer and uninstaller are signed.
;
; Switches besides NSIS's own /S and /D=: /VERYSILENT (no window at all), /LOG=<file> (a plain-text
; log of the run), /NOICONS (no Start-menu shortcut) and /FORCECLOSEAPPLICATIONS (a running
; Purgello is asked to close, as its close box does, and waited for). A file that cannot be
; replaced fails the installation with exit code 2 before anything is changed.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include "${STAGE}\files.nsh"

!define PRODUCT "Purgello"
!define MAKER "Halvoris"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_WINDOW_CLASS "PurgelloMainDlg"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
!if "${TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\${MAKER}\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${MAKER}\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) ${MAKER}"

!ifdef SIGN_COMMAND
  ; The installer and the uninstaller are signed as they are written; a copy of the
  ; signed uninstaller is kept for checking.
  !finalize '"${SIGN_COMMAND}" "%1"' = 0
  !uninstfinalize '"${SIGN_COMMAND}" "%1" "${UNINSTALLER_COPY}"' = 0
!endif

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var LogFile
Var NoIcons
Var ForceClose

; One line of the /LOG= file, when one was asked for. The file is opened for each line so that
; what was written survives a run that ends abruptly.
Function WriteLog
  Exch $0
  Push $1
  ${If} $LogFile != ""
    ClearErrors
    FileOpen $1 $LogFile a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWrite $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

!macro Log text
  Push `${text}`
  Call WriteLog
!macroend

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LOG=" $R1
  ${IfNot} ${Errors}
    StrCpy $LogFile $R1
    ClearErrors
    FileOpen $R2 $LogFile w
    ${IfNot} ${Errors}
      FileClose $R2
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/VERYSILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOICONS" $R1
  ${IfNot} ${Errors}
    StrCpy $NoIcons 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/FORCECLOSEAPPLICATIONS" $R1
  ${IfNot} ${Errors}
    StrCpy $ForceClose 1
  ${EndIf}
  !insertmacro Log "${PRODUCT} ${VERSION} setup (${TARGET}), parameters: $R0"
FunctionEnd

Function .onInstFailed
  !insertmacro Log "Installation failed"
FunctionEnd

; Asks each running Purgello to close, as its close box does (the close sequence stores the
; settings and lets go of the executable), and waits for its process to end.
Function CloseRunningProgram
  StrCpy $R3 0
  ${Do}
    FindWindow $R0 "${MAIN_WINDOW_CLASS}" ""
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    IntOp $R3 $R3 + 1
    ${If} $R3 > 5
      !insertmacro Log "Purgello is still running"
      ${Break}
    ${EndIf}
    !insertmacro Log "Closing the running Purgello"
    System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1)"
    ; SYNCHRONIZE
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2"
    System::Call "user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)"
    ${If} $R2 P<> 0
      System::Call "kernel32::WaitForSingleObject(p R2, i 60000) i .R4"
      System::Call "kernel32::CloseHandle(p R2)"
      ${If} $R4 == 0
        !insertmacro Log "Purgello has ended"
      ${Else}
        !insertmacro Log "Purgello did not end within 60 seconds"
        ${Break}
      ${EndIf}
    ${Else}
      Sleep 1000
    ${EndIf}
  ${Loop}
FunctionEnd

; Stops the installation, with exit code 2, on a file that cannot be replaced.
Function FailOnFile
  Exch $0
  !insertmacro Log "Cannot replace $0 (in use or not writable)"
  DetailPrint "Cannot replace $0 (in use or not writable)"
  SetErrorLevel 2
  Abort "Cannot replace $0"
FunctionEnd

; A file already in place must open for writing, or File would skip it silently.
Function CheckReplaceable
  Exch $0
  Push $1
  ${If} ${FileExists} "$INSTDIR\$0"
    ClearErrors
    FileOpen $1 "$INSTDIR\$0" a
    ${If} ${Errors}
      Push "$INSTDIR\$0"
      Call FailOnFile
    ${EndIf}
    FileClose $1
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

!macro CheckOne name
  Push "${name}"
  Call CheckReplaceable
!macroend

!macro InstallOne name
  ClearErrors
  File "${STAGE}\${name}"
  ${If} ${Errors}
    Push "$INSTDIR\${name}"
    Call FailOnFile
  ${EndIf}
  !insertmacro Log "Installed $INSTDIR\${name}"
!macroend

Section "Purgello"
  SetShellVarContext all
  !insertmacro Log "Installing into $INSTDIR"
  ${If} $ForceClose == 1
    Call CloseRunningProgram
  ${EndIf}
  ; Nothing is changed unless every file can be replaced.
  !insertmacro PURGELLO_FILES CheckOne
  !insertmacro CheckOne "uninstall.exe"

  ClearErrors
  CreateDirectory "$INSTDIR"
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    Push "$INSTDIR"
    Call FailOnFile
  ${EndIf}
  SetOverwrite on
  !insertmacro PURGELLO_FILES InstallOne
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    Push "$INSTDIR\uninstall.exe"
    Call FailOnFile
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${MAKER} ${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Purgello.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro Log "Registered ${MAKER} ${PRODUCT} ${VERSION} ($0 KB)"

  ${If} $NoIcons != 1
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Purgello.exe"
    !insertmacro Log "Shortcut $SMPROGRAMS\${PRODUCT}.lnk"
  ${EndIf}
  !insertmacro Log "Installation finished"
SectionEnd

!macro RemoveOne name
  Delete "$INSTDIR\${name}"
!macroend

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VERYSILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro PURGELLO_FILES RemoveOne
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The maker's folder goes only when no other product of the maker lies in it.
  RMDir "$INSTDIR\.."
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The start-up entry and the program's path in the maker's branch, when they name this copy.
  SetShellVarContext current
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == '"$INSTDIR\Purgello.exe" /minimized'
  ${OrIf} $0 == '$INSTDIR\Purgello.exe /minimized'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  ReadRegStr $0 HKCU "Software\${MAKER}" "${PRODUCT}"
  ${If} $0 == "$INSTDIR\Purgello.exe"
    DeleteRegValue HKCU "Software\${MAKER}" "${PRODUCT}"
  ${EndIf}
  ; The files the program writes in its data folder: its log and a previous update's installer
  ; and log. Only those: anything else there is the user's, and the folders stay unless empty.
  Delete "$APPDATA\${MAKER}\${PRODUCT}\Purgello.log"
  Delete "$APPDATA\${MAKER}\${PRODUCT}\update.exe"
  Delete "$APPDATA\${MAKER}\${PRODUCT}\update.log"
  RMDir "$APPDATA\${MAKER}\${PRODUCT}"
  RMDir "$APPDATA\${MAKER}"

  MessageBox MB_YESNO|MB_ICONQUESTION "Remove Purgello's settings as well?" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "Software\${MAKER}\${PRODUCT}"
  keep_settings:
  DeleteRegKey /ifempty HKCU "Software\${MAKER}"
SectionEnd
