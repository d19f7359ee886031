#!/usr/bin/env bash
# PELORIX.exe under Wine in Xvfb beside its shipped layout files: every control
# the layout describes, at the places the layout units give, with its caption
# and the idle texts; the Playlist holding its end marker, selected; clear check
# boxes; the language command through the variants and back, a screenshot per
# language; closing. Then the exe alone in a folder: the "Error" box.
# usage: player_window.sh WORKROOT WINDOWS_BUILD NATIVE_LAYOUT
set -u
shopt -s nullglob
root=$1 windowsBuild=$2 layoutTool=$3
. "$(dirname "$0")/wineenv.sh"

e2e_require_windows_build "$windowsBuild"
player=$(find "$windowsBuild" -name PELORIX.exe -not -path '*/CMakeFiles/*' 2>/dev/null | sort | head -n 1)
[ -n "$player" ] || e2e_skip "PELORIX.exe is not built yet (none in $windowsBuild)"
driverExe=$windowsBuild/tests/e2e/driver/pelorix-driver.exe
e2e_require_product "$driverExe" pelorix-driver.exe
[ "$layoutTool" != - ] && [ -x "$layoutTool" ] || e2e_skip "the native pelorix-layout is not built yet"
e2e_find_wine
e2e_require_xvfb
e2e_begin "$root" player_window
e2e_start_display

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
driver() { e2e_wine "$driverExe" "$@"; }

shots=$root/screenshots
mkdir -p "$shots"
canShoot=$(command -v import) || e2e_note "ImageMagick's import is missing: no screenshots"

shoot() { [ -z "$canShoot" ] || e2e_shoot "$shots/$1.png" || fail "screenshot $1 failed"; }


# ---- the folder: the exe and the layout files the build placed beside it
shipped=$(dirname "$player")
[ -f "$shipped/PELORIX.h" ] || e2e_fail "the build placed no PELORIX.h beside $player"
mkdir app
cp "$player" "$shipped"/PELORIX.h "$shipped"/PELORIX.h[0-9]* app/ || e2e_fail "cannot copy the player"

# expect_layout LABEL FILES...: what the files describe, as the player's own
# loader reads them (one row per slot: slot type style x y width height text).
# The first load decides which controls exist; reloads only recaption them,
# and controls 21 and 23 show the idle text.
declare -a type style x y width height text exists caption
expect_layout() {
    local label=$1 slot t s xx yy w h tx
    shift
    "$layoutTool" --dump "$@" >"expected-$label.tsv" || e2e_fail "pelorix-layout --dump $* failed"
    while IFS=$'\t' read -r slot t s xx yy w h tx; do
        type[$slot]=$t style[$slot]=$(((s) & 0xFFFFFFFF)) x[$slot]=$xx y[$slot]=$yy
        width[$slot]=$w height[$slot]=$h text[$slot]=$tx
        [ "$label" = lang0 ] && [ "$t" -ge 0 ] && [ "$t" -le 3 ] && exists[$slot]=1
        [ -n "${exists[$slot]:-}" ] && [ "$t" -ge 0 ] && caption[$slot]=$tx
    done <"expected-$label.tsv"
    caption[21]=${text[43]} caption[23]=${text[43]}
}
expect_layout lang0 app/PELORIX.h

# ---- start
"$WINE" "$PWD/app/PELORIX.exe" >player.log 2>&1 9>&- &
playerPid=$!
for ((i = 0; i < 60; i++)); do
    driver wait PELORIX 500 && break
    kill -0 $playerPid 2>/dev/null || i=60
done
[ $i -lt 60 ] || { cat player.log; e2e_fail "no PELORIX window within 30 s"; }
[ "$(driver text main)" = "PELORIX 2.2" ] || fail "window caption '$(driver text main)', wanted 'PELORIX 2.2'"

read -r aveCharWidth lineHeight pitchAndFamily < <(driver metrics) || e2e_fail "no text metrics"
unit=$aveCharWidth
[ $((pitchAndFamily & 1)) = 1 ] && unit=$((aveCharWidth * 3 / 2))
topMargin=$((lineHeight * 2 / 10))
e2e_note "system font: tmAveCharWidth $aveCharWidth, tmHeight $lineHeight, pitch and family $pitchAndFamily"

