#!/usr/bin/env bash
# The release bundle under Wine. The windows build's package target makes a ZIP
# holding exactly the player, its layout files, the three tools, README and
# LICENSE, and an NSIS installer that, run silently, puts the same files in
# Program Files\PELORIX with a Start-menu shortcut that starts the player; its
# uninstaller, run silently, takes the folder and the shortcut away again.
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
    printf '%s\n' LICENSE PELORIX.exe README.md pelorix-decode.exe pelorix-encode.exe pelorix-layout.exe)
wanted=$(LC_ALL=C sort <<<"$wanted" | tr '\n' ' ')
[ "$(ls zip)" = "$name" ] || fail "the ZIP's top level holds '$(ls zip | tr '\n' ' ')', wanted '$name'"
[ "$(files "zip/$name")" = "$wanted" ] || fail "the ZIP holds '$(files "zip/$name")', wanted '$wanted'"

# ---- install silently: the ZIP's files and the uninstaller, and the shortcut
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"   # no desktop entries for the shortcut
installDir=$WINEPREFIX/drive_c/Program\ Files/PELORIX
# A failed or killed run may have left an install; NSIS leaves the uninstaller's
# copy (deleted at a reboot) and now and then its plug-in folder in Temp.
e2e_wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PELORIX' /f >/dev/null 2>&1
find "$WINEPREFIX/drive_c" \( -path '*/Start Menu/Programs/PELORIX' -o -path '*/Temp/*ns*.tmp' \) -prune -exec rm -rf {} +
rm -rf "$installDir"
e2e_wine "$windowsBuild/$name.exe" /S >install.log 2>&1 || { status=$?; cat install.log; e2e_fail "the installer ended with status $status"; }
diff -rq -x Uninstall.exe "zip/$name" "$installDir" || fail "the install folder differs from the ZIP"
[ -f "$installDir/Uninstall.exe" ] || fail "no Uninstall.exe in the install folder"
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

# ---- uninstall: it copies itself to a temporary folder and returns at once
e2e_wine "$installDir/Uninstall.exe" /S >uninstall.log 2>&1 || fail "the uninstaller ended with status $?"
uninstalled() { [ ! -e "$installDir" ] && [ ! -e "$(dirname "$shortcut")" ]; }
e2e_poll 30 uninstalled
[ ! -e "$installDir" ] || fail "the install folder is still there 30 s after uninstalling: $(files "$installDir")"
[ ! -e "$(dirname "$shortcut")" ] || fail "the Start-menu folder is still there 30 s after uninstalling"

e2e_done "$name: ZIP, silent install, shortcut, player and silent uninstall as expected"
