#!/usr/bin/env bash
# PELORIX.exe plays a Playlist from PELORIX.ini to its end ("Continue with next" set), each entry
# bit for bit in whole buffers, through a null device, faster than real time. Exit writes
# PELORIX.ini; a restart shows the same Playlist, options and language.
# usage: play_fast.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV LAYOUT_TOOL
set -u
layoutTool=$6
. "$(dirname "$0")/play_common.sh"
e2e_require_tools "$layoutTool"
play_begin "$1" play_fast "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"

# Two rates, mono and stereo: whole buffers, and a partial frame with a last buffer mostly silence.
make_clip stereo chirp 44100 2 $((44100 * 3))
make_clip mono noise 22050 1 $((22050 * 2 + 300))
clips=$(e2e_winpath "$PWD/clips")
# Format 15 reads as 10; the missing entry is dropped; language 1 is the first variant.
settings_text 15 1 0 1 1 "$clips\\*.wav" "$clips\\stereo.wav" "$clips\\gone.wav" "$clips\\mono.wav" >app/PELORIX.ini

# expect_state LABEL ROW: the Playlist, ROW selected, check boxes 4 5 28 as written, all in language 1.
"$layoutTool" --dump app/PELORIX.h app/PELORIX.h01 >language1.tsv || e2e_fail "pelorix-layout --dump failed"
expect_state() {
    local got want
    got=$(playlist_rows && driver lbcursel 35 && echo "$(driver check 4) $(driver check 5) $(driver check 28)" &&
        driver text 1) || fail "$1: the player cannot be read"
    want=$({ printf '%s\n' "$clips\\stereo.wav" "$clips\\mono.wav"; awk -F'\t' '$1 == 45 { print $8 }' language1.tsv; } |
        sed 's/\\/\\\\/g'; echo "$2"; echo "0 1 1"
        awk -F'\t' '$1 == 1 { print $8 }' language1.tsv)
    [ "$got" = "$want" ] ||
        fail "$1: the Playlist, its selection, check boxes 4 5 28 and the Play button read $(tr '\n' '|' <<<"$got") wanted $(tr '\n' '|' <<<"$want")"
}

start_player
expect_state "from PELORIX.ini" 0
driver send 1 || fail "the play command was not handled"
wait_idle 30 || fail "still playing 30 s after the play command: button state $(driver state 1), \"$(driver text 21)\""
expect_state "after the last entry" 1
mapfile -t files < <(captures)
[ "${#files[@]}" = 2 ] || fail "${#files[@]} device openings (${files[*]}), wanted 2"
compare exact stereo-decoded.wav "${files[0]:-cap/out.raw}" || fail "the first entry did not play exactly"
compare exact mono-decoded.wav "${files[1]:-cap/out.raw.0001}" || fail "the second entry did not play exactly"

# Exit writes PELORIX.ini; a restart reads it back; closing the window writes it again.
for how in "command 3" close; do
    driver $how
    expect_exit $playerPid 10 "after $how"
    expect_ini "after $how" 10 1 0 1 1 "$clips\\*.wav" "$clips\\stereo.wav" "$clips\\mono.wav"
    [ "$how" = close ] || { start_player; expect_state restart 0; }
done
e2e_done "PELORIX.exe under Wine: the Playlist played bit for bit; PELORIX.ini written and read back"
