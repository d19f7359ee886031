# Shared by the playing tests (sourced after wineenv.sh): the player in a
# folder of its own with its layout files, clips coded by the native tools, a
# PELORIX.ini naming them, and the driver that steers the running player.

playHere=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)   # the tests cd elsewhere
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
driver() { e2e_wine "$driverExe" "$@"; }

# play_begin WORKROOT NAME WINDOWS_BUILD ENCODE DECODE MAKEWAV: skips when
# something is missing; then E2E_DIR holds app/ with the player.
play_begin()
{
    local root=$1 name=$2 windowsBuild=$3
    encodeTool=$4 decodeTool=$5 makewavTool=$6
    e2e_require_windows_build "$windowsBuild"
    player=$windowsBuild/app/PELORIX.exe
    driverExe=$windowsBuild/tests/e2e/driver/pelorix-driver.exe
    e2e_require_product "$player" PELORIX.exe
    e2e_require_product "$driverExe" pelorix-driver.exe
    local tool
    for tool in "$encodeTool" "$decodeTool" "$makewavTool"; do
        [ "$tool" != - ] && [ -x "$tool" ] || e2e_skip "a native tool is not built yet ($tool)"
    done
    command -v python3 >/dev/null || e2e_skip "python3 is not installed"
    e2e_find_wine
    e2e_require_xvfb
    e2e_begin "$root" "$name"
    e2e_start_display
    mkdir app clips
    cp "$player" "$(dirname "$player")"/PELORIX.h* app/ || e2e_fail "cannot copy the player"
}

# make_clip NAME KIND RATE CHANNELS SAMPLES: clips/NAME.wav, the stream the
# player plays, and NAME-decoded.wav, what it must play. Chirps and noise
# have no two frames alike, so a capture's frames tell where they came from.
make_clip()
{
    local name=$1 kind=$2 rate=$3 channels=$4 samples=$5
    "$makewavTool" "$kind" "$rate" "$channels" "$samples" "$name-pcm.wav" >/dev/null &&
        "$encodeTool" --quiet --fast "$name-pcm.wav" "clips/$name.wav" &&
        "$decodeTool" "clips/$name.wav" "$name-decoded.wav" >/dev/null ||
        e2e_fail "cannot make the clip $name"
}

# settings_text FORMAT LANGUAGE REPEAT ADVANCE CLEAR FOLDER ENTRY...: a
# PELORIX.ini as the player writes it on Windows, CR LF line ends.
settings_text()
{
    local format=$1 language=$2 repeat=$3 advance=$4 clear=$5 folder=$6
    shift 6
    printf '%s\r\n' "$format" "$language" "$repeat" "$advance" "$clear" $# "$folder" "$@"
}

# start_player [FOLDER]: PELORIX.exe in FOLDER (app/); waits for the window,
# then keeps its idle text (control 21).
start_player()
{
    "$WINE" "${1:-$PWD/app}/PELORIX.exe" >>player.log 2>&1 9>&- &
    playerPid=$!
    local i
    for ((i = 0; i < 60; i++)); do
        driver wait PELORIX 500 && break
        kill -0 $playerPid 2>/dev/null || i=60
    done
    [ $i -lt 60 ] || { cat player.log; e2e_fail "no PELORIX window within 30 s"; }
    idleText=$(driver text 21)
}


# playlist_rows: every row of the Playlist, the end marker last. A row the
# driver could not read (a busy machine can time a send out) makes it try the
# whole list once more, and then fail rather than print a list without it.
playlist_rows()
{
    local attempt i count rows
    for attempt in 1 2; do
        [ $attempt = 1 ] || sleep 1
        count=$(driver lbcount 35) || continue
        rows=$(for ((i = 0; i < count; i++)); do driver lbtext 35 $i || exit 1; done) || continue
        printf '%s\n' "$rows"
        return 0
    done
    return 1
}

pushed() { [ $(($(driver state "$1") & 4)) != 0 ]; }   # BM_GETSTATE: BST_PUSHED

# wait_idle SECONDS: the play button released and the idle text back.
wait_idle()
{
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        ! pushed 1 && [ "$(driver text 21)" = "$idleText" ] && return 0
        sleep 0.1
    done
    return 1
}

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# wait_capture FILE BYTES SECONDS: the capture has grown to BYTES.
wait_capture()
{
    local i
    for ((i = 0; i < $3 * 20; i++)); do
        [ "$(size_of "$1")" -ge "$2" ] && return 0
        sleep 0.05
    done
    return 1
}

# captures: the capture files in the order the player opened the device.
captures() { ls cap/out.raw cap/out.raw.[0-9]* 2>/dev/null; }

compare() { python3 "$playHere/capture_cmp.py" "$@"; }
