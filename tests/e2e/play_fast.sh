#!/usr/bin/env bash
# PELORIX.exe plays a Playlist from PELORIX.ini through to its end with
# "Continue with next" set: what waveOut received for each entry is the
# decoded clip bit for bit, in whole buffers. The audio goes to a null device
# that never blocks, so it plays faster than real time. Exit writes
# PELORIX.ini, and a restart shows the same Playlist, options and language.
# usage: play_fast.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV LAYOUT_TOOL
set -u
root=$1 layoutTool=$6
here=$(dirname "$0")
. "$here/wineenv.sh"
. "$here/play_common.sh"

[ "$layoutTool" != - ] && [ -x "$layoutTool" ] || e2e_skip "the native pelorix-layout is not built yet"
play_begin "$root" play_fast "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"

# Two rates, mono and stereo: one fills whole buffers, one ends in a partial
# frame and a last buffer mostly silence.
make_clip stereo chirp 44100 2 $((44100 * 3))
make_clip mono noise 22050 1 $((22050 * 2 + 300))
clips=$(e2e_winpath "$PWD/clips")
# Format 15 reads as 10; the missing entry is dropped; language 1 is the first variant.
settings_text 15 1 0 1 1 "$clips\\*.wav" "$clips\\stereo.wav" "$clips\\gone.wav" "$clips\\mono.wav" >app/PELORIX.ini
settings_text 10 1 0 1 1 "$clips\\*.wav" "$clips\\stereo.wav" "$clips\\mono.wav" >expected.ini

expect_rows() {   # LABEL: the Playlist, its end marker in language 1, the options as written
    local label=$1 rows want
    rows=$(playlist_rows) || fail "$label: the Playlist cannot be read"
    want=$(printf '%s\n' "$clips\\stereo.wav" "$clips\\mono.wav" "$endMarker" | sed 's/\\/\\\\/g')
    [ "$rows" = "$want" ] || fail "$label: the Playlist holds
$rows
wanted
$want"
    [ "$(driver check 4) $(driver check 5) $(driver check 28)" = "0 1 1" ] ||
        fail "$label: check boxes 4 5 28 are $(driver check 4) $(driver check 5) $(driver check 28), wanted 0 1 1"
    [ "$(driver text 1)" = "$playCaption" ] || fail "$label: the Play button reads \"$(driver text 1)\", not language 1's \"$playCaption\""
}
"$layoutTool" --dump app/PELORIX.h app/PELORIX.h01 >language1.tsv || e2e_fail "pelorix-layout --dump failed"
playCaption=$(awk -F'\t' '$1 == 1 { print $8 }' language1.tsv)
endMarker=$(awk -F'\t' '$1 == 45 { print $8 }' language1.tsv)

# ---- play the Playlist through
start_player
expect_rows "from PELORIX.ini"
driver send 1 || fail "the play command was not handled"
wait_idle 30 || fail "still playing 30 s after the play command: button state $(driver state 1), \"$(driver text 21)\""
[ "$(driver lbcursel 35)" = 1 ] || fail "the selection is on row $(driver lbcursel 35) after the last entry, wanted 1"
mapfile -t files < <(captures)
[ "${#files[@]}" = 2 ] || fail "${#files[@]} device openings (${files[*]}), wanted 2"
compare exact stereo-decoded.wav "${files[0]:-cap/out.raw}" || fail "the first entry did not play exactly"
compare exact mono-decoded.wav "${files[1]:-cap/out.raw.0001}" || fail "the second entry did not play exactly"

# ---- Exit writes PELORIX.ini; a restart reads it back; closing the window writes it again
driver command 3 || fail "cannot post the exit command"
e2e_wait_exit $playerPid 10 || fail "PELORIX.exe ended with status $? after the exit command (124: still running)"
cmp -s app/PELORIX.ini expected.ini ||
    { fail "PELORIX.ini after Exit differs (< wanted, > written):"; diff expected.ini app/PELORIX.ini | cat -A | head -20; }
start_player
expect_rows restart
[ "$(driver lbcursel 35)" = 0 ] || fail "after a restart the selection is on row $(driver lbcursel 35), wanted 0"
driver close || fail "cannot post WM_CLOSE"
e2e_wait_exit $playerPid 10 || fail "PELORIX.exe ended with status $? after WM_CLOSE (124: still running)"
cmp -s app/PELORIX.ini expected.ini || fail "PELORIX.ini after closing the window differs"

[ $failures = 0 ] && echo "PELORIX.exe under Wine: the Playlist played bit for bit; PELORIX.ini written and read back"
exit $((failures > 0))
