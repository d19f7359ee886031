#!/usr/bin/env bash
# The player's demo: sets up, builds both configurations, synthesises a
# Playlist of three short tunes (44.1 kHz stereo, 22.05 kHz mono, 32 kHz
# stereo), codes each with pelorix-encode, describes it and checks that it
# decodes bit for bit, then plays the Playlist with PELORIX.exe under Wine from
# build/demo/, with "Continue with next" set in its PELORIX.ini.
#   with DISPLAY set: the window opens there and plays through the machine's
#     sound; the demo ends when you close the window
#   without DISPLAY (or with --headless): the same in a private Xvfb, in real
#     time into a PulseAudio null sink (faster than real time into a null
#     device where PulseAudio is missing); what waveOut played goes to
#     build/demo/heard.wav, a screenshot taken while it plays to
#     build/demo/playing.png, and one line says whether the audio heard is
#     the decoded tunes bit for bit
set -eu
cd "$(dirname "$0")"
root=$PWD
headless=
[ "${1:-}" = --headless ] || [ -z "${DISPLAY:-}" ] && headless=1
bash cmake/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset native >/dev/null
cmake --build --preset native --target pelorix-encode pelorix-decode
demo=$PWD/build/demo
tools=build/native/tools
rm -rf "$demo/tunes" "$demo/pcm"
mkdir -p "$demo/tunes" "$demo/pcm"

# name rate channels: plucked notes with a few decaying harmonics, stereo
# voices spread left and right
python3 - "$demo/pcm" <<'PY'
import math, struct, sys, wave
tunes = {
    "morning": (44100, 2, [(392, .3), (440, .3), (494, .3), (523, .6), (494, .3), (440, .3), (392, .9)]),
    "lullaby": (22050, 1, [(330, .45), (392, .45), (440, .9), (392, .45), (330, .45), (294, 1.2)]),
    "evening": (32000, 2, [(262, .25), (330, .25), (392, .25), (523, .5), (392, .25), (330, .25), (262, 1.0)]),
}
for name, (rate, channels, notes) in tunes.items():
    frames = bytearray()
    for freq, seconds in notes:
        n = int(rate * seconds)
        for i in range(n):
            t = i / rate
            env = min(1, i / 200) * math.exp(-4 * t / seconds)
            voice = [sum(a * math.sin(2 * math.pi * freq * h * t) for h, a in ((1, 1), (2, .35), (3, .12))),
                     math.sin(2 * math.pi * freq * 1.5 * t) + .2 * math.sin(2 * math.pi * freq * 3 * t)]
            left = .75 * voice[0] + .25 * voice[1]
            right = .25 * voice[0] + .75 * voice[1]
            values = [left + right] if channels == 1 else [left, right]
            frames += struct.pack(f"<{channels}h", *(int(8000 * env * v) for v in values))
    with wave.open(f"{sys.argv[1]}/{name}-pcm.wav", "wb") as w:
        w.setnchannels(channels); w.setsampwidth(2); w.setframerate(rate); w.writeframes(bytes(frames))
PY
names=(morning lullaby evening)
for name in "${names[@]}"; do
    "$tools/pelorix-encode" --quiet "$demo/pcm/$name-pcm.wav" "$demo/tunes/$name.wav"
    "$tools/pelorix-decode" --info "$demo/tunes/$name.wav" | head -n 4
    "$tools/pelorix-decode" "$demo/tunes/$name.wav" "$demo/pcm/$name-decoded.wav"
    cmp <(tail -c +45 "$demo/pcm/$name-decoded.wav") <(tail -c +45 "$demo/pcm/$name-pcm.wav")
    echo "demo: $name decoded bit for bit"
done

# ---- the player beside its layout files and a PELORIX.ini naming the tunes
cp build/windows/app/PELORIX.exe build/windows/app/PELORIX.h* "$demo/"
set +e
. tests/e2e/wineenv.sh
. bench/play_common.sh
. bench/realtime.sh
text_has() { [[ $(driver text "$1") == *"$2"* ]]; }   # ID TEXT
# shoot FILE: the player's main window as the screen shows it, once the controls have painted (with ImageMagick).
shoot() {
    local l t r b
    command -v import >/dev/null || return 0
    read -r l t r b < <(driver rect main) && sleep 0.3 && import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$1" ||
        fail "screenshot $1 failed"
}
e2e_find_wine
driverExe=$PWD/build/windows/bench/driver/pelorix-driver.exe
tunes=$(e2e_winpath "$demo/tunes")
entries=()
for name in "${names[@]}"; do entries+=("$tunes\\$name.wav"); done
settings_text 10 0 0 1 0 "$tunes\\" "${entries[@]}" >"$demo/PELORIX.ini"

if [ -z "$headless" ]; then
    # The desktop's own Wine set-up: its window manager and its sound.
    export WINEPREFIX=$demo/desktop-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -d "$WINEPREFIX" ] || "$WINE" wineboot -i >/dev/null 2>&1
    [ ! -f /usr/share/wine/fonts/marlett.ttf ] || cp -u /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    cd "$demo"
    start_player "$demo"
    driver send 1
    echo "demo: PELORIX.exe plays the Playlist on $DISPLAY; close its window to end"
    wait "$playerPid"
    exit 0
fi

# ---- headless: a private Xvfb and a capture of everything waveOut played
e2e_begin "$demo" run
e2e_start_display
route="in real time (PulseAudio null sink)"
if command -v pulseaudio >/dev/null; then
    e2e_audio_realtime "$PWD/cap/out.raw"
else
    route="faster than real time (null device; PulseAudio is not installed)"
    e2e_audio_fast "$PWD/cap/out.raw"
fi
start_player "$demo"
# The whole 100 x 40 canvas, as the layout units make it.
read -r aveCharWidth lineHeight pitchAndFamily < <(driver metrics)
unit=$aveCharWidth
[ $((pitchAndFamily & 1)) = 1 ] && unit=$((aveCharWidth * 3 / 2))
driver move 0 0 $((100 * unit + 60)) $((40 * lineHeight + 90))
driver send 1
echo "demo: playing the Playlist $route"
if e2e_poll 10 text_has 21 " 0: 0: 1  //" && command -v import >/dev/null && shoot "$demo/playing.png"; then
    echo "demo: screenshot while playing: $demo/playing.png"
fi
wait_idle 60 || echo "demo: still playing after a minute"
driver command 3
e2e_wait_exit "$playerPid" 10

mapfile -t files < <(captures)
pairs=() verdict=equal
for i in "${!names[@]}"; do
    decoded=$demo/pcm/${names[$i]}-decoded.wav
    pairs+=("$decoded" "${files[$i]:-/dev/null}")
    played_exactly "$decoded" "${files[$i]:-/dev/null}" || verdict=differs
done
[ ${#files[@]} = ${#names[@]} ] || verdict=differs
python3 "$root/cmake/heardwav.py" "$demo/heard.wav" "${pairs[@]}" && echo "demo: what waveOut played, as one WAV file: $demo/heard.wav"
if [ $verdict = equal ]; then
    echo "demo: the audio heard equals the ${#names[@]} decoded tunes bit for bit"
else
    echo "demo: the audio heard differs from the decoded tunes (${#files[@]} device openings for ${#names[@]} tunes; captures in $PWD/cap)"
    exit 1
fi