# check_children LABEL: every described control and nothing else, each with
# its class and expected caption, and the Playlist holding the end marker
# alone; on the first call also each style and rectangle from the layout
# units, which later calls must find unchanged.
declare -a firstRect
check_children() {
    local label=$1 id class actualStyle cx cy cw ch tx want
    local -A seen=()
    driver children >"children-$label.tsv" || { fail "$label: cannot list the controls"; return; }
    while IFS=$'\t' read -r id class actualStyle cx cy cw ch tx; do
        seen[$id]=1
        [ -n "${exists[$id]:-}" ] || { fail "$label: control $id ($class \"$tx\") is not in the layout"; continue; }
        case ${type[$id]} in 0) want=static ;; 1) want=button ;; 2) want=edit ;; 3) want=listbox ;; esac
        [ "${class,,}" = "$want" ] || fail "$label: control $id is a $class, wanted $want"
        [ "$tx" = "${caption[$id]}" ] || fail "$label: control $id reads \"$tx\", wanted \"${caption[$id]}\""
        if [ "$label" = lang0 ]; then
            firstRect[$id]="$cx $cy $cw $ch"
            # Controls show and hide their own scroll bars, setting and clearing WS_VSCROLL and WS_HSCROLL.
            local spec=$((style[$id] & ~0x00300000))
            [ $((actualStyle & ~0x00300000)) = "$spec" ] ||
                fail "$label: control $id has style $actualStyle, wanted $(printf 0x%08X "${style[$id]}")"
            local wx=$((x[$id] * unit / 10)) wy=$((topMargin + y[$id] * lineHeight * 14 / 100))
            local ww=$((width[$id] * unit / 10)) wh=$((height[$id] * lineHeight / 10))
            # A list box without LBS_NOINTEGRALHEIGHT trims itself to whole lines.
            local heightOk=$((ch == wh))
            [ "$want" = listbox ] && [ $((spec & 0x100)) = 0 ] && heightOk=$((ch <= wh))
            if [ "$cx $cy $cw" != "$wx $wy $ww" ] || [ $heightOk = 0 ]; then
                fail "$label: control $id at $cx,$cy size ${cw}x$ch, wanted $wx,$wy size ${ww}x$wh"
            fi
        elif [ "${firstRect[$id]:-}" != "$cx $cy $cw $ch" ]; then
            fail "$label: control $id moved to $cx $cy $cw $ch from ${firstRect[$id]:-nowhere}"
        fi
    done <"children-$label.tsv"
    for id in "${!exists[@]}"; do
        [ -n "${seen[$id]:-}" ] || fail "$label: control $id (${caption[$id]}) does not exist"
    done
    local rows="$(driver lbcount 35) $(driver lbtext 35 0)"
    [ "$rows" = "1 ${text[45]}" ] || fail "$label: the Playlist holds \"$rows\", wanted \"1 ${text[45]}\""
}

# ---- start-up state
check_children lang0
[ "$(driver lbcursel 35)" = 0 ] || fail "the Playlist's cursor is on $(driver lbcursel 35), wanted 0"
# The Playlist's scroll bar shows only when needed, so the layout's style tells.
[ $((style[35] & 0x00200000)) != 0 ] || fail "the layout gives the Playlist no vertical scroll bar"
for id in 4 5 28; do
    [ "$(driver check "$id")" = 0 ] || fail "check box $id is set at start-up"
done

# Wine's default window is smaller than the 100 x 40 canvas: enlarge it so the
# screenshots show every control. Growing at scroll position 0 must not move
# the controls; the later checks see to that.
canvasWidth=$((100 * unit + 60)) canvasHeight=$((40 * lineHeight + 90))
driver move 0 0 $((canvasWidth < 1280 ? canvasWidth : 1280)) $((canvasHeight < 1024 ? canvasHeight : 1024)) ||
    fail "cannot enlarge the window"
shoot player-lang0

# ---- the language command: variants 1, 2, ... while they exist, then the base
files=(app/PELORIX.h)
for ((language = 1; language <= 99; language++)); do
    variant=app/PELORIX.h$((language / 10))$((language % 10))
    label=lang$language
    if [ -f "$variant" ]; then files+=("$variant"); else files=(app/PELORIX.h); label=back-to-lang0; fi
    expect_layout "$label" "${files[@]}"
    driver send 0 || fail "$label: the language command was not handled"
    check_children "$label"
    e2e_note "$label: $(driver text 1 | head -c 40) / $(driver lbtext 35 0 | head -c 40)"
    shoot "player-$label"
    [ "$label" = back-to-lang0 ] && break
done

# ---- closing
driver close || fail "cannot post WM_CLOSE"
driver gone 10000 || fail "the window is still there 10 s after WM_CLOSE"
e2e_wait_exit $playerPid 20 || fail "PELORIX.exe ended with status $? after WM_CLOSE (124: still running)"

# ---- the exe alone: no layout file
mkdir alone
cp "$player" alone/
"$WINE" "$PWD/alone/PELORIX.exe" >alone.log 2>&1 9>&- &
alonePid=$!
if driver msgbox 30000 >msgbox.txt; then
    [ -n "$canShoot" ] && import -window root "$shots/missing-layout.png"
    # The driver prints a backslash escaped, as \\.
    wanted=$(printf 'Error\nI need %s' "$(e2e_winpath "$PWD/alone/PELORIX.h")" | sed 's/\\/\\\\/g')
    [ "$(sed -n 1,2p msgbox.txt)" = "$wanted" ] || fail "message box \"$(sed -n 1,2p msgbox.txt)\", wanted \"$wanted\""
    driver dlgpress 1 || fail "cannot press OK"
else
    fail "no message box for the missing layout file"
fi
e2e_wait_exit $alonePid 20 || fail "PELORIX.exe without a layout ended with status $? (124: still running)"
[ "$(ls -A alone)" = PELORIX.exe ] || fail "without a layout the player left files: $(ls -A alone | tr '\n' ' ')"

if [ $failures = 0 ]; then
    echo "PELORIX.exe under Wine: window, controls, language steps and the missing layout as expected"
    [ -n "$canShoot" ] && echo "screenshots in $shots"
fi
exit $((failures > 0))
