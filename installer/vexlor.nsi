; The Windows installer of Vexlor: a per-user install into %LOCALAPPDATA%\Programs\Vexlor, no
; administrator rights, the whole interface in Russian. Built by the CMake target "installer",
; which passes PRODUCT_NSH (the version, the copyright and the site's addresses, made by CMake
; from product.nsh.in), STAGE_DIR (the vexlor.exe to ship, without its debug information),
; PROGRAM_DIR (the build's folder of vexlor.exe, with Answers.dat, drovikproject.ico and
; Resourse\Help beside it), ASSETS_DIR (the repository's assets) and OUTFILE.
;
; An install over an earlier one goes to the earlier one's folder (the entry's InstallLocation)
; without asking for a folder.
;
; Silent use: "vexlor-<version>-setup.exe /S [/D=<folder>]" and "uninstall.exe /S". The
; uninstaller hands over to a copy of itself in %TEMP% and returns at once; to wait for it and
; get its exit code, run "uninstall.exe /S _?=<folder>" (a silent uninstall keeps the settings).
; Exit code 2: Vexlor is running, nothing was changed (a silent run never closes it; the pages
; offer to close it).

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef PRODUCT_NSH | STAGE_DIR | PROGRAM_DIR | ASSETS_DIR | OUTFILE
  !error "Build with: cmake --build build --target installer"
!endif
!include "${PRODUCT_NSH}"

!define PRODUCT "Vexlor"
!define MAKER "Keltro Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\${MAKER}\${PRODUCT}"
; Written by the program at every start (settings/file_type.cpp).
!define ASSOCIATION_KEY "Software\Classes\.DRVK"
; Explorer's verb on files and folders and the "Send to" shortcut, for the current user; the
; installed program writes them again at every start (settings/explorer_menu.cpp), the switch
; tells it that the paths are to be destroyed (base/start_arguments.h).
!define FILE_VERB_KEY "Software\Classes\*\shell\Vexlor"
!define FOLDER_VERB_KEY "Software\Classes\Directory\shell\Vexlor"
!define VERB_TEXT "Уничтожить с помощью Vexlor"
!define SENDTO_LINK "$SENDTO\Vexlor (уничтожить).lnk"
!define DESTROY_SWITCH "/destroy"
; Held by the program for its whole life (app/single_instance.h).
!define INSTANCE_MUTEX "DrvkW9wmnj398rf8s8"
; The program's main window (base/product.h): WM_CLOSE ends the program, after a deletion run
; under way has finished.
!define MAIN_WINDOW_CLASS "TMainForm"
; How long a closed program may take to end before the question comes again.
!define CLOSE_WAIT_MS 30000
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
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpdate
!define MUI_DIRECTORYPAGE_TEXT_TOP "${PRODUCT} будет установлен в указанную папку. Чтобы выбрать \
  другую, нажмите кнопку «Обзор». $_CLICK"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} ${VERSION} установлен на ваш компьютер.$\r$\n$\r$\n\
  Нажмите кнопку «Готово», чтобы закрыть мастер."
!define MUI_FINISHPAGE_RUN "$INSTDIR\vexlor.exe"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} удален с вашего компьютера.$\r$\n$\r$\n\
  Нажмите кнопку «Готово», чтобы закрыть мастер."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Russian"

; The language file's texts that show, with the quotes of Russian typography.
LangString ^ClickNext ${LANG_RUSSIAN} "Нажмите кнопку «Далее», чтобы продолжить."
LangString ^ClickInstall ${LANG_RUSSIAN} "Нажмите кнопку «Установить», чтобы установить программу."
LangString ^ClickUninstall ${LANG_RUSSIAN} "Нажмите кнопку «Удалить», чтобы удалить программу."
LangString ^FileError ${LANG_RUSSIAN} "Невозможно открыть файл для записи:$\r$\n$\t«$0»$\r$\n$\r$\n\
  «Прервать» — остановить установку;$\r$\n«Повторить» — повторить попытку;$\r$\n\
  «Пропустить» — пропустить этот файл."
LangString ^FileError_NoIgnore ${LANG_RUSSIAN} "Невозможно открыть файл для записи:$\r$\n$\t«$0»$\r$\n$\r$\n\
  «Повторить» — повторить попытку;$\r$\n«Отмена» — прервать установку."

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "${COPYRIGHT}"

