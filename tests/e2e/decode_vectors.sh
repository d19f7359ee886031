#!/usr/bin/env bash
# pelorix-decode.exe under Wine against the native pelorix-decode: every test
# vector gives the same bytes, to a file and to standard output, and the same
# --info text; bad input gives the same exit status and leaves no output file.
# usage: decode_vectors.sh WORKROOT WINDOWS_BUILD NATIVE_DECODE VECTORS
set -u
native=$3 vectors=$4 exe=$2/tools/pelorix-decode.exe
. "$(dirname "$0")/wineenv.sh"
e2e_require_windows_build "$2" tools/pelorix-decode.exe
e2e_find_wine
inputs=("$vectors"/*.wav)
[ -f "${inputs[0]}" ] || e2e_skip "no test vectors in $vectors"
e2e_begin "$1" decode_vectors

# decode_both NAME IN: both tools on IN give the same status and warn alike; on success the .exe's
# output file and standard output are the native output file, on failure neither leaves one.
decode_both() {
    local d=$1 n w
    mkdir -p "$d"
    "$native" "$2" "$d/native.wav" 2>"$d/native.err"
    n="$? $([ -s "$d/native.err" ] && echo warned)"
    e2e_wine "$exe" "$(e2e_winpath "$2")" "$d/wine.wav" 2>"$d/wine.err"
    w="$? $([ -s "$d/wine.err" ] && echo warned)"
    [ "$n" = "$w" ] || fail "$d: status and warning \"$w\" under Wine, \"$n\" natively: $(cat "$d"/*.err)"
    if [ "${n% *}" = 0 ]; then
        e2e_wine "$exe" "$(e2e_winpath "$2")" - >"$d/wine-stdout.wav" 2>/dev/null &&
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
    e2e_wine "$exe" "${args[@]}" >/dev/null 2>&1
    statuses="$statuses $?"
    [ "$statuses $(ls -A out)" = "$1 $1 " ] || fail "pelorix-decode ${*:2}: statuses $statuses (native, Wine), left \"$(ls -A out)\", wanted $1"
}
status_both 1 "$PWD/bad/text.wav" out/text.wav
status_both 1 "$PWD/bad/missing.wav" out/missing.wav
status_both 1 "$largest" out/no/such/folder/out.wav
status_both 2
status_both 2 "$largest"
status_both 2 "$largest" out/a.wav out/b.wav
status_both 2 --info
e2e_done "pelorix-decode.exe under Wine: identical to the native tool (${#inputs[@]} vectors)"
