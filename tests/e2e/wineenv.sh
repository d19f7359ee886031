# Set-up of the tests that run the Windows build under Wine (status 77: skipped,
# for the reason printed). They share one WINEPREFIX in the build tree, locked
# (fd 9, not inherited by programs) from e2e_begin to their end: they take turns,
# `wineserver -k` hits only their own processes, a killed test leaves no holder.

E2E_XVFB_PID= E2E_LOCKED= E2E_PULSE_PID= E2E_PULSE_DIR=
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
e2e_skip() { echo "SKIPPED: $*"; exit 77; }
e2e_fail() { echo "FAILED: $*"; exit 1; }
e2e_done() { [ $failures = 0 ] && echo "$*"; exit $((failures > 0)); }   # MESSAGE when all passed

# Sets WINE and WINESERVER, or skips (Debian's wine64 package alone puts none in the path).
e2e_find_wine() {
    WINE=$(command -v wine wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64 \
        /opt/wine-stable/bin/wine64 /opt/wine-stable/bin/wine | head -n 1)
    [ -n "$WINE" ] || e2e_skip "Wine is not installed (no wine or wine64; apt-get install wine64)"
    WINESERVER=$(command -v wineserver "$(dirname "$WINE")/wineserver" | head -n 1)
    [ -n "$WINESERVER" ] || e2e_skip "Wine is incomplete: no wineserver beside $WINE"
}

# e2e_require_windows_build FOLDER [PRODUCT...]: the folder ("-": none) and the products in it.
e2e_require_windows_build() {
    local p
    [ "${1:--}" != - ] || e2e_skip "no windows build: configure with -DPELORIX_WINDOWS_BUILD=<windows build folder>"
    [ -d "$1" ] || e2e_skip "the windows build folder $1 does not exist"
    for p in "${@:2}"; do [ -f "$1/$p" ] || e2e_skip "${p##*/} is not built yet (no $1/$p)"; done
}
# e2e_require_tools TOOL...: native programs of this build ("-": not built).
e2e_require_tools() { local t; for t; do [ "$t" != - ] && [ -x "$t" ] || e2e_skip "a native tool is not built yet ($t)"; done; }

e2e_wine() { "$WINE" "$@" 9>&-; }   # a Windows program (or wineboot, reg), without the lock
# e2e_wine_own ERRORS PROGRAM ARGS...: the program's status, its standard error in the file ERRORS.
# When Wine itself failed (its loader or its server connection, which it reports on lines
# beginning "wine"), the program runs once more; the failed run's messages stay in ERRORS.wine.
e2e_wine_own() {
    e2e_wine "${@:2}" 2>"$1" && return 0
    local status=$?
    grep -q '^wine' "$1" || return $status
    mv "$1" "$1.wine" && e2e_wine "${@:2}" 2>"$1"
}
e2e_winpath() { printf 'Z:%s' "$1" | tr / '\\'; }   # Wine's Z: drive shows the whole file system

e2e_stop_wine() { "$WINESERVER" -k >/dev/null 2>&1 9>&-; timeout 20 "$WINESERVER" -w >/dev/null 2>&1 9>&-; }

