#!/usr/bin/env bash
# PELORIX.exe under Wine in Xvfb: adding a folder of many small stream files
# through the file dialog ("Add after", the folder with a backslash), from the
# answer until the Playlist holds them all, beside the start-up that reads the
# same entries from PELORIX.ini. Seconds of wall time, and the window thread's
# CPU as Linux counts it. Prints figures; asserts nothing. Never part of the tests.
#   bench/playlist_add.sh [--windows build/windows] [--native build/native] [--counts "1000 5000"]
set -u
cd "$(dirname "$0")/.."
windowsBuild=build/windows nativeBuild=build/native counts="1000 5000"
while [ $# -gt 0 ]; do
    case $1 in
    --windows) windowsBuild=$2; shift 2 ;;
    --native) nativeBuild=$2; shift 2 ;;
    --counts) counts=$2; shift 2 ;;
    *) echo "usage: $0 [--windows DIR] [--native DIR] [--counts \"N...\"]" >&2; exit 2 ;;
    esac
done
windowsBuild=$(realpath "$windowsBuild") nativeBuild=$(realpath "$nativeBuild")
work=$PWD/build/bench-wine
. tests/e2e/wineenv.sh
. bench/play_common.sh
mkdir -p "$work"
play_begin "$work" add "$windowsBuild" "$nativeBuild/tools/pelorix-encode" "$nativeBuild/tools/pelorix-decode" \
    "$nativeBuild/tests/makewav"
e2e_audio_fast "$PWD/cap/out.raw"   # nothing plays; a device, should anything open one
make_clip tiny noise 8000 1 800     # 0.1 s, a few hundred bytes
ticks=$(getconf CLK_TCK)
window_cpu() { awk -v tick=$((1000 / ticks)) '{ print ($14 + $15) * tick }' /proc/$playerPid/task/$playerPid/stat; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
seconds() { awk -v ms="$1" 'BEGIN { printf "%6.2f s", ms / 1000 }'; }
# launch: the player with the PELORIX.ini in app/; the milliseconds until its window is shown,
# which it is once the start-up, the Playlist's fill included, is done.
launch() {
    local start=$(now_ms)
    "$WINE" "$PWD/app/PELORIX.exe" >>player.log 2>&1 9>&- &
    playerPid=$!
    driver wait 600000 || { cat player.log; e2e_fail "no PELORIX window"; }
    launchMs=$(($(now_ms) - start))
}
# quit ENTRIES: closes the player; its PELORIX.ini must then list ENTRIES entries.
quit() {
    driver close && e2e_wait_exit $playerPid 60 >/dev/null || e2e_fail "the player did not exit"
    [ "$(sed -n 6p app/PELORIX.ini | tr -d '\r')" = "$1" ] || e2e_fail "the Playlist did not hold $1 entries"
}

settings_text 10 0 0 0 0 '*.*' >app/PELORIX.ini
launch && quit 0
launch && quit 0   # warm: the empty start-up that the loads below are set against
emptyMs=$launchMs
echo "start-up with an empty Playlist: $(seconds $emptyMs)"
for count in $counts; do
    mkdir "clips/$count"
    for ((i = 0; i < count; i++)); do printf -v name 't%05d.wav' $i && ln clips/tiny.wav "clips/$count/$name"; done
    folder=$(e2e_winpath "$PWD/clips/$count")\\

    settings_text 10 0 0 0 0 '*.*' >app/PELORIX.ini
    launch
    cpu0=$(window_cpu)
    driver command 25   # Add after
    addMs=$(driver dialog "$folder" $((count + 1))) || e2e_fail "the add of $count files did not finish"
    addCpu=$(($(window_cpu) - cpu0))
    quit $count

    # The same entries from the file; the window's own CPU is its start-up's.
    { printf '%s\r\n' 10 0 0 0 0 $count "$folder"
      for ((i = 0; i < count; i++)); do printf '%st%05d.wav\r\n' "$folder" $i; done; } >app/PELORIX.ini
    launch
    loadCpu=$(window_cpu)
    quit $count

    echo "$count files: folder add $(seconds $addMs) (window thread CPU, the dialog included, $(seconds $addCpu)," \
        "$((addCpu * 1000 / count)) us a file); start-up load $(seconds $((launchMs - emptyMs)))" \
        "beyond the empty start-up (window thread CPU $(seconds $loadCpu) for the whole start-up)"
done
