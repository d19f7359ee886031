#!/usr/bin/env bash
# PELORIX.exe under Wine in Xvfb, playing in real time through a PulseAudio
# null sink: its CPU time while it plays 44.1 kHz stereo (as Linux counts
# its process, each of its threads and wineserver), the time
# from Exit while playing until the process is gone, and how soon Stop, Pause
# and a seek show in the audio it hands to waveOut (bench/player_latency.py).
# Prints figures; asserts nothing. Never part of the tests.
#   bench/player_wine.sh [--windows build/windows] [--native build/native] [--seconds 60] [--runs 5]
set -u
cd "$(dirname "$0")/.."
windowsBuild=build/windows nativeBuild=build/native seconds=60 runs=5
while [ $# -gt 0 ]; do
    case $1 in
    --windows) windowsBuild=$2; shift 2 ;;
    --native) nativeBuild=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--windows DIR] [--native DIR] [--seconds N] [--runs N]" >&2; exit 2 ;;
    esac
done
windowsBuild=$(realpath "$windowsBuild") nativeBuild=$(realpath "$nativeBuild")
work=$PWD/build/bench-wine
bench=$PWD/bench
. tests/e2e/wineenv.sh
. bench/play_common.sh
. bench/realtime.sh
mkdir -p "$work"
play_begin "$work" run "$windowsBuild" "$nativeBuild/tools/pelorix-encode" "$nativeBuild/tools/pelorix-decode" \
    "$nativeBuild/tests/makewav"
e2e_audio_realtime "$PWD/cap/out.raw"
clips=$(e2e_winpath "$PWD/clips")
ticks=$(getconf CLK_TCK)
# cpu_ms: the player's user and kernel CPU milliseconds so far, as Linux counts its process
cpu_ms() { awk -v tick=$((1000 / ticks)) '{ print $14 * tick, $15 * tick }' /proc/$playerPid/stat; }
# threads SNAPSHOT: one line per thread of the player, in the order they were
# created, then wineserver's: id, name, CPU ticks
threads() {
    local task
    for task in $(ls -d /proc/$playerPid/task/* | sort -t/ -k5n) /proc/$(pgrep -n wineserver)/task/*; do
        awk -v id="${task##*/}" -v name="$(cat "$task/comm" 2>/dev/null)" '{ print id, name, $14 + $15 }' "$task/stat" 2>/dev/null
    done >"$1"
}

# ---- CPU while playing
make_clip cpu chirp 44100 2 $((44100 * (seconds + 2)))
settings_text 10 0 0 0 0 "$clips\\" "$clips\\cpu.wav" >app/PELORIX.ini
start_player
driver send 1
wait_capture cap/out.raw $((44100 * 4)) 10   # one second played: start-up is done
read -r user0 kernel0 < <(cpu_ms)
threads threads0.txt
wall0=$(date +%s%N)
sleep "$seconds"
read -r user1 kernel1 < <(cpu_ms)
threads threads1.txt
wallMs=$((($(date +%s%N) - wall0) / 1000000))
percent() { awk -v c="$1" -v w="$wallMs" 'BEGIN { printf "%5.2f%%", 100 * c / w }'; }
cpu=$((user1 - user0 + kernel1 - kernel0))
echo "CPU while playing $((wallMs / 1000)) s of 44.1 kHz stereo in real time, in % of one core:"
echo "  PELORIX.exe (its Linux process): $(percent $cpu), $cpu ms (user $((user1 - user0)), kernel $((kernel1 - kernel0)))"
# Windows threads carry the exe's name. The playback thread is the first after
# the main one: it opens the device, and winmm makes its own thread then.
echo "  per thread, as Linux counts it:"
awk -v tick=$((1000 / ticks)) -v w="$wallMs" -v main="$playerPid" '
    NR == FNR { before[$1] = $3; next }
    {
        role = ""
        if ($1 == main) role = "window thread"
        else if ($2 == "PELORIX.exe" && ++others == 1) role = "playback thread"
        else if ($2 == "PELORIX.exe") role = "Wine (winmm)"
        else if ($2 ~ /^wineserver/) role = "Wine"
        else role = "Wine audio"
        ms = ($3 - before[$1]) * tick
        printf "    %-8s %-16s %-16s %5.2f%%  %d ms\n", $1, $2, role, 100 * ms / w, ms
    }' threads0.txt threads1.txt

# ---- Exit while playing
driver command 3
start=$(date +%s%N)
e2e_wait_exit $playerPid 10
echo "Exit while playing: the process was gone $((($(date +%s%N) - start) / 1000000)) ms after the command (bound 2000 ms)"

# ---- Stop, Pause, seek
make_clip seek noise 44100 2 $((44100 * 60))
settings_text 10 0 0 0 0 "$clips\\" "$clips\\seek.wav" >app/PELORIX.ini
rm -f cap/out.raw*
start_player
python3 "$bench/player_latency.py" --wine "$WINE" --driver "$driverExe" --captures cap --clip seek-decoded.wav \
    --idle-text "$idleText" --runs "$runs"
driver close
e2e_wait_exit $playerPid 10
