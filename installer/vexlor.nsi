; The Windows installer of Vexlor: a per-user install into %LOCALAPPDATA%\Programs\Vexlor, no
; administrator rights, the whole interface in Russian. Built by the CMake target "installer",
; which passes VERSION, PROGRAM_DIR (the folder of the built vexlor.exe, with Answers.dat and
; Resourse\Help beside it), ASSETS_DIR (the repository's assets) and OUTFILE.
;
; Silent use: "vexlor-<version>-setup.exe /S [/D=<folder>]" and "uninstall.exe /S". The
; uninstaller hands over to a copy of itself in %TEMP% and returns at once; to wait for it and
; get its exit code, run "uninstall.exe /S _?=<folder>" (a silent uninstall keeps the settings).
; Exit code 2: Vexlor is running, nothing was changed.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAM_DIR | ASSETS_DIR | OUTFILE
  !error "Build with: cmake --build build --target installer"
!endif

!define PRODUCT "Vexlor"
!define MAKER "Keltro Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\${MAKER}\${PRODUCT}"
; Written by the program at every start (settings/file_type.cpp).
!define ASSOCIATION_KEY "Software\Classes\.DRVK"
; Held by the program for its whole life (app/single_instance.h).
!define INSTANCE_MUTEX "DrvkW9wmnj398rf8s8"
!define EXIT_PROGRAM_RUNNING 2

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${MAKER}"

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

!define MUI_ICON "${ASSETS_DIR}/art/vexlor.ico"
!define MUI_UNICON "${ASSETS_DIR}/art/vexlor.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${ASSETS_DIR}/art/installer/wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${ASSETS_DIR}/art/installer/wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Мастер установит ${PRODUCT} ${VERSION} — программу, которая уничтожает \
  выбранные файлы так, что их нельзя восстановить.$\r$\n$\r$\n\
  ${PRODUCT} устанавливается только для вас: права администратора не нужны.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\vexlor.exe"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} удален с вашего компьютера.$\r$\n$\r$\n\
  Нажмите кнопку «Готово», чтобы закрыть мастер."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© ${MAKER}"

; While Vexlor runs its files are locked and its settings may be written back at any moment.
; Asks to close it and checks again; a silent run, or the user's "Cancel", ends with
; EXIT_PROGRAM_RUNNING before anything is changed. OpenMutexW failing with ERROR_ACCESS_DENIED
; still means the mutex exists.
!macro DefineWaitUntilClosed un message
  Function ${un}WaitUntilClosed
    Push $0
    Push $1
    check:
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r0 ?e'
      Pop $1
      ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
      ${ElseIf} $1 <> 5
        Goto closed
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${message}" /SD IDCANCEL IDRETRY check
      SetErrorLevel ${EXIT_PROGRAM_RUNNING}
      Quit
    closed:
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro DefineWaitUntilClosed "" "${PRODUCT} сейчас запущен, и его файлы заняты.$\r$\n$\r$\n\
  Закройте ${PRODUCT} и повторите попытку, чтобы продолжить установку."
!insertmacro DefineWaitUntilClosed "un." "Нельзя удалить ${PRODUCT}, пока программа запущена.$\r$\n$\r$\n\
  Закройте ${PRODUCT} и повторите попытку."

Function .onInit
  SetShellVarContext current
  Call WaitUntilClosed
FunctionEnd

Section
  ; Again: the program may have been started while the pages were shown.
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/vexlor.exe"
  File "${PROGRAM_DIR}/Answers.dat"
  SetOutPath "$INSTDIR\Resourse\Help"
  File "${PROGRAM_DIR}/Resourse/Help/*.png"
  File "${PROGRAM_DIR}/Resourse/Help/*.jpg"
  ; The shortcut's working folder is the output path.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vexlor.exe" "" "$INSTDIR\vexlor.exe" 0 \
    SW_SHOWNORMAL "" "Уничтожение файлов без возможности восстановления"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vexlor.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The uninstaller's one page before the work: what goes, and a box for the settings.
Var RemoveSettingsBox
Var RemoveSettings

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilClosed
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "Удаление ${PRODUCT}" "Что будет удалено с компьютера."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 48u "${PRODUCT} будет удален из папки:$\r$\n$INSTDIR$\r$\n$\r$\n\
    Ярлык в меню «Пуск», запись в списке установленных программ и связь с файлами .DRVK \
    тоже будут удалены."
  Pop $0
  ${NSD_CreateLabel} 0 60u 100% 24u "Настройки программы остаются на компьютере и пригодятся, \
    если вы установите ${PRODUCT} снова."
  Pop $0
  ${NSD_CreateCheckbox} 0 88u 100% 12u "Удалить также настройки ${PRODUCT}"
  Pop $RemoveSettingsBox
  ${NSD_SetState} $RemoveSettingsBox $RemoveSettings
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

Section "Uninstall"
  Call un.WaitUntilClosed
  ; File by file: the folder may have been chosen by the user and hold other files.
  Delete "$INSTDIR\vexlor.exe"
  Delete "$INSTDIR\Answers.dat"
  Delete "$INSTDIR\Resourse\Help\*.png"
  Delete "$INSTDIR\Resourse\Help\*.jpg"
  RMDir "$INSTDIR\Resourse\Help"
  RMDir "$INSTDIR\Resourse"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  DeleteRegKey HKCU "${ASSOCIATION_KEY}"
  ; SHCNE_ASSOCCHANGED: the shell forgets the file type at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ; The update check's copy of the version file, in the program's data folder.
  Delete "$APPDATA\${MAKER}\${PRODUCT}\updates.txt"
  RMDir "$APPDATA\${MAKER}\${PRODUCT}"
  RMDir "$APPDATA\${MAKER}"

  ${If} $RemoveSettings == ${BST_CHECKED}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\${MAKER}"
  ${EndIf}
SectionEnd
