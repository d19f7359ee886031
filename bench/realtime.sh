# Real-time audio for the runs of PELORIX.exe under Wine that need it (the
# benchmarks, the headless demo), sourced after tests/e2e/wineenv.sh.
# e2e_audio_realtime CAPTURE: a null sink of the run's own PulseAudio paces in real time.
e2e_audio_realtime() {
    command -v pulseaudio >/dev/null || e2e_skip "PulseAudio is not installed (apt-get install pulseaudio)"
    [ -n "$(find /usr/lib /usr/lib64 -name libasound_module_pcm_pulse.so 2>/dev/null)" ] ||
        e2e_skip "ALSA's pulse plugin is not installed (apt-get install libasound2-plugins)"
    # A socket's path must stay short (108 bytes), whatever the build folder's.
    E2E_PULSE_DIR=$(mktemp -d /tmp/pelorix-pulse.XXXXXX) || e2e_fail "cannot create a folder for PulseAudio"
    local socket=$E2E_PULSE_DIR/native
    pulseaudio -n -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" \
        -L "module-null-sink sink_name=nullsink rate=44100 channels=2 format=s16le norewinds=1" --daemonize=no \
        --exit-idle-time=-1 --realtime=no --high-priority=no --enable-memfd=no --log-target="file:$E2E_DIR/pulse.log" >/dev/null 2>&1 9>&- &
    E2E_PULSE_PID=$!
    e2e_await $E2E_PULSE_PID "$E2E_DIR/pulse.log" "PulseAudio made no socket" test -S "$socket"
    e2e_asoundrc "$1" "pcm.capturesink { type pulse  server \"unix:$socket\" }"
}
