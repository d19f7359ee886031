#!/usr/bin/env bash
# The whole program under Wine: PELORIX.exe in a folder of its own, started from
# another, finds its layout files and PELORIX.ini beside itself, plays the Playlist
# to its end ("Continue with next") bit for bit through a null device, and ends
# with status 0 by Exit and, after a restart, by closing its window, writing
# PELORIX.ini beside itself each time. The player's behaviour in detail is the
# Windows test executables' concern.
# usage: player.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV
set -u
. "$(dirname "$0")/play_common.sh"
play_begin "$1" player "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"

# Two rates, mono and stereo; the second ends in a partial frame.
make_clip stereo chirp 44100 2 $((44100 * 3))
make_clip mono noise 22050 1 $((22050 * 2 + 300))
clips=$(e2e_winpath "$PWD/clips")
ini=(10 1 0 1 1 "$clips\\*.wav" "$clips\\stereo.wav" "$clips\\mono.wav")
settings_text "${ini[@]}" >app/PELORIX.ini

start_player
driver send 1 || fail "the play command was not handled"
wait_idle 30 || fail "still playing 30 s after the play command: button state $(driver state 1), \"$(driver text 21)\""
mapfile -t files < <(captures)
[ "${#files[@]}" = 2 ] || fail "${#files[@]} device openings (${files[*]}), wanted 2"
played_exactly stereo-decoded.wav "${files[0]:-none}" || fail "the first entry did not play exactly"
played_exactly mono-decoded.wav "${files[1]:-none}" || fail "the second entry did not play exactly"

for how in "command 3" close; do
    rm -f app/PELORIX.ini
    driver $how
    expect_exit $playerPid 10 "after $how"
    settings_text "${ini[@]}" | cmp -s - app/PELORIX.ini || fail "PELORIX.ini after $how: $(head -c 400 app/PELORIX.ini | cat -A)"
    [ "$how" = close ] || start_player
done
e2e_done "PELORIX.exe under Wine: started from its folder, the Playlist played bit for bit, PELORIX.ini written beside it"
