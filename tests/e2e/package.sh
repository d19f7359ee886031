#!/usr/bin/env bash
# The release bundle under Wine. The windows build's package target makes a ZIP
# holding exactly the player, its layout files, the user's guide, LICENSE and
# the three tools in tools\ (no README), and an NSIS installer that, run
# silently, puts the same files in %LOCALAPPDATA%\Programs\PELORIX under HKCU
# with a Start-menu shortcut that starts the player and the verbs on .wav files
# and folders; its uninstaller, run silently, takes all that away but the
# player's PELORIX.ini. /AllUsers installs in Program Files under HKLM. The
# installer and the uninstaller show the player's icon.
# usage: package.sh WORKROOT WINDOWS_BUILD CMAKE
set -u
root=$1 windowsBuild=$2 cmake=$3
. "$(dirname "$0")/wineenv.sh"

command -v makensis >/dev/null || e2e_skip "makensis is not installed (apt-get install nsis)"
e2e_require_windows_build "$windowsBuild" app/PELORIX.exe
e2e_find_wine
e2e_begin "$root" package
e2e_start_display

# Made here, holding the lock, so that it is never stale and no other test's
# exes change under it.
"$cmake" --build "$windowsBuild" --target package >build.log 2>&1 9>&- || { cat build.log; e2e_fail "the package target failed"; }
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$windowsBuild/CPackConfig.cmake")
[ -n "$name" ] || e2e_skip "the windows build has no package (no CPACK_PACKAGE_FILE_NAME in its CPackConfig.cmake)"
[ -f "$windowsBuild/$name.exe" ] || e2e_skip "no installer $name.exe: makensis was missing when the windows build was configured"
[ -f "$windowsBuild/$name.zip" ] || e2e_skip "no ZIP $name.zip"

files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' '); }

# ---- the ZIP: one top folder with exactly these files
mkdir zip && (cd zip && "$cmake" -E tar xf "$windowsBuild/$name.zip") || e2e_fail "cannot unpack $name.zip"
wanted=$( (cd "$windowsBuild/app" && ls PELORIX.h PELORIX.h[0-9]*)
    printf '%s\n' GUIDE.txt LICENSE PELORIX.exe tools/pelorix-decode.exe tools/pelorix-encode.exe tools/pelorix-layout.exe)
wanted=$(LC_ALL=C sort <<<"$wanted" | tr '\n' ' ')
[ "$(ls zip)" = "$name" ] || fail "the ZIP's top level holds '$(ls zip | tr '\n' ' ')', wanted '$name'"
[ "$(files "zip/$name")" = "$wanted" ] || fail "the ZIP holds '$(files "zip/$name")', wanted '$wanted'"

# ---- install silently for this user: the ZIP's files and the uninstaller, the shortcut and the verbs
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"   # no desktop entries for the shortcut
installDir=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Local' | head -1)/Programs/PELORIX
allUsersDir=$WINEPREFIX/drive_c/Program\ Files/PELORIX
uninstallKey='Software\Microsoft\Windows\CurrentVersion\Uninstall\PELORIX'
verbKeys="SystemFileAssociations\\.wav\\shell\\PELORIX.Play SystemFileAssociations\\.wav\\shell\\PELORIX.Add Directory\\shell\\PELORIX.Play Directory\\shell\\PELORIX.Add"
# A failed or killed run may have left an install; NSIS leaves the uninstaller's
# copy (deleted at a reboot) and now and then its plug-in folder in Temp.
for hive in HKCU HKLM; do
    for key in "$uninstallKey" $(printf 'Software\\Classes\\%s ' $verbKeys); do e2e_wine reg delete "$hive\\$key" /f >/dev/null 2>&1; done
done
find "$WINEPREFIX/drive_c" \( -path '*/Start Menu/Programs/PELORIX' -o -path '*/Temp/*ns*.tmp' \) -prune -exec rm -rf {} +
rm -rf "$installDir" "$allUsersDir"
e2e_wine "$windowsBuild/$name.exe" /S >install.log 2>&1 || { status=$?; cat install.log; e2e_fail "the installer ended with status $status"; }
diff -rq -x Uninstall.exe "zip/$name" "$installDir" || fail "the install folder %LOCALAPPDATA%\\Programs\\PELORIX differs from the ZIP"
[ -f "$installDir/Uninstall.exe" ] || fail "no Uninstall.exe in the install folder"
python3 "$(dirname "$0")/../win/resources.py" --icon "$windowsBuild/PELORIX.ico" "$windowsBuild/$name.exe" \
    "$installDir/Uninstall.exe" >icons.log || fail "$(cat icons.log)"