; While Vexlor runs its files are locked and its settings may be written back at any moment.
; Offers to close it: on "Yes" sends WM_CLOSE to its main window and waits, at most
; CLOSE_WAIT_MS, for the program to end (it first finishes a deletion run under way), then checks
; again and asks again while it still runs. "No", or a silent run, ends with EXIT_PROGRAM_RUNNING
; before anything is changed: a silent run never closes the user's program. OpenMutexW failing
; with ERROR_ACCESS_DENIED still means the mutex exists.
!macro DefineWaitUntilClosed un question again
  ; Pushes 1 while the program's mutex exists, else 0.
  Function ${un}ProgramRuns
    Push $0
    Push $1
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r0 ?e'
    Pop $1
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      StrCpy $0 1
    ${ElseIf} $1 = 5
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
  FunctionEnd

  ; Posts WM_CLOSE to the main window, then waits for its process to end and for the mutex to
  ; go, both within CLOSE_WAIT_MS.
  Function ${un}CloseProgram
    Push $0
    Push $1
    Push $2
    System::Call 'kernel32::GetTickCount() i.r2'
    IntOp $2 $2 + ${CLOSE_WAIT_MS}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "${PRODUCT}"
    ${If} $0 P<> 0
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
      ; SYNCHRONIZE: enough to wait for the end.
      System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p.r1'
      System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
      ${If} $1 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r1, i ${CLOSE_WAIT_MS})'
        System::Call 'kernel32::CloseHandle(p r1)'
      ${EndIf}
    ${EndIf}
    ${Do}
      Call ${un}ProgramRuns
      Pop $0
      ${IfThen} $0 = 0 ${|} ${Break} ${|}
      Sleep 100
      System::Call 'kernel32::GetTickCount() i.r0'
      IntOp $0 $2 - $0
    ${LoopWhile} $0 > 0
    Pop $2
    Pop $1
    Pop $0
  FunctionEnd

  Function ${un}WaitUntilClosed
    Push $0
    Push $1
    StrCpy $1 "${question}"
    ${Do}
      Call ${un}ProgramRuns
      Pop $0
      ${IfThen} $0 = 0 ${|} ${Break} ${|}
      ${If} ${Silent}
        SetErrorLevel ${EXIT_PROGRAM_RUNNING}
        Quit
      ${EndIf}
      MessageBox MB_YESNO|MB_ICONQUESTION "$1" /SD IDNO IDYES close
      SetErrorLevel ${EXIT_PROGRAM_RUNNING}
      Quit
      close:
      Call ${un}CloseProgram
      StrCpy $1 "${again}"
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!define STILL_RUNNING "${PRODUCT} не закрылся: возможно, он еще уничтожает файлы или ждет ответа \
  в одном из своих окон."
!insertmacro DefineWaitUntilClosed "" "${PRODUCT} сейчас запущен, и его файлы заняты.$\r$\n$\r$\n\
  Закрыть ${PRODUCT} и продолжить установку? Если он уничтожает файлы, он закроется, когда \
  закончит." "${STILL_RUNNING}$\r$\n$\r$\nПопробовать закрыть его снова и продолжить установку?"
!insertmacro DefineWaitUntilClosed "un." "Нельзя удалить ${PRODUCT}, пока программа запущена.$\r$\n$\r$\n\
  Закрыть ${PRODUCT} и продолжить удаление? Если он уничтожает файлы, он закроется, когда \
  закончит." "${STILL_RUNNING}$\r$\n$\r$\nПопробовать закрыть его снова и продолжить удаление?"

; Shown for any number of items chosen; Explorer starts the program once for each.
!macro WriteVerb key
  WriteRegStr HKCU "${key}" "" "${VERB_TEXT}"
  WriteRegStr HKCU "${key}" "Icon" "$INSTDIR\vexlor.exe,0"
  WriteRegStr HKCU "${key}" "MultiSelectModel" "Player"
  WriteRegStr HKCU "${key}\command" "" '"$INSTDIR\vexlor.exe" ${DESTROY_SWITCH} "%1"'
!macroend

; An install over an earlier one: its folder, without the page.
Function SkipDirectoryOnUpdate
  Push $0
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\vexlor.exe"
    StrCpy $INSTDIR $0
    Pop $0
    Abort
  ${EndIf}
  Pop $0
FunctionEnd

Function .onInit
  SetShellVarContext current
  Call WaitUntilClosed
FunctionEnd

Section
  ; Again: the program may have been started while the pages were shown.
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  File "${STAGE_DIR}/vexlor.exe"
  File "${PROGRAM_DIR}/Answers.dat"
  ; The icon of the .DRVK files, which the program names in their association.
  File "${PROGRAM_DIR}/drovikproject.ico"
  SetOutPath "$INSTDIR\Resourse\Help"
  File "${PROGRAM_DIR}/Resourse/Help/*.png"
  File "${PROGRAM_DIR}/Resourse/Help/*.jpg"
  ; The shortcut's working folder is the output path.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vexlor.exe" "" "$INSTDIR\vexlor.exe" 0 \
    SW_SHOWNORMAL "" "Уничтожение файлов без возможности восстановления"
  CreateShortCut "${SENDTO_LINK}" "$INSTDIR\vexlor.exe" "${DESTROY_SWITCH}" "$INSTDIR\vexlor.exe" 0 \
    SW_SHOWNORMAL "" "Уничтожить файлы и папки без возможности восстановления"
  !insertmacro WriteVerb "${FILE_VERB_KEY}"
  !insertmacro WriteVerb "${FOLDER_VERB_KEY}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE_URL}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "${SUPPORT_URL}"
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
  ${NSD_CreateLabel} 0 0 100% 56u "${PRODUCT} будет удален из папки:$\r$\n$INSTDIR$\r$\n$\r$\n\
    Ярлыки в меню «Пуск» и «Отправить», пункт меню Проводника, запись в списке установленных \
    программ и связь с файлами .DRVK тоже будут удалены."
  Pop $0
  ${NSD_CreateLabel} 0 64u 100% 24u "Настройки программы остаются на компьютере и пригодятся, \
    если вы установите ${PRODUCT} снова."
  Pop $0
  ${NSD_CreateCheckbox} 0 92u 100% 12u "Удалить также настройки ${PRODUCT}"
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
  Delete "$INSTDIR\drovikproject.ico"
  Delete "$INSTDIR\Resourse\Help\*.png"
  Delete "$INSTDIR\Resourse\Help\*.jpg"
  RMDir "$INSTDIR\Resourse\Help"
  RMDir "$INSTDIR\Resourse"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  DeleteRegKey HKCU "${ASSOCIATION_KEY}"
  DeleteRegKey HKCU "${FILE_VERB_KEY}"
  DeleteRegKey HKCU "${FOLDER_VERB_KEY}"
  Delete "${SENDTO_LINK}"
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
