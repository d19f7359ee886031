#!/usr/bin/env bash
# PELORIX.exe playing in real time (a PulseAudio null sink paces the device):
#   pause  pausing holds the output; after resuming (by Pause, then by Play)
#          the audio goes on without a gap: the capture is the clip
#   seek   the time display counts; +15 s skips exactly 750 frames, at a
#          buffer's start; Stop ends playing and the display goes idle
#   exit   Exit while playing ends the process and writes PELORIX.ini
# usage: play_realtime.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV SCENARIO
set -u
scenario=$6
. "$(dirname "$0")/play_common.sh"
play_begin "$1" "play_$scenario" "$2" "$3" "$4" "$5"
e2e_audio_realtime "$PWD/cap/out.raw"

# play_clip NAME KIND RATE CHANNELS SECONDS: the player playing a Playlist of the clip alone.
play_clip() {
    clips=$(e2e_winpath "$PWD/clips") clip=$1 byteRate=$(($3 * $4 * 2))
    make_clip "$1" "$2" "$3" "$4" $(($3 * $5))
    settings_text 10 0 0 0 0 "$clips\\" "$clips\\$1.wav" >app/PELORIX.ini
    start_player
    rm app/PELORIX.ini   # read at start-up; what is there at the end the player wrote
    driver send 1 && pushed 1 || fail "the Play button is not highlighted after the play command"
}
grown() { wait_capture cap/out.raw $(($(size_of cap/out.raw) + $1)) 5 || fail "the capture does not grow"; }
# map_is AWK: the capture's runs of clip frames (FROM TO CLIP-FROM, in 1/50 s) pass AWK.
map_is() {
    compare map "$clip-decoded.wav" cap/out.raw >map.tsv
    awk -F'\t' "$1"' END { exit !ok }' map.tsv || fail "the capture's runs of clip frames: $(tr '\t\n' ' ;' <map.tsv)"
}

case $scenario in
pause)
    play_clip mono chirp 22050 1 3
    for resume in 15 1; do
        grown $((byteRate / 2))
        driver send 15 && pushed 15 || fail "the Pause button is not highlighted while paused"
        before=$(sleep 0.4 && size_of cap/out.raw) && sleep 0.6   # once the pause has taken hold
        [ "$(size_of cap/out.raw)" = "$before" ] || fail "the capture grew from $before to $(size_of cap/out.raw) bytes while paused"
        driver send $resume && ! pushed 15 && pushed 1 || fail "after command $resume the Pause and Play buttons are $(driver state 15) $(driver state 1)"
    done
    wait_idle 10 || fail "still playing 10 s after the end of the clip"
    compare exact mono-decoded.wav cap/out.raw || fail "the audio around the pauses is not the clip"
    ;;
seek)
    # The display shows the second about to be decoded; 40 s, so that a Stop that fails is seen.
    play_clip stereo noise 44100 2 40
    e2e_poll 5 text_has 21 " 0: 0: 1  //  0: 0:39" || fail "the time display reads \"$(driver text 21)\", not second 1"
    after_seek() { [[ $(driver text 21) == *" 0: 0:1"[5-9]"  //  0: 0:39" ]]; }
    driver send 17 && e2e_poll 4 after_seek || fail "after +15 s the time display reads \"$(driver text 21)\""
    grown $byteRate
    driver send 2 && wait_idle 3 || fail "not idle 3 s after Stop: Play button state $(driver state 1), \"$(driver text 21)\""
    [ "$(driver text 23)" = "$idleText" ] || fail "after Stop the file display reads \"$(driver text 23)\""
    # the clip from its start, then from 750 frames later at a buffer's start, then at most silence
    map_is 'NR == 1 { ok = $1 == 0 && $3 == 0 } NR == 2 { ok = ok && $3 == $1 + 750 && $1 % 25 == 0 && $2 - $1 >= 25 }
        NR == 3 { ok = ok && $3 == "silence" } NR > 3 { ok = 0 } END { ok = ok && NR >= 2 }'
    ;;
exit)
    play_clip stereo noise 44100 2 5
    grown $byteRate
    driver command 3
    expect_exit $playerPid 5 "after Exit while playing"
    expect_ini "after Exit while playing" 10 0 0 0 0 "$clips\\" "$clips\\stereo.wav"
    map_is 'NR == 1 { ok = $1 == 0 && $3 == 0 } NR == 2 { ok = ok && $3 == "silence" } NR > 2 { ok = 0 }'   # a beginning of the clip
    ;;
*) e2e_fail "unknown scenario $scenario" ;;
esac
e2e_done "PELORIX.exe under Wine in real time: $scenario as expected"
