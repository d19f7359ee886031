# Shared by the demo and the benchmarks that run the player under Wine: the player in a
# folder of its own, clips, PELORIX.ini, the driver. Sourced after tests/e2e/wineenv.sh.
driver() { e2e_wine "$driverExe" "$@"; }

# player_begin WORKROOT NAME WINDOWS_BUILD: or skips; then E2E_DIR holds app/ (player, layout files), clips/.
player_begin() {
    e2e_require_windows_build "$3" app/PELORIX.exe bench/driver/pelorix-driver.exe
    player=$3/app/PELORIX.exe driverExe=$3/bench/driver/pelorix-driver.exe
    e2e_find_wine
    e2e_begin "$1" "$2"
    e2e_start_display
    mkdir app clips && cp "$player" "${player%.exe}".h* app/ || e2e_fail "cannot copy the player"
}
# play_begin WORKROOT NAME WINDOWS_BUILD ENCODE DECODE MAKEWAV: also the tools that make clips.
play_begin() {
    encodeTool=$4 decodeTool=$5 makewavTool=$6
    e2e_require_tools "$4" "$5" "$6"
    player_begin "$1" "$2" "$3"
}

# make_clip NAME KIND RATE CHANNELS SAMPLES: clips/NAME.wav and NAME-decoded.wav, what must be played.
make_clip() {
    "$makewavTool" "$2" "$3" "$4" "$5" "$1-pcm.wav" >/dev/null &&
        "$encodeTool" --quiet --fast "$1-pcm.wav" "clips/$1.wav" &&
        "$decodeTool" "clips/$1.wav" "$1-decoded.wav" >/dev/null || e2e_fail "cannot make the clip $1"
}

# settings_text FORMAT LANGUAGE REPEAT ADVANCE CLEAR FOLDER ENTRY...: PELORIX.ini as written on Windows.
settings_text() { printf '%s\r\n' "${@:1:5}" $(($# - 6)) "${@:6}"; }

# start_player [FOLDER]: PELORIX.exe in FOLDER (app/) with its window up; idleText is the time display's.
start_player() {
    "$WINE" "${1:-$PWD/app}/PELORIX.exe" >>player.log 2>&1 9>&- &
    playerPid=$!
    e2e_await $playerPid player.log "no PELORIX window" driver wait 500
    idleText=$(driver text 21)
}

pushed() { [ $(($(driver state "$1") & 4)) != 0 ]; }   # BM_GETSTATE: BST_PUSHED
player_idle() { ! pushed 1 && [ "$(driver text 21)" = "$idleText" ]; }
wait_idle() { e2e_poll "$1" player_idle; }   # SECONDS
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
grown_to() { [ "$(size_of "$1")" -ge "$2" ]; }
wait_capture() { e2e_poll "$3" grown_to "$1" "$2"; }   # FILE BYTES SECONDS
captures() { ls cap/out.raw cap/out.raw.[0-9]* 2>/dev/null; }   # in the order of the device's openings
# played_exactly DECODED.wav CAPTURE: the capture is the decoded clip (a 44-byte header, then PCM),
# then silence to the end of its last buffer of 25 frames, then at most 100 ms of Wine's zero tail.
played_exactly() {
    local rate channels pcm=$(($(size_of "$1") - 44)) got=$(size_of "$2")
    read -r rate channels < <(od -An -j 22 -N 6 -t u2 "$1" | awk '{ print $3 * 65536 + $2, $1 }')
    local buffer=$((rate * channels / 50 * 2 * 25))
    local played=$(((pcm + buffer - 1) / buffer * buffer))
    cmp -s -n $pcm <(tail -c +45 "$1") "$2" && [ $got -ge $played ] && [ $((got - played)) -le $((rate * channels / 5)) ] &&
        [ -z "$(tail -c +$((pcm + 1)) "$2" | tr -d '\0' | head -c 1)" ]
}
