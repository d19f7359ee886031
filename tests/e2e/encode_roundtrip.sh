#!/usr/bin/env bash
# pelorix-encode.exe under Wine: synthetic WAV files encode to the same bytes
# as with the native encoder (whose round trip the native tests check), and
# pelorix-decode.exe decodes them back bit for bit.
# usage: encode_roundtrip.sh WORKROOT WINDOWS_BUILD NATIVE_ENCODE NATIVE_DECODE MAKEWAV
set -u
nativeEncode=$3 makewav=$5
. "$(dirname "$0")/wineenv.sh"
e2e_require_windows_build "$2" tools/pelorix-encode.exe tools/pelorix-decode.exe
encodeExe=$2/tools/pelorix-encode.exe decodeExe=$2/tools/pelorix-decode.exe
e2e_require_tools "$nativeEncode"
e2e_find_wine
e2e_begin "$1" encode_roundtrip

# name signal channels rate samples-per-channel: full and partial last frames, an odd number of values
# per frame in stereo (11025 Hz), the 16-bit extremes, noise that hardly compresses, an empty file.
while read -r name signal channels rate samples; do
    in=$PWD/$name/in.wav
    mkdir "$name" && "$makewav" "$signal" "$rate" "$channels" "$samples" "$in" || e2e_fail "cannot make $name"
    "$nativeEncode" "$in" "$name/native.stream" 2>"$name/encode.err" &&
        e2e_wine "$encodeExe" "$(e2e_winpath "$in")" "$name/wine.stream" 2>>"$name/encode.err" ||
        { fail "$name: an encoder failed: $(cat "$name/encode.err")"; continue; }
    cmp "$name/native.stream" "$name/wine.stream" || fail "$name: the .exe's stream differs from the native one"
    # A well-formed stream holds every frame the header announces, so decoding does not warn.
    e2e_wine "$decodeExe" "$name/wine.stream" "$name/wine-decoded.wav" 2>"$name/wine-decode.err" &&
        [ ! -s "$name/wine-decode.err" ] || fail "$name: pelorix-decode.exe refused or warned: $(cat "$name/wine-decode.err")"
    # The canonical 44-byte header both ways, so the whole files compare.
    cmp "$in" "$name/wine-decoded.wav" || fail "$name: pelorix-decode.exe output is not the input"
done <<EOF
silence-mono-8000      silence  1 8000  1000
sine-stereo-44100      sine     2 44100 30000
noise-mono-22050       noise    1 22050 5000
extremes-stereo-11025  extremes 2 11025 2000
sine-mono-48000        sine     1 48000 48000
empty-stereo-44100     silence  2 44100 0
EOF
e2e_done "pelorix-encode.exe under Wine: same streams as the native encoder, decoded back bit for bit"
