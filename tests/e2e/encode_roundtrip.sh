#!/usr/bin/env bash
# pelorix-encode.exe under Wine: synthetic WAV files encode to the same bytes
# as with the native encoder, and decode back bit for bit, both natively and
# with pelorix-decode.exe.
# usage: encode_roundtrip.sh WORKROOT WINDOWS_BUILD NATIVE_ENCODE NATIVE_DECODE MAKEWAV
set -u
root=$1 windowsBuild=$2 nativeEncode=$3 nativeDecode=$4 makewav=$5
. "$(dirname "$0")/wineenv.sh"

e2e_require_windows_build "$windowsBuild"
encodeExe=$windowsBuild/tools/pelorix-encode.exe
decodeExe=$windowsBuild/tools/pelorix-decode.exe
e2e_require_product "$encodeExe" pelorix-encode.exe
e2e_require_product "$decodeExe" pelorix-decode.exe
[ "$nativeEncode" != - ] && [ -x "$nativeEncode" ] || e2e_skip "the native pelorix-encode is not built yet"
e2e_find_wine
e2e_begin "$root" encode_roundtrip

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# name signal channels rate samples-per-channel: full and partial last
# frames, an odd number of values per frame in stereo (11025 Hz), the 16-bit
# extremes, noise that hardly compresses, and an empty file.
cases="
silence-mono-8000      silence  1 8000  1000
sine-stereo-44100      sine     2 44100 30000
noise-mono-22050       noise    1 22050 5000
extremes-stereo-11025  extremes 2 11025 2000
sine-mono-48000        sine     1 48000 48000
empty-stereo-44100     silence  2 44100 0
"

# roundtrip NAME: IN.wav was made; encode it both ways and decode both ways.
roundtrip() {
    local name=$1
    local in=$PWD/$name/in.wav
    "$nativeEncode" "$in" "$name/native.stream" 2>"$name/native-encode.err" ||
        { fail "$name: native encoder failed: $(cat "$name/native-encode.err")"; return; }
    e2e_wine "$encodeExe" "$(e2e_winpath "$in")" "$name/wine.stream" 2>"$name/wine-encode.err" ||
        { fail "$name: pelorix-encode.exe failed: $(cat "$name/wine-encode.err")"; return; }
    cmp "$name/native.stream" "$name/wine.stream" || fail "$name: the .exe's stream differs from the native one"
    "$nativeDecode" "$name/wine.stream" "$name/native-decoded.wav" 2>"$name/native-decode.err" ||
        { fail "$name: native decoder refused the .exe's stream"; return; }
    e2e_wine "$decodeExe" "$name/wine.stream" "$name/wine-decoded.wav" 2>"$name/wine-decode.err" ||
        { fail "$name: pelorix-decode.exe refused the .exe's stream"; return; }
    # A well-formed stream holds every frame the header announces.
    [ ! -s "$name/native-decode.err" ] || fail "$name: decoding warned: $(cat "$name/native-decode.err")"
    # Both WAV files use the canonical 44-byte header, so the whole files compare.
    cmp "$in" "$name/native-decoded.wav" || fail "$name: native decode of the .exe's stream is not the input"
    cmp "$in" "$name/wine-decoded.wav" || fail "$name: pelorix-decode.exe output is not the input"
}

count=0
while read -r name signal channels rate samples; do
    [ -n "$name" ] || continue
    mkdir -p "$name"
    "$makewav" "$signal" "$rate" "$channels" "$samples" "$name/in.wav" || e2e_fail "cannot make $name"
    roundtrip "$name"
    count=$((count + 1))
done <<<"$cases"
e2e_note "$count synthetic files round-tripped"

if [ $failures = 0 ]; then
    echo "pelorix-encode.exe under Wine: same streams as the native encoder, lossless both ways"
fi
exit $((failures > 0))