# e2e_begin ROOT NAME: environment, lock and prefix; then in the test's own empty folder E2E_DIR = ROOT/NAME.
e2e_begin() {
    local shared=$1/wine
    mkdir -p "$shared/home" "$shared/xdg" && chmod 700 "$shared/xdg" || e2e_fail "cannot create $shared"
    export HOME=$shared/home XDG_RUNTIME_DIR=$shared/xdg WINEPREFIX=$shared/prefix
    export WINEDEBUG=-all                      # also silences Debian's "wine32 is missing" hint
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers
    export LC_ALL=C.UTF-8                      # ANSI code page 1252, whatever the host's locale
    unset DISPLAY WAYLAND_DISPLAY WINEARCH
    exec 9>"$shared/lock"
    flock -w 900 9 || e2e_fail "the Wine prefix $WINEPREFIX stayed locked for 15 minutes"
    E2E_LOCKED=1
    trap e2e_end EXIT
    e2e_stop_wine
    rm -f "$HOME/.asoundrc"   # a killed audio test's
    if [ ! -f "$shared/prefix.ready" ]; then
        echo "-- creating the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        # Managed=N: without a window manager x11drv waits 2 s on every hidden
        # or destroyed top-level window, and keyboard focus never moves.
        { e2e_wine wineboot -i && e2e_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
            e2e_wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f; } >"$shared/wineboot.log" 2>&1 ||
            { cat "$shared/wineboot.log"; e2e_fail "cannot create the Wine prefix"; }
        # wineboot's wineserver and desktop ran without a display, the test's programs need its Xvfb.
        e2e_stop_wine
        touch "$shared/prefix.ready"
    fi
    # Debian's Wine 8 never loads its own fonts (it looks in Z:\usr\share\wine\../fonts);
    # Marlett draws the title-bar buttons.
    [ ! -f /usr/share/wine/fonts/marlett.ttf ] || cp -u /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    E2E_DIR=$1/$2 && rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR" && cd "$E2E_DIR" || e2e_fail "cannot create $E2E_DIR"
}

# e2e_poll SECONDS CHECK...: CHECK every 0.1 s until it holds, or status 1 after SECONDS' worth of tries.
e2e_poll() { local i; for ((i = $1 * 10; i > 0; i--)); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
# e2e_await PID LOG WHAT CHECK...: e2e_poll 10 CHECK; fails, showing LOG, when the process PID ends first.
e2e_await() {
    e2e_poll 10 e2e_held_or_ended "$@" || e2e_fail "$3 within 10 s"
    "${@:4}" || { cat "$2"; e2e_fail "$3: the process ended"; }
}
e2e_held_or_ended() { "${@:4}" || ! kill -0 "$1" 2>/dev/null; }
# e2e_wait_exit PID SECONDS: the process's exit status, or 124 when it still runs.
e2e_wait_exit() { e2e_poll "$2" e2e_ended "$1" || return 124; wait "$1"; }
e2e_ended() { ! kill -0 "$1" 2>/dev/null; }

e2e_require_xvfb() { command -v Xvfb >/dev/null || e2e_skip "Xvfb is not installed (apt-get install xvfb)"; }
# A private Xvfb on a display it picks itself (-displayfd), of the screen WxHxD (default 1280x1024x24); exports DISPLAY.
e2e_start_display() {
    e2e_require_xvfb
    Xvfb -displayfd 8 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 8>"$E2E_DIR/xvfb.display" 2>"$E2E_DIR/xvfb.log" 9>&- &
    E2E_XVFB_PID=$!
    e2e_await $E2E_XVFB_PID "$E2E_DIR/xvfb.log" "Xvfb gave no display number" test -s "$E2E_DIR/xvfb.display"
    export DISPLAY=:$(head -n 1 "$E2E_DIR/xvfb.display")
}

# Audio: winealsa, whose default device is a `file` plugin: each waveOutOpen starts a capture
# file (CAPTURE, CAPTURE.0001, ...) of exactly the PCM waveOut played. Its slave sets the pacing.
e2e_asoundrc() {   # CAPTURE SLAVE-DEFINITION
    mkdir -p "$(dirname "$1")" || e2e_fail "cannot create the capture folder for $1"
    printf '%s\n' "pcm.!default { type file  slave.pcm \"capturesink\"  file \"$1\"  format \"raw\"  truncate 0 }" "$2" >"$HOME/.asoundrc"
}
# e2e_audio_fast CAPTURE: a null slave never blocks; Wine's period logic plays about 4 times real time.
e2e_audio_fast() { e2e_asoundrc "$1" 'pcm.capturesink { type null }'; }
# Ends this test's Wine processes, PulseAudio and Xvfb; the lock goes with the shell.
e2e_end() {
    local pid
    [ -z "$E2E_LOCKED" ] || { e2e_stop_wine; rm -f "$HOME/.asoundrc"; }
    for pid in $E2E_PULSE_PID $E2E_XVFB_PID; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    rm -rf ${E2E_PULSE_DIR:+"$E2E_PULSE_DIR"}
}
