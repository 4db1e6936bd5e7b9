#!/usr/bin/env bash
# The installer end to end under Wine, in a fresh prefix of its own (never the shared test prefix,
# never ~/.wine): a silent install of the program without its debug information; the program
# started from its Start menu shortcut; the uninstaller and the installer refusing while it
# runs; a second install over the first; a silent uninstall that leaves only the settings; an
# uninstall through the pages with the box for the settings ticked; an install through the pages
# over one in another folder, closing the running program when asked, into that folder without
# the folder page; and the installer's welcome page and question, saved to build/screenshots/.
# Registered with ctest; builds the installer first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
build=${VEXLOR_BUILD_DIR:-$root/build}

# The installer is not part of ALL; the probe is, but this script may be run on its own.
cmake --build "$build" --target installer vexlor_window_probe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
site=$(sed -n 's/^VEXLOR_SITE:STRING=//p' "$build/CMakeCache.txt")
setup="$build/installer/vexlor-$version-setup.exe"
shipped="$build/installer/stage/vexlor.exe"
probe="$build/tests/vexlor_window_probe.exe"

work="$build/installer-test"
rm -rf "$work"
mkdir -p "$work"
log="$work/wine.log"
export WINEPREFIX="$work/prefix"
vexlor_fresh_prefix "$WINEPREFIX"
vexlor_ensure_display
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${VEXLOR_XVFB_PID:-}" ] && kill "$VEXLOR_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a Windows program with its output in $out and its errors in the log, never on ctest's
# pipes: a wineserver started by the call would hold them open. Returns the program's exit code.
out="$work/out"
run() { wine "$@" </dev/null >"$out" 2>>"$log"; }
text() { tr -d '\r' <"$out"; }
unix_path() { local p=${1#C:\\}; echo "$WINEPREFIX/drive_c/${p//\\//}"; }

run cmd /c 'echo %LOCALAPPDATA%'
inst="$(text)\\Programs\\Vexlor"
run cmd /c 'echo %APPDATA%'
shortcut="$(text)\\Microsoft\\Windows\\Start Menu\\Programs\\Vexlor.lnk"
appdata_maker="$(unix_path "$(text)")/Keltro Software"
sendto_link="$(unix_path "$(text)")/Microsoft/Windows/SendTo/Vexlor (уничтожить).lnk"
dir=$(unix_path "$inst")
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexlor'
association_key='HKCU\Software\Classes\.DRVK'
settings_key='HKCU\Software\Keltro Software\Vexlor'
verb_keys=('HKCU\Software\Classes\*\shell\Vexlor' 'HKCU\Software\Classes\Directory\shell\Vexlor')

has_key() { run reg query "$1"; }
# Checks one value of the key last queried, as reg prints it: "REG_SZ text", "REG_DWORD 0x1".
expect_value() {
  local got
  got=$(text | sed -n "s/^    $1    \(REG_[A-Z_]*\)    /\1 /p")
  [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2'"
}

# Explorer's verb on files and folders, and the "Send to" shortcut to the program with the switch.
expect_explorer_entries() {
  local key
  for key in "${verb_keys[@]}"; do
    # reg prints through the console's code page: the Russian text is read from an export.
    run reg export "$key" "$work/verb.reg" /y || fail "no Explorer verb at $key"
    iconv -f UTF-16 -t UTF-8 "$work/verb.reg" | tr -d '\r' | grep -qxF '@="Уничтожить с помощью Vexlor"' ||
      fail "the Explorer verb at $key does not read \"Уничтожить с помощью Vexlor\""
    has_key "$key" || fail "no Explorer verb at $key"
    expect_value Icon "REG_SZ $inst\\vexlor.exe,0"
    has_key "$key\\command" || fail "the Explorer verb at $key has no command"
    expect_value "(Default)" "REG_SZ \"$inst\\vexlor.exe\" /destroy \"%1\""
  done
  [ -f "$sendto_link" ] || fail "no \"Send to\" shortcut"
  python3 - "$sendto_link" "$inst\\vexlor.exe" <<'PY' || fail "the \"Send to\" shortcut does not start the program with /destroy"
import sys
link = open(sys.argv[1], 'rb').read()
sys.exit(0 if all(t.encode('utf-16-le') in link for t in ('/destroy', 'vexlor.exe')) else 1)
PY
}

expect_no_explorer_entries() {
  local key
  for key in "${verb_keys[@]}"; do
    ! has_key "$key" || fail "the Explorer verb at $key is left"
  done
  [ ! -e "$sendto_link" ] || fail "the \"Send to\" shortcut is left"
}

expect_installed() {
  local picture bytes size
  cmp "$shipped" "$dir/vexlor.exe" || fail "vexlor.exe differs from the one staged for shipping"
  cmp "$build/src/Answers.dat" "$dir/Answers.dat" || fail "Answers.dat differs from the build's"
  cmp "$build/src/drovikproject.ico" "$dir/drovikproject.ico" || fail "no project file icon"
  for picture in "$build"/src/Resourse/Help/*; do
    cmp "$picture" "$dir/Resourse/Help/${picture##*/}" || fail "picture ${picture##*/} differs"
  done
  [ -f "$dir/uninstall.exe" ] || fail "no uninstall.exe"
  [ -f "$(unix_path "$shortcut")" ] || fail "no Start menu shortcut"
  has_key "$uninstall_key" || fail "no entry among the installed programs"
  expect_value DisplayName "REG_SZ Vexlor"
  expect_value DisplayVersion "REG_SZ $version"
  expect_value Publisher "REG_SZ Keltro Software"
  expect_value URLInfoAbout "REG_SZ $site"
  expect_value HelpLink "REG_SZ $site/support.php"
  expect_value DisplayIcon "REG_SZ $inst\\vexlor.exe,0"
  expect_value InstallLocation "REG_SZ $inst"
  expect_value UninstallString "REG_SZ \"$inst\\uninstall.exe\""
  expect_value QuietUninstallString "REG_SZ \"$inst\\uninstall.exe\" /S"
  expect_value NoModify "REG_DWORD 0x1"
  expect_value NoRepair "REG_DWORD 0x1"
  # KiB of what lies in the folder, give or take the rounding of each file.
  bytes=$(find "$dir" -type f -printf '%s\n' | paste -sd+ | bc)
  size=$(($(text | sed -n 's/^    EstimatedSize    REG_DWORD    //p')))
  [ $((size - bytes / 1024)) -ge -16 ] && [ $((size - bytes / 1024)) -le 16 ] ||
    fail "EstimatedSize $size KiB for $bytes bytes"
  expect_explorer_entries
}

# Waits for the main window (its class and caption) and checks that it is the installed program.
expect_program_window() {
  run "$probe" wait main 60 || fail "no main window of Vexlor"
  local image
  image=$(text | sed -n 1p)
  [ "$image" = "$inst\\vexlor.exe" ] || fail "the window is not the installed program's: $image"
}

close_program() {
  run "$probe" close main 60 || fail "Vexlor did not end on close"
  [ "$(text)" = 0 ] || fail "Vexlor ended with $(text)"
}

echo "silent install"
run "$setup" /S || fail "the silent install ended with $?"
expect_installed
# Shipped without debug information, which stays in the build, named by the shipped program.
sections=$(x86_64-w64-mingw32-objdump -h "$dir/vexlor.exe") || fail "objdump cannot read vexlor.exe"
! grep -q ' \.debug_' <<<"$sections" || fail "the installed vexlor.exe has debug sections"
[ $(($(stat -c %s "$dir/vexlor.exe") * 4)) -lt "$(stat -c %s "$build/src/vexlor.exe")" ] ||
  fail "the installed vexlor.exe is not much smaller than the build's"
x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/debuglink" "$dir/vexlor.exe" \
  "$work/debuglink.exe" || fail "the installed vexlor.exe has no .gnu_debuglink"
[ "$(tr '\0' '\n' <"$work/debuglink" | head -1)" = vexlor.debug ] ||
  fail "the debug link does not name vexlor.debug"
[ -s "$build/installer/stage/vexlor.debug" ] || fail "no vexlor.debug in the build"

echo "start from the Start menu, the Explorer entries mended"
run reg delete "${verb_keys[0]}" /f || fail "cannot delete the Explorer verb"
run reg add "${verb_keys[1]}\\command" /ve /d elsewhere.exe /f || fail "cannot change the verb"
rm -f "$sendto_link"
run start "$shortcut" || fail "the shortcut does not start"
expect_program_window
expect_explorer_entries
has_key "$association_key\\shell\\open\\command" || fail "the program wrote no .DRVK association"
expect_value "(Default)" "REG_SZ \"$inst\\vexlor.exe\" \"%1\""
has_key "$association_key\\DefaultIcon" || fail "the .DRVK association has no icon"
expect_value "(Default)" "REG_SZ $inst\\drovikproject.ico"
[ -f "$dir/drovikproject.ico" ] || fail "the .DRVK association's icon file is missing"
[ -d "$appdata_maker/Vexlor" ] || fail "the program made no data folder"

echo "refusals while the program runs"
status=0
run "$inst\\uninstall.exe" /S "_?=$inst" || status=$?
[ "$status" -eq 2 ] || fail "the silent uninstall while running ended with $status"
status=0
run "$setup" /S || status=$?
[ "$status" -eq 2 ] || fail "the silent install while running ended with $status"
# As a user would: the uninstaller hands over to its copy, which says why, offers to close the
# program, and ends when told no.
run "$inst\\uninstall.exe" || fail "the uninstaller does not start"
run "$probe" wait uninstaller 60 || fail "no question from the uninstaller"
grep -q "пока программа запущена" "$out" || fail "unexpected message: $(text)"
grep -q "Закрыть Vexlor и продолжить удаление?" "$out" || fail "no offer to close: $(text)"
run "$probe" no uninstaller 60 || fail "the uninstaller did not end"
[ "$(text)" = 2 ] || fail "the uninstaller ended with $(text) after the answer no"
expect_installed
has_key "$association_key" || fail "the association went while the program runs"
expect_program_window
close_program

echo "second install over the first"
run "$setup" /S || fail "the second install ended with $?"
expect_installed
run start "$inst\\vexlor.exe" || fail "the installed program does not start"
expect_program_window
close_program

echo "silent uninstall"
run "$inst\\uninstall.exe" /S || fail "the silent uninstall ended with $?"
# The uninstaller's copy in %TEMP% does the work: wait until every program in the prefix ended.
timeout 120 wineserver -w || fail "the uninstaller did not end"
[ ! -e "$dir" ] || fail "the program's folder is left: $(ls -R "$dir")"
[ ! -e "$(unix_path "$shortcut")" ] || fail "the Start menu shortcut is left"
[ ! -e "$appdata_maker" ] || fail "the data folder is left"
! has_key "$uninstall_key" || fail "the entry among the installed programs is left"
! has_key "$association_key" || fail "the .DRVK association is left"
expect_no_explorer_entries
has_key "$settings_key" || fail "the settings went with a silent uninstall"
expect_value NotFirstRun "REG_DWORD 0x1"

echo "uninstall through the pages, the box for the settings ticked"
run "$setup" /S || fail "the third install ended with $?"
run "$inst\\uninstall.exe" || fail "the uninstaller does not start"
run "$probe" tick uninstaller 60 || fail "no check box for the settings in the uninstaller"
run "$probe" next uninstaller 60 || fail "the uninstaller's button cannot be pressed"
# Once the entry is gone the work is under way; the finish page's button then ends it.
for _ in $(seq 1 100); do
  has_key "$uninstall_key" || break
  sleep 0.2
done
run "$probe" next uninstaller 60 || fail "the uninstaller did not come to its finish page"
timeout 120 wineserver -w || fail "the uninstaller did not end after its finish page"
[ ! -e "$dir" ] || fail "the program's folder is left after the uninstall through the pages"
! has_key "$settings_key" || fail "the settings are left though the box was ticked"
! has_key 'HKCU\Software\Keltro Software' || fail "the maker's empty key is left"

echo "install through the pages over one in another folder, the program running"
default_dir=$dir
# Without a blank: wine would quote the argument, and /D= takes no quotes.
inst='C:\Apps\Vexlor'
dir=$(unix_path "$inst")
run "$setup" /S "/D=$inst" || fail "the silent install into $inst ended with $?"
expect_installed
run start "$inst\\vexlor.exe" || fail "the program in $inst does not start"
expect_program_window
wine "$setup" </dev/null >>"$log" 2>&1 &
setup_pid=$!
run "$probe" wait installer 60 || fail "no question from the installer while the program runs"
grep -q "Закрыть Vexlor и продолжить установку?" "$out" || fail "no offer to close: $(text)"
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/installer-close-question.png"
run "$probe" yes installer 60 || fail "the question cannot be answered"
run "$probe" wait installer 60 "Мастер установит" || fail "no welcome page after closing Vexlor"
! run "$probe" wait main 1 || fail "Vexlor still runs after the installer closed it"
run "$probe" next installer 60 || fail "the welcome page's button cannot be pressed"
# Without the folder page the files are installed at once, and the finish page comes.
run "$probe" wait installer 120 "установлен на ваш компьютер" ||
  fail "no finish page after the welcome page: the folder page was shown?"
run "$probe" next installer 60 || fail "the finish page's button cannot be pressed"
for _ in $(seq 1 100); do
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 0.2
done
! kill -0 "$setup_pid" 2>/dev/null || fail "the installer did not end after its finish page"
expect_installed
[ ! -e "$default_dir" ] || fail "the install over the one in $inst went to the default folder"
# The finish page's box starts the program.
expect_program_window
close_program

echo "welcome page"
wine "$setup" </dev/null >>"$log" 2>&1 &
setup_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --limit 1 --name '^Установка Vexlor$') ||
  fail "the installer showed no window"
sleep 1 # let it paint
import -window "$window" "$build/screenshots/installer.png"
kill "$setup_pid" 2>/dev/null || true
echo "installer test passed; welcome page: $build/screenshots/installer.png, the question:" \
  "$build/screenshots/installer-close-question.png"
