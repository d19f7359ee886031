# Shared set-up of the end-to-end tests that run the Windows build under Wine.
# Sourced by each test script (bash). Exit status 77 tells ctest the test was
# skipped; the reason is printed on one line first.
#
# Every test of a run uses one private WINEPREFIX in the build tree, created
# on first use and kept. A test holds an exclusive lock on it from e2e_begin
# to its end, so tests that ctest starts in parallel take turns, and the
# closing `wineserver -k` can only hit the test's own processes. Programs the
# test starts do not inherit the lock (fd 9): a test that was killed leaves no
# holder behind, and the next one ends its leftovers first.

E2E_XVFB_PID=
E2E_LOCKED=
E2E_PULSE_PID=
E2E_PULSE_DIR=

e2e_skip()
{
    echo "SKIPPED: $*"
    exit 77
}

e2e_fail()
{
    echo "FAILED: $*"
    exit 1
}

e2e_note()
{
    echo "-- $*"
}

# Sets WINE and WINESERVER, or skips. Debian's wine64 package installs only
# /usr/lib/wine/wine64; the wine package adds the wrapper in the path.
e2e_find_wine()
{
    WINE=
    local candidate
    for candidate in "$(command -v wine)" "$(command -v wine64)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64 \
        /opt/wine-stable/bin/wine64 /opt/wine-stable/bin/wine; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            WINE=$candidate
            break
        fi
    done
    [ -n "$WINE" ] || e2e_skip "Wine is not installed (no wine or wine64; apt-get install wine64)"
    WINESERVER=$(command -v wineserver)
    if [ -z "$WINESERVER" ] && [ -x "$(dirname "$WINE")/wineserver" ]; then
        WINESERVER=$(dirname "$WINE")/wineserver
    fi
    [ -n "$WINESERVER" ] || e2e_skip "Wine is incomplete: no wineserver beside $WINE"
}

# e2e_require_product PATH NAME: skips when a product of the windows build is missing.
e2e_require_product()
{
    [ -f "$1" ] || e2e_skip "$2 is not built yet (no $1)"
}

# The build passes "-" for a folder or tool that it does not have.
e2e_require_windows_build()
{
    [ -n "$1" ] && [ "$1" != - ] || e2e_skip "no windows build: configure with -DPELORIX_WINDOWS_BUILD=<windows build folder>"
    [ -d "$1" ] || e2e_skip "the windows build folder $1 does not exist"
}

# Runs a Windows program (or Wine's own: wineboot, reg) without the lock.
e2e_wine()
{
    "$WINE" "$@" 9>&-
}

# The Windows name of a Unix path, as Wine's Z: drive shows the whole file system.
e2e_winpath()
{
    printf 'Z:%s' "$1" | tr / '\\'
}

# e2e_shoot FILE: the player's main window as the screen shows it (needs
# $driverExe and ImageMagick's import).
e2e_shoot()
{
    local left top right bottom
    read -r left top right bottom < <(e2e_wine "$driverExe" rect main) || return 1
    sleep 0.3   # let the controls finish painting; nothing is asserted about it
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$1"
}

# e2e_begin ROOT NAME: environment, lock and prefix; makes the test's own empty
# folder E2E_DIR = ROOT/NAME and changes into it.
e2e_begin()
{
    local root=$1 name=$2
    local shared=$root/wine
    mkdir -p "$shared/home" "$shared/xdg" || e2e_fail "cannot create $shared"
    chmod 700 "$shared/xdg"
    export HOME=$shared/home
    export XDG_RUNTIME_DIR=$shared/xdg
    export WINEPREFIX=$shared/prefix
    export WINEDEBUG=-all                    # also silences Debian's "wine32 is missing" hint
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers
    export LC_ALL=C.UTF-8                    # ANSI code page 1252, whatever the host's locale
    unset DISPLAY WAYLAND_DISPLAY WINEARCH

    exec 9>"$shared/lock"
    flock -w 900 9 || e2e_fail "the Wine prefix $WINEPREFIX stayed locked for 15 minutes"
    E2E_LOCKED=1
    trap e2e_end EXIT
    "$WINESERVER" -k >/dev/null 2>&1 9>&-
    rm -f "$HOME/.asoundrc"   # a killed audio test's; each audio test writes its own

    if [ ! -f "$shared/prefix.ready" ]; then
        e2e_note "creating the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        e2e_wine wineboot -i >"$shared/wineboot.log" 2>&1 || {
            cat "$shared/wineboot.log"
            e2e_fail "wineboot -i failed"
        }
        # Without a window manager x11drv waits 2 s on every hidden or
        # destroyed top-level window, and keyboard focus never moves.
        e2e_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
            e2e_fail "cannot set Managed=N in the Wine prefix"
        e2e_wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1 ||
            e2e_fail "cannot choose the ALSA audio driver in the Wine prefix"
        # wineboot ran without a display; its wineserver and desktop process
        # must not serve the test's programs, which need the test's Xvfb.
        "$WINESERVER" -k >/dev/null 2>&1 9>&-
        timeout 20 "$WINESERVER" -w >/dev/null 2>&1 9>&-
        touch "$shared/prefix.ready"
    fi

    E2E_DIR=$root/$name
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR" || e2e_fail "cannot create $E2E_DIR"
    cd "$E2E_DIR" || e2e_fail "cannot enter $E2E_DIR"
}

