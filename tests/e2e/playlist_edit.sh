#!/usr/bin/env bash
# PELORIX.exe builds its Playlist through the real file dialog: a folder
# answer admits every stream file in it in the scan list's sorted order and
# nothing else, a file answer admits that file, a cancel changes nothing,
# Insert before and Add after place around the selection, a double-click
# plays an added entry bit for bit, and Exit saves the Playlist, which the
# next start shows again. Names hold spaces and Windows-1252 characters.
# Screenshots of the filled Playlist while it plays, in every language.
# usage: playlist_edit.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV
set -u
root=$1
here=$(dirname "$0")
. "$here/wineenv.sh"
. "$here/play_common.sh"

play_begin "$root" playlist "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"

cafe=$(printf 'Caf\xc3\xa9 n\xc2\xba 1')   # the Unix name in UTF-8; the player sees code page 1252
make_clip b chirp 22050 1 11025
make_clip a noise 22050 2 11025
make_clip "$cafe" chirp 32000 2 16000
mkdir clips/sub sub long
make_clip sub/inner noise 22050 1 4410
make_clip long chirp 22050 1 $((22050 * 40))
mv clips/long.wav long/
cp a-pcm.wav clips/pcm.wav            # a WAV file, but not a stream
echo "RIFF WAVE fmt" >clips/notes.txt
clips=$(e2e_winpath "$PWD/clips")
longFolder=$(e2e_winpath "$PWD/long")
ansiCafe=$(printf 'Caf\xe9 n\xba 1')

# expect_rows LABEL NAME...: the Playlist holds these clips of the folder, then the end marker.
expect_rows()
{
    local label=$1 got want
    shift
    got=$(playlist_rows) || fail "$label: the Playlist cannot be read"
    got=$(head -n -1 <<<"$got")
    want=$(for name in "$@"; do printf '%s\n' "$name"; done | sed 's/\\/\\\\/g; s/\xe9/\\xE9/g; s/\xba/\\xBA/g')
    [ "$got" = "$want" ] || fail "$label: the Playlist holds
$got
wanted
$want"
}
# add ID ANSWER: the add command through the dialog; done once the window
# thread answers a send again.
add() { driver command "$1" && driver dlgopen "$2" 5000 && driver send 99 || fail "the dialog did not take \"$2\""; }
select_row() { driver lbsel 35 "$1" >/dev/null && driver command 35 "${2:-1}"; }

start_player
add 25 "$clips\\"
expect_rows "a folder" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav"
driver command 29 && driver msgbox 5000 >/dev/null && driver dlgpress 2 && driver send 99 || fail "no dialog to cancel"
expect_rows "a cancel" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav"
select_row 1
add 29 "$clips\\a.wav"
expect_rows "a file before b" "$clips\\a.wav" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav"
[ "$(driver lbcursel 35)" = 2 ] || fail "after Insert before, row $(driver lbcursel 35) is selected, wanted 2 (b)"

select_row 3 2
wait_idle 20 || fail "the double-clicked entry still plays after 20 s"
compare exact "$cafe-decoded.wav" cap/out.raw || fail "the double-clicked entry did not play exactly"

driver command 3
e2e_wait_exit $playerPid 10 || fail "PELORIX.exe ended with status $? after Exit (124: still running)"
settings_text 10 0 0 0 0 "$clips\\a.wav" "$clips\\a.wav" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav" |
    cmp -s - app/PELORIX.ini || fail "PELORIX.ini after Exit: $(cat -A app/PELORIX.ini | tr '\n' ' ')"
start_player
expect_rows restart "$clips\\a.wav" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav"

# ---- Add after the first entry, play it, and a picture in every language
select_row 0
add 25 "$longFolder\\"
expect_rows "after a" "$clips\\a.wav" "$longFolder\\long.wav" "$clips\\a.wav" "$clips\\b.wav" "$clips\\$ansiCafe.wav"
select_row 1 2
for ((i = 0; i < 100; i++)); do pushed 1 && break; sleep 0.05; done
driver send 15 && pushed 15 || fail "the double-clicked long entry is not playing: \"$(driver text 21)\""
if command -v import >/dev/null; then
    for language in 0 1 2; do
        # A language switch shows the idle texts; a moment of playing shows the position again.
        [ $language = 0 ] || { driver send 0 && driver send 15 && sleep 0.3 && driver send 15; }
        e2e_shoot "$PWD/playing-lang$language.png" || fail "screenshot of language $language failed"
    done
    echo "screenshots in $PWD"
fi
driver command 3
e2e_wait_exit $playerPid 10 || fail "PELORIX.exe ended with status $? after Exit while paused"

[ $failures = 0 ] && echo "PELORIX.exe under Wine: the Playlist built through the file dialog, played and saved"
exit $((failures > 0))
