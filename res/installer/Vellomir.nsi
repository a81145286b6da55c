; The per-user installer of Vellomir, built by scripts/package:
;   makensis -DVERSION=1.1 -DSTAGE=<folder with the program files>
;            -DOUTFILE=<setup.exe> -DICON=<app.ico> Vellomir.nsi
;
; Vellomir keeps its data beside the exe, so it must live in a folder the
; user can write: it goes to %LOCALAPPDATA%\Programs\Vellomir, for the
; current user, without administrator rights. An upgrade replaces the program
; files only; events.ini, birthdays.ini, config.cfg and log.txt are never
; touched, and the uninstaller keeps them unless asked to remove them
; ("Also remove my reminders and birthdays", or /REMOVEDATA with /S).

; Vellomir.exe is a 64-bit program: so is its installer, which then also runs
; where only 64-bit Windows programs can (Wine without its 32-bit part).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define APP "Vellomir"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellomir"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The main window, and the command of its tray menu's Exit.
!define MAIN_CLASS "TfrmMainList"
!define MAIN_CAPTION "Main Window"
!define IDM_TRAY_EXIT 3125

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
BrandingText "${APP} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "The Vellomir developers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vellomir.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vellomir now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the short guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_WELCOMEPAGE_TEXT "This installs ${APP} ${VERSION} for you ($INSTDIR).$\r$\n$\r$\nIf ${APP} is already installed, it is updated; your reminders, birthdays and settings are kept.$\r$\n$\r$\nClick Next to continue."
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${APP} will be removed from $INSTDIR. Your reminders and birthdays stay there unless you choose otherwise on the next page."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends a running Vellomir through its own Exit command, so that it saves
; its settings and the files can be replaced; waits up to ten seconds.
!macro CLOSE_RUNNING un
Function ${un}CloseRunning
  FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${APP} ..."
  SendMessage $0 ${WM_COMMAND} ${IDM_TRAY_EXIT} 0 /TIMEOUT=5000
  StrCpy $1 0
  ${Do}
    Sleep 200
    FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
    ${If} $0 == 0
      Sleep 300  ; the process ends a moment after its window
      Return
    ${EndIf}
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 50
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

Section "${APP}" SecProgram
  SectionIn RO
  SetShellVarContext current
  Call CloseRunning
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\Vellomir.exe"
  File "${STAGE}\Readme.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\ART-LICENSE.txt"
  SetOutPath "$INSTDIR\sounds"
  File "${STAGE}\sounds\*.wav"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\Vellomir.exe" "" "$INSTDIR\Vellomir.exe" 0 \
      SW_SHOWNORMAL "" "Reminders and birthdays"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Vellomir developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vellomir.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "un.${APP}" UnSecProgram
  SectionIn RO
  SetShellVarContext current
  Call un.CloseRunning
  Delete "$INSTDIR\Vellomir.exe"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\ART-LICENSE.txt"
  ; Only the sounds that came with the program; the user's own stay.
  Delete "$INSTDIR\sounds\Chime.wav"
  Delete "$INSTDIR\sounds\Bell.wav"
  Delete "$INSTDIR\sounds\Soft alarm.wav"
  RMDir "$INSTDIR\sounds"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${APP}.lnk"
  ; Start with Windows, if the options had set it.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Also remove my reminders and birthdays" UnSecData
  Delete "$INSTDIR\events.ini"
  Delete "$INSTDIR\birthdays.ini"
  Delete "$INSTDIR\config.cfg"
  Delete "$INSTDIR\log.txt"
  Delete "$INSTDIR\trayicon.ico"
SectionEnd

Section "-un.Folder"
  ; Gone only when empty: whatever else the user keeps there stays.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ; /REMOVEDATA: the tick of the components page, for a silent uninstall.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecData}
  ${EndIf}
FunctionEnd
