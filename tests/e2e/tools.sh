#!/usr/bin/env bash
# pelorix-decode.exe and pelorix-encode.exe under Wine against the native tools. Every test vector
# decodes to the same bytes, to a file and to standard output, with the same --info text; damaged
# and bad input give the same status and warnings and leave no output file. Synthetic WAV files
# encode to the native encoder's bytes and decode to the native decoder's (whose round trip the
# native tests check).
# usage: tools.sh WORKROOT WINDOWS_BUILD NATIVE_ENCODE NATIVE_DECODE MAKEWAV VECTORS
set -u
nativeEncode=$3 native=$4 makewav=$5 vectors=$6 exe=$2/tools/pelorix-decode.exe encodeExe=$2/tools/pelorix-encode.exe
. "$(dirname "$0")/wineenv.sh"
e2e_require_windows_build "$2" tools/pelorix-decode.exe tools/pelorix-encode.exe
e2e_require_tools "$nativeEncode"
e2e_find_wine
inputs=("$vectors"/*.wav)
[ -f "${inputs[0]}" ] || e2e_skip "no test vectors in $vectors"
e2e_begin "$1" tools

# decode_both NAME IN: both tools on IN give the same status and warn alike; on success the .exe's
# output file and standard output are the native output file, on failure neither leaves one.
decode_both() {
    local d=$1 n w
    mkdir -p "$d"
    "$native" "$2" "$d/native.wav" 2>"$d/native.err"
    n="$? $([ -s "$d/native.err" ] && echo warned)"
    e2e_wine_own "$d/wine.err" "$exe" "$(e2e_winpath "$2")" "$d/wine.wav"
    w="$? $([ -s "$d/wine.err" ] && echo warned)"
    [ "$n" = "$w" ] || fail "$d: status and warning \"$w\" under Wine, \"$n\" natively: $(cat "$d"/*.err)"
    if [ "${n% *}" = 0 ]; then
        e2e_wine_own "$d/wine-stdout.err" "$exe" "$(e2e_winpath "$2")" - >"$d/wine-stdout.wav" &&
            cmp "$d/native.wav" "$d/wine.wav" && cmp "$d/native.wav" "$d/wine-stdout.wav" ||
            fail "$d: the .exe's output differs from the native output file"
    elif [ -e "$d/native.wav" ] || [ -e "$d/wine.wav" ]; then fail "$d: output left after a failure"; fi
}

for in in "${inputs[@]}"; do
    name=$(basename "$in" .wav)
    decode_both "$name" "$in"
    # --info in the vectors' folder, so that the names and so the texts match but for CR LF.
    diff <(cd "$vectors" && "$native" --info "$name.wav" 2>&1) <(cd "$vectors" && e2e_wine "$exe" --info "$name.wav" 2>&1 | tr -d '\r') ||
        fail "$name: --info differs"
done

# Damaged largest vector: cut in its first frame, in its middle; 3 channels (at 22), coder 23 (at 38).
largest=$(ls -S "${inputs[@]}" | head -n 1)
mkdir bad
head -c 100 "$largest" >bad/cut-early.wav
head -c $(($(wc -c <"$largest") / 2)) "$largest" >bad/cut-half.wav
cp "$largest" bad/channels.wav && printf '\3\0' | dd of=bad/channels.wav bs=1 seek=22 conv=notrunc 2>/dev/null
cp "$largest" bad/coder.wav && printf '\27\0\0\0' | dd of=bad/coder.wav bs=1 seek=38 conv=notrunc 2>/dev/null
for damaged in cut-early cut-half channels coder; do decode_both "$damaged" "$PWD/bad/$damaged.wav"; done

# status_both EXPECTED ARGS...: both tools end so, leaving out/ empty (no output, no temporary file).
printf 'plain text, not a stream file\n' >bad/text.wav
status_both() {
    local arg args=() statuses
    rm -rf out && mkdir out
    for arg in "${@:2}"; do [[ $arg == /* ]] && arg=$(e2e_winpath "$arg"); args+=("$arg"); done
    "$native" "${@:2}" >/dev/null 2>&1
    statuses=$?
    e2e_wine_own status.err "$exe" "${args[@]}" >/dev/null
    statuses="$statuses $?"
    [ "$statuses $(ls -A out)" = "$1 $1 " ] ||
        fail "pelorix-decode ${*:2}: statuses $statuses (native, Wine), left \"$(ls -A out)\", wanted $1: $(cat status.err)"
}
status_both 1 "$PWD/bad/text.wav" out/text.wav
status_both 1 "$PWD/bad/missing.wav" out/missing.wav
status_both 1 "$largest" out/no/such/folder/out.wav
status_both 2
status_both 2 "$largest"
status_both 2 "$largest" out/a.wav out/b.wav
status_both 2 --info

# name signal channels rate samples-per-channel: full and partial last frames, an odd number of values
# per frame in stereo (11025 Hz), the 16-bit extremes, noise that hardly compresses, an empty file.
while read -r name signal channels rate samples; do
    in=$PWD/$name/in.wav
    mkdir "$name" && "$makewav" "$signal" "$rate" "$channels" "$samples" "$in" || e2e_fail "cannot make $name"
    "$nativeEncode" "$in" "$name/native.stream" 2>"$name/encode.err" &&
        e2e_wine_own "$name/wine-encode.err" "$encodeExe" "$(e2e_winpath "$in")" "$name/wine.stream" ||
        { fail "$name: an encoder failed: $(cat "$name"/*encode.err)"; continue; }
    cmp "$name/native.stream" "$name/wine.stream" || fail "$name: the .exe's stream differs from the native one"
    decode_both "$name/decoded" "$PWD/$name/wine.stream"
done <<EOF2
silence-mono-8000      silence  1 8000  1000
sine-stereo-44100      sine     2 44100 30000
noise-mono-22050       noise    1 22050 5000
extremes-stereo-11025  extremes 2 11025 2000
sine-mono-48000        sine     1 48000 48000
empty-stereo-44100     silence  2 44100 0
EOF2
e2e_done "pelorix-decode.exe and pelorix-encode.exe under Wine: identical to the native tools (${#inputs[@]} vectors)"
