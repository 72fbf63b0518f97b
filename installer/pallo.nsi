; Pallo's installer. Built by CMake with:
;   makensis -DOUTFILE=... -DBINDIR=... -DPAYLOAD=payload.nsh pallo.nsi
; PAYLOAD holds one File line per program file besides qz.exe and qza.exe.
; Silent: setup.exe /S [/D=folder]; uinst.exe /S [/REMOVESETTINGS]

Unicode true
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Pallo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pallo"
; The suite's shared data folder below the common application data.
!define DATA_FOLDER "Brenmoor\qz-tolder"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the default; Windows in another language gets English.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString KeepSettings ${LANG_RUSSIAN} "Сохранить настройки и пароль родителей для следующей установки?"
LangString KeepSettings ${LANG_ENGLISH} "Keep the settings and the parents' password for a later installation?"
LangString ShortcutNessel ${LANG_RUSSIAN} "Настройки Nessel (сон)"
LangString ShortcutNessel ${LANG_ENGLISH} "Nessel options (bedtime)"
LangString ShortcutExercise ${LANG_RUSSIAN} "Настройки Hopsa (зарядка)"
LangString ShortcutExercise ${LANG_ENGLISH} "Hopsa options (exercise)"
LangString ShortcutTolder ${LANG_RUSSIAN} "Настройки Tolder (ворчун)"
LangString ShortcutTolder ${LANG_ENGLISH} "Tolder options (grumbler)"
LangString ShortcutOptions ${LANG_RUSSIAN} "Все настройки"
LangString ShortcutOptions ${LANG_ENGLISH} "All options"
LangString ShortcutCalendar ${LANG_RUSSIAN} "Расписание и история"
LangString ShortcutCalendar ${LANG_ENGLISH} "Schedule and history"
LangString ShortcutDisable ${LANG_RUSSIAN} "Выключить контроль"
LangString ShortcutDisable ${LANG_ENGLISH} "Turn control off"
LangString ShortcutExerciseNow ${LANG_RUSSIAN} "Зарядка сейчас (Hopsa)"
LangString ShortcutExerciseNow ${LANG_ENGLISH} "Exercise now (Hopsa)"
LangString ShortcutEnable ${LANG_RUSSIAN} "Включить контроль"
LangString ShortcutEnable ${LANG_ENGLISH} "Turn control on"
LangString ShortcutUninstall ${LANG_RUSSIAN} "Удалить Pallo"
LangString ShortcutUninstall ${LANG_ENGLISH} "Uninstall Pallo"

Section "Pallo"
  SetShellVarContext all
  ; The guard service of an earlier installation runs qz.exe: stop it first.
  IfFileExists "$INSTDIR\qz.exe" 0 +2
    ExecWait '"$INSTDIR\qz.exe" /remove-guard'
  SetOutPath "$INSTDIR"
  File "${BINDIR}\qz.exe"
  File "${BINDIR}\qza.exe"
  !include "${PAYLOAD}"
  WriteUninstaller "$INSTDIR\uinst.exe"

  ; "/run" from the program folder starts the module with that folder as its
  ; working directory, where it finds qz.exe for the scenes.
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\qz.exe" /run'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qz.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; Settings and uninstallation need administrator rights: qza.exe asks
  ; Windows for them, where qz.exe would stop with message 115.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\qza.exe" /uninstall'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutOptions).lnk" "$INSTDIR\qza.exe" "/pallo"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutNessel).lnk" "$INSTDIR\qza.exe" "/nessel"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutExercise).lnk" "$INSTDIR\qza.exe" "/exercise"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutTolder).lnk" "$INSTDIR\qza.exe" "/tolder"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutCalendar).lnk" "$INSTDIR\qza.exe" "/calendar"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutDisable).lnk" "$INSTDIR\qz.exe" "/disable"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutExerciseNow).lnk" "$INSTDIR\qz.exe" "/show:hopsa-manual"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutEnable).lnk" "$INSTDIR\qz.exe" "/enable"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutUninstall).lnk" "$INSTDIR\qza.exe" "/uninstall"

  ; The guard service keeps the control module running in the console
  ; session (qz.exe /guard, as LocalSystem). Installing it takes over the
  ; shared data folder, which a user may have made first, so nothing goes
  ; into that folder before.
  ExecWait '"$INSTDIR\qz.exe" /install-guard'

  ; A running control module keeps its file open: move it aside (a running
  ; program may be renamed) and let Windows delete it at the next start.
  Delete "$APPDATA\${DATA_FOLDER}\services.old"
  Rename "$APPDATA\${DATA_FOLDER}\services.exe" "$APPDATA\${DATA_FOLDER}\services.old"
  Delete /REBOOTOK "$APPDATA\${DATA_FOLDER}\services.old"
  CopyFiles /SILENT "$INSTDIR\qz.exe" "$APPDATA\${DATA_FOLDER}\services.exe"

  ; "/run" ends once the module is started: waiting for it makes the
  ; module's process exist when the installer ends.
  SetOutPath "$INSTDIR"
  ExecWait '"$INSTDIR\qz.exe" /run'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ExecWait '"$INSTDIR\qz.exe" /remove-guard'
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir /r "$SMPROGRAMS\${PRODUCT}"

  Delete "$INSTDIR\qz.exe"
  Delete "$INSTDIR\qza.exe"
  Delete "$INSTDIR\tikkoplay.dll"
  Delete "$INSTDIR\pallo.vfs"
  Delete "$INSTDIR\pallo.chm"
  Delete "$INSTDIR\uinst.exe"
  RMDir "$INSTDIR"

  Delete "$APPDATA\${DATA_FOLDER}\services.exe"
  Delete "$APPDATA\${DATA_FOLDER}\services.exe_"
  Delete "$APPDATA\${DATA_FOLDER}\services.old"

  ${GetOptions} $CMDLINE "/REMOVESETTINGS" $0
  IfErrors 0 remove
  MessageBox MB_YESNO|MB_ICONQUESTION "$(KeepSettings)" /SD IDYES IDYES done
  remove:
    Delete "$APPDATA\${DATA_FOLDER}\nessel20.cfg"
    Delete "$APPDATA\${DATA_FOLDER}\nessel20p.cfg"
    RMDir /r "$APPDATA\${DATA_FOLDER}\ledger"
    RMDir /r "$APPDATA\${DATA_FOLDER}\guard"
    SetShellVarContext current
    RMDir /r "$APPDATA\${DATA_FOLDER}"
    RMDir "$APPDATA\Brenmoor"
    SetShellVarContext all
  done:
  RMDir "$APPDATA\${DATA_FOLDER}"
  RMDir "$APPDATA\Brenmoor"
SectionEnd
