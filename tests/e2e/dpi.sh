#!/bin/bash
# PELORIX.exe at 96, 144 and 192 DPI (LogPixels of the shared prefix, put back
# to 96 at the end): the window opens holding every control whole inside its
# client area, the controls grow with the DPI; a screenshot of each (with two
# Playlist rows) and the driver's messages in the test's folder.
# Usage: dpi.sh ROOT WINDOWS-BUILD
. "$(dirname "$0")/wineenv.sh"
vectors=$(cd "$(dirname "$0")/../vectors" && pwd)
e2e_find_wine
e2e_require_windows_build "$2" app/PELORIX.exe bench/driver/pelorix-driver.exe
e2e_begin "$1" dpi
exe=$2/app/PELORIX.exe driverExe=$2/bench/driver/pelorix-driver.exe
set_dpi() { e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'e2e_stop_wine; set_dpi 96; e2e_end' EXIT
e2e_start_display 2560x1600x24   # room for the window at 192 DPI
driver() { e2e_wine "$driverExe" "$@" 2>>"$E2E_DIR/driver$dpi.log" | tr -d '\r'; }   # its reasons kept
# driver_read OP...: its answer into answer, asked every 0.1 s for up to 2 s: a read just after the window
# shows can come back empty. Status 1 when none came; why is on the last line of driver$dpi.log.
driver_read() {
    local i
    for ((i = 0; i < 20; i++)); do answer=$(driver "$@") && [ -n "$answer" ] && return 0; sleep 0.1; done
    return 1
}
cp "$exe" "$2"/app/PELORIX.h* "$E2E_DIR/" || e2e_fail "cannot copy the player"
# Two Playlist rows for the screenshots (PELORIX.ini: format, language, options, count, last answer, entries)
printf '%s\r\n' 10 0 0 0 0 2 '*.*' "$(e2e_winpath "$vectors/sine-stereo-11025-delta.wav")" \
    "$(e2e_winpath "$vectors/noise-mono-8000-coder20.wav")" >"$E2E_DIR/PELORIX.ini"
lastHeight=0
for dpi in 96 144 192; do
    e2e_stop_wine && set_dpi "$dpi"
    e2e_wine "$E2E_DIR/PELORIX.exe" >"$E2E_DIR/run$dpi.log" 2>&1 &
    pid=$!
    e2e_await $pid "$E2E_DIR/run$dpi.log" "no window at $dpi DPI" driver wait 100
    driver_read client || e2e_fail "at $dpi DPI no client area: $(tail -n 1 "$E2E_DIR/driver$dpi.log")"
    read -r cl ct cr cb <<<"$answer"
    whole=0 outside= playlist=
    for id in 0 1 2 3 4 5 10 11 12 13 14 15 16 17 18 19 20 21 23 25 26 27 28 29 35 36; do
        driver_read rect $id ||
            { fail "at $dpi DPI no place of control $id: $(tail -n 1 "$E2E_DIR/driver$dpi.log")"; continue; }
        read -r l t r b <<<"$answer"
        whole=$((whole + 1))
        ((l >= cl && t >= ct && r <= cr && b <= cb)) || outside+=" $id($l $t $r $b)"
        ((id != 35)) || playlist="$l $t $r $b"
    done
    read -r l t r b <<<"${playlist:-0 0 0 0}"
    echo "$dpi DPI: client $cl $ct $cr $cb, $whole controls, Playlist $((r - l))x$((b - t))"
    [ -z "$outside" ] || fail "at $dpi DPI controls outside the client area $cl $ct $cr $cb:$outside"
    ((whole > 0 && b - t > lastHeight)) || fail "at $dpi DPI the Playlist is $((b - t)) high, not above $lastHeight"
    lastHeight=$((b - t))
    if command -v import >/dev/null; then
        driver_read rect main && read -r l t r b <<<"$answer" && sleep 0.3 &&
            import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$E2E_DIR/dpi$dpi.png" ||
            fail "no screenshot at $dpi DPI"
    fi
    driver close
    e2e_wait_exit $pid 10 >/dev/null || fail "PELORIX.exe did not end at $dpi DPI"
done
e2e_done "dpi: every control whole at 96, 144 and 192 DPI; screenshots in $E2E_DIR"