# e2e_await PID LOG WHAT CHECK...: polls CHECK for up to 10 s; fails, showing
# LOG, when the process PID ends first or the time runs out.
e2e_await()
{
    local pid=$1 log=$2 what=$3 i
    shift 3
    for i in $(seq 200); do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || { cat "$log"; e2e_fail "$what: the process ended"; }
        sleep 0.05
    done
    e2e_fail "$what within 10 s"
}

# e2e_wait_exit PID SECONDS: the process's exit status, or 124 when it still runs.
e2e_wait_exit()
{
    local i
    for ((i = 0; i < $2 * 20; i++)); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; return; }
        sleep 0.05
    done
    return 124
}

e2e_require_xvfb()
{
    command -v Xvfb >/dev/null || e2e_skip "Xvfb is not installed (apt-get install xvfb)"
}

# Starts a private Xvfb on a display it picks itself (-displayfd) and exports
# DISPLAY.
e2e_start_display()
{
    e2e_require_xvfb
    local numberFile=$E2E_DIR/xvfb.display
    Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$numberFile" 2>"$E2E_DIR/xvfb.log" 9>&- &
    E2E_XVFB_PID=$!
    e2e_await "$E2E_XVFB_PID" "$E2E_DIR/xvfb.log" "Xvfb gave no display number" test -s "$numberFile"
    export DISPLAY=:$(head -n 1 "$numberFile")
    e2e_note "Xvfb on $DISPLAY"
}

# Audio. The prefix uses winealsa, and ALSA's default device is a `file`
# plugin: every waveOutOpen starts a new capture file (CAPTURE, then
# CAPTURE.0001, .0002, ...) holding exactly the PCM that waveOut played. The
# plugin's slave decides the pacing.

# e2e_asoundrc CAPTURE SLAVE-DEFINITION
e2e_asoundrc()
{
    mkdir -p "$(dirname "$1")" || e2e_fail "cannot create the capture folder for $1"
    printf '%s\n' "pcm.!default { type file  slave.pcm \"capturesink\"  file \"$1\"  format \"raw\"  truncate 0 }" \
        "$2" >"$HOME/.asoundrc"
}

# e2e_audio_fast CAPTURE: a null slave, which never blocks; Wine's own period
# logic then plays about four times faster than real time.
e2e_audio_fast()
{
    e2e_asoundrc "$1" 'pcm.capturesink { type null }'
}

# e2e_audio_realtime CAPTURE: a pulse slave into a null sink of a PulseAudio
# server of the test's own, which paces playing in real time. The capture
# grows with the audio handed over and stops growing while the device is paused.
e2e_audio_realtime()
{
    command -v pulseaudio >/dev/null ||
        e2e_skip "PulseAudio is not installed (apt-get install --no-install-recommends pulseaudio pulseaudio-utils)"
    [ -n "$(find /usr/lib /usr/lib64 -name libasound_module_pcm_pulse.so 2>/dev/null | head -n 1)" ] ||
        e2e_skip "ALSA's pulse plugin is not installed (apt-get install libasound2-plugins)"
    # A socket's path must stay short (108 bytes), whatever the build folder's.
    E2E_PULSE_DIR=$(mktemp -d /tmp/pelorix-pulse.XXXXXX) || e2e_fail "cannot create a folder for PulseAudio"
    local socket=$E2E_PULSE_DIR/native
    printf '%s\n' "load-module module-native-protocol-unix auth-anonymous=1 socket=$socket" \
        "load-module module-null-sink sink_name=nullsink rate=44100 channels=2 format=s16le norewinds=1" \
        "set-default-sink nullsink" >"$E2E_PULSE_DIR/default.pa"
    pulseaudio -n -F "$E2E_PULSE_DIR/default.pa" --daemonize=no --exit-idle-time=-1 --realtime=no \
        --high-priority=no --enable-memfd=no --log-target="file:$E2E_DIR/pulse.log" >/dev/null 2>&1 9>&- &
    E2E_PULSE_PID=$!
    e2e_await "$E2E_PULSE_PID" "$E2E_DIR/pulse.log" "PulseAudio made no socket" test -S "$socket"
    e2e_asoundrc "$1" "pcm.capturesink { type pulse  server \"unix:$socket\" }"
}

# Ends this test's Wine processes, then its PulseAudio and Xvfb; the lock goes
# with the shell.
e2e_end()
{
    if [ -n "$E2E_LOCKED" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 9>&-
        timeout 20 "$WINESERVER" -w >/dev/null 2>&1 9>&-
        rm -f "$HOME/.asoundrc"
    fi
    if [ -n "$E2E_PULSE_PID" ]; then
        kill "$E2E_PULSE_PID" 2>/dev/null
        wait "$E2E_PULSE_PID" 2>/dev/null
        E2E_PULSE_PID=
    fi
    [ -n "$E2E_PULSE_DIR" ] && rm -rf "$E2E_PULSE_DIR"
    E2E_PULSE_DIR=
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
        E2E_XVFB_PID=
    fi
}