[ ! -e "$allUsersDir" ] || fail "an install for this user wrote to Program Files"
value() {   # KEY [NAME]: the value's data, the default value's without NAME; empty when there is none
    local which=(/ve); [ $# = 2 ] && which=(/v "$2")
    e2e_wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | sed -n '/(value not set)$/d; s/^ *[^ ].*REG_[A-Z_]*  *//p'
}
[ -n "$(value "HKCU\\$uninstallKey" UninstallString)" ] || fail "no uninstall entry under HKCU"
[ -z "$(value "HKLM\\$uninstallKey" UninstallString)" ] || fail "an install for this user wrote an uninstall entry under HKLM"
# The verbs beside .wav's own (never its default action) and on folders, calling the installed player
exe=$(e2e_wine winepath -w "$installDir/PELORIX.exe" 2>/dev/null | tr -d '\r')
classes='HKCU\Software\Classes'
for row in "SystemFileAssociations\\.wav|Play|Play with PELORIX|\"$exe\" \"%1\"" \
           "SystemFileAssociations\\.wav|Add|Add to PELORIX Playlist|\"$exe\" /add \"%1\"" \
           "Directory|Play|Play with PELORIX|\"$exe\" \"%1\"" "Directory|Add|Add to PELORIX Playlist|\"$exe\" /add \"%1\""; do
    IFS='|' read -r class verb text command <<<"$row"
    key="$classes\\$class\\shell\\PELORIX.$verb"
    [ "$(value "$key")" = "$text" ] || fail "$key reads '$(value "$key")', wanted '$text'"
    [ "$(value "$key\\command")" = "$command" ] || fail "$key\\command reads '$(value "$key\\command")', wanted '$command'"
done
[ -z "$(value "$classes\\SystemFileAssociations\\.wav\\shell")" ] || fail "the installer set .wav's default verb"
shortcut=$(find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/PELORIX/PELORIX.lnk')
[ -n "$shortcut" ] || e2e_fail "no Start-menu shortcut PELORIX\\PELORIX.lnk in the prefix"
echo "-- shortcut: ${shortcut#$WINEPREFIX/}"

# ---- the shortcut starts the installed player, which writes PELORIX.ini beside itself on closing
e2e_wine start /wait /unix "$shortcut" >player.log 2>&1 &
startPid=$!
# taskkill without /f posts WM_CLOSE to the player's top-level windows. In a new
# prefix one sent as the player starts was seen lost (the player ran on), so it
# is sent again until WM_DESTROY has written PELORIX.ini (`start` may return before).
closed() { e2e_wine taskkill /im PELORIX.exe >>taskkill.log 2>&1; sleep 0.5; test -f "$installDir/PELORIX.ini"; }
e2e_poll 4 closed ||   # 40 tries, about a second each
    { cat player.log taskkill.log; fail "the player left no PELORIX.ini in the install folder within 40 s of starting the shortcut: not the installed copy?"; }
e2e_wait_exit $startPid 20 || fail "started from the shortcut, the player ended with status $? after WM_CLOSE (124: still running after 20 s)"

# ---- uninstall: it copies itself to a temporary folder and returns at once; silently, PELORIX.ini stays
e2e_wine "$installDir/Uninstall.exe" /S >uninstall.log 2>&1 || fail "the uninstaller ended with status $?"
uninstalled() { [ "$(ls "$installDir" 2>/dev/null)" = PELORIX.ini ] && [ ! -e "$(dirname "$shortcut")" ]; }
e2e_poll 30 uninstalled
[ "$(ls "$installDir" 2>/dev/null)" = PELORIX.ini ] || fail "30 s after uninstalling, the install folder holds '$(files "$installDir")', wanted PELORIX.ini alone"
[ ! -e "$(dirname "$shortcut")" ] || fail "the Start-menu folder is still there 30 s after uninstalling"
for key in $verbKeys; do [ -z "$(value "$classes\\$key")" ] || fail "$key is still there after uninstalling"; done
[ -z "$(value "HKCU\\$uninstallKey" UninstallString)" ] || fail "the uninstall entry is still there after uninstalling"
rm -rf "$installDir"

# ---- install silently for all users: Program Files and HKLM; the tools folder on the user's Path and off again
e2e_wine reg add 'HKCU\Environment' /v Path /d 'C:\x' /f >/dev/null 2>&1
e2e_wine "$windowsBuild/$name.exe" /S /AllUsers /ToolsOnPath >install.log 2>&1 || { status=$?; cat install.log; e2e_fail "the installer for all users ended with status $status"; }
diff -rq -x Uninstall.exe "zip/$name" "$allUsersDir" || fail "/AllUsers: the install folder Program Files\\PELORIX differs from the ZIP"
[ -n "$(value "HKLM\\$uninstallKey" UninstallString)" ] || fail "/AllUsers: no uninstall entry under HKLM"
[ -n "$(value "HKLM\\Software\\Classes\\Directory\\shell\\PELORIX.Play\\command")" ] || fail "/AllUsers: no verb under HKLM"
tools=$(e2e_wine winepath -w "$allUsersDir/tools" 2>/dev/null | tr -d '\r')
[ "$(value 'HKCU\Environment' Path)" = "C:\x;$tools" ] || fail "/ToolsOnPath: the user's Path reads '$(value 'HKCU\Environment' Path)'"
e2e_wine "$allUsersDir/Uninstall.exe" /S >uninstall.log 2>&1 || fail "the uninstaller for all users ended with status $?"
e2e_poll 30 eval '[ ! -e "$allUsersDir" ]'
[ ! -e "$allUsersDir" ] || fail "/AllUsers: the install folder is still there 30 s after uninstalling: $(files "$allUsersDir")"
[ "$(value 'HKCU\Environment' Path)" = 'C:\x' ] || fail "after uninstalling, the user's Path reads '$(value 'HKCU\Environment' Path)'"

e2e_done "$name: ZIP, silent installs for this user and for all, verbs, shortcut, player and silent uninstalls as expected"
