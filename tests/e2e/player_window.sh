#!/usr/bin/env bash
# PELORIX.exe beside its layout files: each control where the layout units put
# it, with its caption; the Playlist's end marker selected; clear check boxes;
# the language command through the variants and back, with screenshots;
# closing. Then the exe alone in a folder: the "Error" box.
# usage: player_window.sh WORKROOT WINDOWS_BUILD NATIVE_LAYOUT
set -u
root=$1 layoutTool=$3
. "$(dirname "$0")/play_common.sh"
e2e_require_tools "$layoutTool"
player_begin "$root" player_window "$2"
shots=$root/screenshots && mkdir -p "$shots"

start_player
[ "$(driver text main)" = "PELORIX 2.2" ] || fail "window caption '$(driver text main)', wanted 'PELORIX 2.2'"
read -r aveCharWidth lineHeight pitchAndFamily < <(driver metrics) || e2e_fail "no text metrics"
unit=$((pitchAndFamily & 1 ? aveCharWidth * 3 / 2 : aveCharWidth)) topMargin=$((lineHeight * 2 / 10))

# expect_layout LABEL FILES...: the files as the player's loader reads them (slot type style x y width
# height text). The first load decides the controls, styles and places (in pixels); reloads only
# recaption them. Controls 21 and 23 show the idle text.
declare -a type style place text exists caption
expect_layout() {
    local label=$1 slot t s x y w h tx
    "$layoutTool" --dump "${@:2}" >"expected-$label.tsv" || e2e_fail "pelorix-layout --dump ${*:2} failed"
    while IFS=$'\t' read -r slot t s x y w h tx; do
        text[$slot]=$tx
        if [ "$label" = lang0 ] && [ "$t" -ge 0 ] && [ "$t" -le 3 ]; then
            exists[$slot]=1 type[$slot]=$t style[$slot]=$(((s) & 0xFFFFFFFF))
            place[$slot]="$((x * unit / 10)) $((topMargin + y * lineHeight * 14 / 100)) $((w * unit / 10)) $((h * lineHeight / 10))"
        fi
        [ -n "${exists[$slot]:-}" ] && [ "$t" -ge 0 ] && caption[$slot]=$tx
    done <"expected-$label.tsv"
    caption[21]=${text[43]} caption[23]=${text[43]}
}

# check_children LABEL: the controls described, each's class, style, place and caption; the end marker alone.
check_children() {
    local label=$1 id class got cx cy cw ch tx wx wy ww wh classes=(static button edit listbox)
    local -A seen=()
    driver children >"children-$label.tsv" || { fail "$label: cannot list the controls"; return; }
    while IFS=$'\t' read -r id class got cx cy cw ch tx; do
        seen[$id]=1
        [ -n "${exists[$id]:-}" ] || { fail "$label: control $id ($class \"$tx\") is not in the layout"; continue; }
        read -r wx wy ww wh <<<"${place[$id]}"
        # Controls show and hide their own scroll bars (WS_VSCROLL, WS_HSCROLL); a list
        # box without LBS_NOINTEGRALHEIGHT trims itself to whole lines.
        [ "${class,,} $((got & ~0x00300000)) $cx $cy $cw $((ch == wh || (type[id] == 3 && !(style[id] & 0x100) && ch < wh)))" = \
            "${classes[${type[$id]}]} $((style[id] & ~0x00300000)) $wx $wy $ww 1" ] ||
            fail "$label: control $id is a $class, style $got, at $cx,$cy size ${cw}x$ch; wanted a ${classes[${type[$id]}]}, style $(printf 0x%08X "${style[$id]}"), at $wx,$wy size ${ww}x$wh"
        [ "$tx" = "${caption[$id]}" ] || fail "$label: control $id reads \"$tx\", wanted \"${caption[$id]}\""
    done <"children-$label.tsv"
    for id in "${!exists[@]}"; do [ -n "${seen[$id]:-}" ] || fail "$label: control $id (${caption[$id]}) does not exist"; done
    [ "$(driver rows 35)" = "${text[45]}" ] || fail "$label: the Playlist holds \"$(driver rows 35)\", wanted \"${text[45]}\" alone"
}

expect_layout lang0 app/PELORIX.h
check_children lang0
# The Playlist's scroll bar shows only when needed, so the layout's style tells.
[ $((style[35] & 0x00200000)) != 0 ] || fail "the layout gives the Playlist no vertical scroll bar"
state="$(driver lbcursel 35) $(driver check 4) $(driver check 5) $(driver check 28)"
[ "$state" = "0 0 0 0" ] || fail "the Playlist's cursor and check boxes 4 5 28 are $state at start-up, wanted 0 0 0 0"

# Wine's default window is smaller than the 100 x 40 canvas; enlarged, no control may move.
w=$((100 * unit + 60)) h=$((40 * lineHeight + 90))
driver move 0 0 $((w < 1280 ? w : 1280)) $((h < 1024 ? h : 1024)) || fail "cannot enlarge the window"
shoot "$shots/player-lang0.png"
# The language command: variants 1, 2, ... while they exist, then the base.
files=(app/PELORIX.h)
for ((language = 1; language <= 99; language++)); do
    variant=app/PELORIX.h$((language / 10))$((language % 10)) label=lang$language
    if [ -f "$variant" ]; then files+=("$variant"); else files=(app/PELORIX.h) label=back-to-lang0; fi
    expect_layout "$label" "${files[@]}"
    driver send 0 || fail "$label: the language command was not handled"
    check_children "$label"
    shoot "$shots/player-$label.png"
    [ "$label" = back-to-lang0 ] && break
done
driver close
expect_exit $playerPid 20 "after WM_CLOSE"

# The exe alone, without a layout file. The driver prints a backslash as \\.
mkdir alone && cp "$player" alone/ && { "$WINE" "$PWD/alone/PELORIX.exe" >alone.log 2>&1 9>&- & }
alonePid=$!
wanted=$(printf 'Error\nI need %s' "$(e2e_winpath "$PWD/alone/PELORIX.h")" | sed 's/\\/\\\\/g')
driver msgbox 30000 >msgbox.txt && [ "$(head -n 2 msgbox.txt)" = "$wanted" ] && driver dlgpress 1 ||
    fail "message box \"$(head -n 2 msgbox.txt)\" and its OK, wanted \"$wanted\""
expect_exit $alonePid 20 "without a layout"
[ "$(ls -A alone)" = PELORIX.exe ] || fail "without a layout the player left files: $(ls -A alone | tr '\n' ' ')"
e2e_done "PELORIX.exe under Wine: window, controls, language steps and the missing layout as expected (screenshots in $shots)"
