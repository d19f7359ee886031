#!/usr/bin/env bash
# PELORIX.exe playing in real time (a PulseAudio null sink paces the device),
# one scenario per run:
#   pause  pausing holds the output, and after resuming (by Pause, then by
#          Play) the audio goes on without a gap: the capture is the clip
#   seek   the time display counts; +15 s skips exactly 750 frames, at a
#          buffer's start; Stop ends playing and the display goes idle
#   exit   Exit while playing ends the process and writes PELORIX.ini
# usage: play_realtime.sh SCENARIO WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV
set -u
scenario=$1
here=$(dirname "$0")
. "$here/wineenv.sh"
. "$here/play_common.sh"

play_begin "$2" "play_$scenario" "$3" "$4" "$5" "$6"
e2e_audio_realtime "$PWD/cap/out.raw"

# play_clip NAME KIND RATE CHANNELS SECONDS: a Playlist of the clip alone, the
# player started and playing it; byteRate and frameBytes describe it.
play_clip() {
    make_clip "$1" "$2" "$3" "$4" $(($3 * $5))
    local clips
    clips=$(e2e_winpath "$PWD/clips")
    settings_text 10 0 0 0 0 "$clips\\" "$clips\\$1.wav" >app/PELORIX.ini
    byteRate=$(($3 * $4 * 2)) frameBytes=$(($3 * $4 / 50 * 2))
    start_player
    rm app/PELORIX.ini   # read at start-up; what is there at the end the player wrote
    driver send 1 || fail "the play command was not handled"
    pushed 1 || fail "the Play button is not highlighted while playing"
}

# hold: the capture grows no more once a pause has taken hold.
hold() {
    sleep 0.4
    local before
    before=$(size_of cap/out.raw)
    sleep 0.6
    [ "$(size_of cap/out.raw)" = "$before" ] || fail "$1: the capture grew from $before to $(size_of cap/out.raw) bytes while paused"
}

case $scenario in
pause)
    play_clip mono chirp 22050 1 3
    # pause-and-resume pairs: resume by Pause, then by Play
    for resume in 15 1; do
        wait_capture cap/out.raw $(($(size_of cap/out.raw) + byteRate / 2)) 5 || fail "the capture does not grow"
        driver send 15 || fail "the pause command was not handled"
        pushed 15 || fail "the Pause button is not highlighted while paused"
        hold "pause resumed by $resume"
        driver send $resume || fail "command $resume was not handled"
        ! pushed 15 || fail "the Pause button stays highlighted after command $resume"
        pushed 1 || fail "the Play button is not highlighted after command $resume"
    done
    wait_idle 10 || fail "still playing 10 s after the end of the clip"
    compare exact mono-decoded.wav cap/out.raw || fail "the audio around the pauses is not the clip"
    ;;
seek)
    play_clip stereo noise 44100 2 20
    # The display shows the second about to be decoded; the clip's last frame is in second 19.
    driver waittext 21 " 0: 0: 1  //  0: 0:19" 5000 >/dev/null ||
        fail "the time display reads \"$(driver text 21)\", never \" 0: 0: 1  //  0: 0:19\""
    driver send 17 || fail "the seek command was not handled"
    for ((i = 0; i < 40; i++)); do
        [[ $(driver text 21) == *" 0: 0:1"[5-9]"  //  0: 0:19" ]] && break
        sleep 0.1
    done
    [ $i -lt 40 ] || fail "after +15 s the time display reads \"$(driver text 21)\""
    wait_capture cap/out.raw $(($(size_of cap/out.raw) + byteRate)) 5 || fail "the capture does not grow after the seek"
    driver send 2 || fail "the stop command was not handled"
    wait_idle 3 || fail "not idle 3 s after Stop: Play button state $(driver state 1), \"$(driver text 21)\""
    [ "$(driver text 23)" = "$idleText" ] || fail "after Stop the file display reads \"$(driver text 23)\""
    compare map stereo-decoded.wav cap/out.raw >map.tsv
    echo "capture frames: from, to, clip frame (1/50 s)"
    cat map.tsv
    # the clip from its start, then from 750 frames later at a buffer's
    # start, then at most silence
    awk -F'\t' '
        NR == 1 { ok = $1 == 0 && $3 == 0; cut = $2 }
        NR == 2 { ok = ok && $3 == $1 + 750 && $1 % 25 == 0 && $2 - $1 >= 25 }
        NR == 3 { ok = ok && $3 == "silence" }
        END { exit !(ok && NR >= 2 && NR <= 3) }' map.tsv ||
        fail "the capture is not the clip up to a buffer's start and then from 750 frames later"
    ;;
exit)
    play_clip stereo noise 44100 2 5
    wait_capture cap/out.raw $byteRate 5 || fail "the capture does not grow"
    driver command 3 || fail "cannot post the exit command"
    start=$(date +%s%N)
    e2e_wait_exit $playerPid 5 || fail "PELORIX.exe ended with status $? after Exit while playing (124: still running after 5 s)"
    e2e_note "the process ended $((($(date +%s%N) - start) / 1000000)) ms after the exit command was posted"
    clips=$(e2e_winpath "$PWD/clips")
    settings_text 10 0 0 0 0 "$clips\\" "$clips\\stereo.wav" | cmp -s - app/PELORIX.ini ||
        fail "PELORIX.ini after Exit while playing: $(cat -A app/PELORIX.ini | head -10)"
    compare map stereo-decoded.wav cap/out.raw >map.tsv
    awk -F'\t' 'NR == 1 { ok = $1 == 0 && $3 == 0 } NR == 2 { ok = ok && $3 == "silence" } END { exit !(ok && NR <= 2) }' \
        map.tsv || fail "the capture is not a beginning of the clip: $(cat map.tsv)"
    ;;
*) e2e_fail "unknown scenario $scenario" ;;
esac

[ $failures = 0 ] && echo "PELORIX.exe under Wine in real time: $scenario as expected"
exit $((failures > 0))
