#!/usr/bin/env bash
# PELORIX.exe soaked under Wine: a Playlist of short clips (mixed rates, mono
# and stereo) plays with "Continue with next" and Repeat while the driver
# sends random commands at random moments (seeks of every size, pause, play,
# stop, next, previous, double-clicks, language switches). The window must
# answer throughout and Exit must write PELORIX.ini; the handle count and
# memory must not grow after the first round; every device opening must hold
# whole decoded buffers of the right entries in the right order (capture_cmp.py
# soak says how far that is knowable). The audio goes to a null device, faster
# than real time. Repeat a run with its seed.
# usage: soak.sh WORKROOT WINDOWS_BUILD ENCODE DECODE MAKEWAV [ENTRIES COMMANDS MAXGAP_MS SEED]
set -u
root=$1 entries=${6:-20} commands=${7:-150} maxGap=${8:-900} seed=${9:-$((RANDOM * 32768 + RANDOM))}
. "$(dirname "$0")/play_common.sh"

play_begin "$root" soak "$2" "$3" "$4" "$5"
e2e_audio_fast "$PWD/cap/out.raw"
echo "soak: seed $seed, $entries entries, $commands commands, gaps up to $maxGap ms"

# Every entry has a rate of its own, so no two entries share a frame. A chirp
# at rate r repeats after k r / 6000 s, k = 300 / gcd(r, 300): with r 50 times
# a number prime to 6 that is r / 1000 s, longer than any clip here.
declare -a names decoded
for ((i = 0; i < entries; i++)); do
    rate=$((50 * (6 * (27 + i * 397 % 100) + 1))) channels=$((1 + i % 2))
    make_clip e$i chirp $rate $channels $((rate * (15 + i * 7 % 10 * 4) / 10))
    names+=("$(e2e_winpath "$PWD/clips/e$i.wav")") decoded+=("e$i-decoded.wav")
done
settings_text 10 0 1 1 0 "$(e2e_winpath "$PWD/clips")\\" "${names[@]}" >app/PELORIX.ini

# mark KIND: a command the script sends, in the driver's log format.
mark() {
    local last
    last=$(captures | tail -n 1)
    echo "- $1 0 $(captures | wc -l) $(size_of "${last:-none}")" >>soak.log
}
stopped() { ! pushed 1; }   # a language switch changes the idle text, so the Play button tells
# round SEED COUNT LABEL: the random commands, then Stop and the player's usage once idle.
round() {
    # Once more when the send timed out on a busy machine: Play while playing does nothing.
    driver send 1 || driver send 1 || fail "$3: the play command was not handled"
    driver soak "$1" "$2" "$maxGap" "$(e2e_winpath "$PWD/cap/out.raw")" >>soak.log ||
        fail "$3: the soak stopped at command $(tail -n 1 soak.log | cut -d' ' -f1)"
    kill -0 $playerPid 2>/dev/null || e2e_fail "$3: PELORIX.exe is gone (status $(wait $playerPid; echo $?))"
    mark stop
    driver send 2 || fail "$3: the stop command was not handled"
    e2e_poll 10 stopped || fail "$3: still playing 10 s after Stop"
    handles=$(driver handles) || fail "$3: no handle count"
    # Wine gives no private bytes for another process: its heap, as Linux counts it, instead.
    private=$(awk '/VmData/ { print $2 }' /proc/$playerPid/status)
    echo "$3: handles ${handles:-?}, private ${private:-?} KB, fds $(ls /proc/$playerPid/fd | wc -l)," \
        "$(grep -c . soak.log) commands, $(captures | wc -l) openings"
}

start=$(date +%s)
start_player
round "$seed" $((commands / 10)) "after round 1"
read -r handles1 private1 <<<"$handles $private"
round $((seed + 1)) $((commands - commands / 10)) "at the end"
# Allocator noise: Wine's heaps and ALSA's configuration cache may settle a
# few pages later; a leak per command or per opening would pass this by far.
[ "${handles:-0}" -le $((${handles1:-0} + 2)) ] || fail "handles grew from $handles1 to $handles"
[ "${private:-0}" -le $((${private1:-0} + 512)) ] || fail "private memory grew from $private1 KB to $private KB"

mark exit
driver command 3
expect_exit $playerPid 10 "after Exit"
languages=$(($(ls app/PELORIX.h[0-9]* | wc -l) + 1))
expect_ini "after Exit" 10 $(($(grep -c ' lang ' soak.log) % languages)) 1 1 0 "$(e2e_winpath "$PWD/clips")\\" "${names[@]}"
echo "soak: $(($(date +%s) - start)) s of soak"
compare soak soak.log cap/out.raw "${decoded[@]}" || fail "the captured audio is not the Playlist's buffers in order"

e2e_done "PELORIX.exe under Wine: $commands random commands soaked up without a fault (seed $seed)"
