#!/usr/bin/env bash
# PELORIX.exe builds its Playlist through the real file dialog: a folder answer admits its stream
# files in the scan list's sorted order, a file answer that file, a cancel nothing; Insert before and
# Add after place around the selection; a double-click plays an entry bit for bit; Exit saves the
# Playlist. Names hold spaces and Windows-1252 characters. Screenshots in every language.
# usage: playlist_edit.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV
set -u
. "$(dirname "$0")/play_common.sh"
play_begin "$1" playlist "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"

cafe=$(printf 'Caf\xc3\xa9 n\xc2\xba 1')   # the Unix name in UTF-8; the player sees code page 1252
mkdir clips/sub sub long
make_clip b chirp 22050 1 11025
make_clip a noise 22050 2 11025
make_clip "$cafe" chirp 32000 2 16000
make_clip sub/inner noise 22050 1 4410
make_clip long chirp 22050 1 $((22050 * 40))
mv clips/long.wav long/
cp a-pcm.wav clips/pcm.wav && echo "RIFF WAVE fmt" >clips/notes.txt   # a WAV file and a text, not streams
clips=$(e2e_winpath "$PWD/clips") long=$(e2e_winpath "$PWD/long")
A=$clips\\a.wav B=$clips\\b.wav C=$clips\\$(printf 'Caf\xe9 n\xba 1').wav L=$long\\long.wav

# expect_rows LABEL ENTRY...: the Playlist holds these entries, then the end marker.
expect_rows() {
    local got=$(playlist_rows | head -n -1) want=$(printf '%s\n' "${@:2}" | sed 's/\\/\\\\/g; s/\xe9/\\xE9/g; s/\xba/\\xBA/g')
    [ "$got" = "$want" ] || fail "$1: the Playlist holds $(tr '\n' '|' <<<"$got") wanted $(tr '\n' '|' <<<"$want")"
}
# add ID ANSWER: the add command through the dialog, done once the window thread answers again.
add() { driver command "$1" && driver dlgopen "$2" 5000 && driver send 99 || fail "the dialog did not take \"$2\""; }
select_row() { driver lbsel 35 "$1" >/dev/null && driver command 35 "${2:-1}"; }
exit_player() { driver command 3; expect_exit $playerPid 10 "after Exit $1"; }

start_player
add 25 "$clips\\"
expect_rows "a folder" "$A" "$B" "$C"
driver command 29 && driver msgbox 5000 >/dev/null && driver dlgpress 2 && driver send 99 || fail "no dialog to cancel"
expect_rows "a cancel" "$A" "$B" "$C"
select_row 1
add 29 "$A"
expect_rows "a file before b" "$A" "$A" "$B" "$C"
[ "$(driver lbcursel 35)" = 2 ] || fail "after Insert before, row $(driver lbcursel 35) is selected, wanted 2 (b)"
select_row 3 2
wait_idle 20 || fail "the double-clicked entry still plays after 20 s"
compare exact "$cafe-decoded.wav" cap/out.raw || fail "the double-clicked entry did not play exactly"
exit_player "with the Playlist edited"
expect_ini "after Exit" 10 0 0 0 0 "$A" "$A" "$A" "$B" "$C"
start_player
expect_rows restart "$A" "$A" "$B" "$C"

# Add after the first entry, play it, and a picture in every language.
select_row 0
add 25 "$long\\"
expect_rows "after a" "$A" "$L" "$A" "$B" "$C"
select_row 1 2
e2e_poll 5 pushed 1 && driver send 15 && pushed 15 || fail "the double-clicked long entry is not playing: \"$(driver text 21)\""
# A language switch shows the idle texts; a moment of playing shows the position again.
for language in 0 1 2; do
    [ $language = 0 ] || { driver send 0 && driver send 15 && sleep 0.3 && driver send 15; }
    shoot "$PWD/playing-lang$language.png"
done
exit_player "while paused"
e2e_done "PELORIX.exe under Wine: the Playlist built through the file dialog, played and saved (screenshots in $PWD)"
