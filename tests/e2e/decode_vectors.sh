#!/usr/bin/env bash
# pelorix-decode.exe under Wine against the native pelorix-decode: every test
# vector gives the same bytes, to a file and to standard output, and the same
# --info text; bad input gives the same exit status and leaves no output file.
# usage: decode_vectors.sh WORKROOT WINDOWS_BUILD NATIVE_DECODE VECTORS
set -u
root=$1 windowsBuild=$2 native=$3 vectors=$4
. "$(dirname "$0")/wineenv.sh"

e2e_require_windows_build "$windowsBuild"
exe=$windowsBuild/tools/pelorix-decode.exe
e2e_require_product "$exe" pelorix-decode.exe
e2e_find_wine
shopt -s nullglob
inputs=("$vectors"/*.wav)
[ ${#inputs[@]} -gt 0 ] || e2e_skip "no test vectors in $vectors"
e2e_begin "$root" decode_vectors

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# decode_both NAME IN: both tools on IN, to a file and to standard output. The
# statuses must agree; on success all four outputs are identical, on failure
# no output is left; a warning from one tool must come from the other too.
decode_both() {
    local name=$1 in=$2 nativeStatus wineStatus
    mkdir -p "$name"
    "$native" "$in" "$name/native.wav" 2>"$name/native.err"
    nativeStatus=$?
    e2e_wine "$exe" "$(e2e_winpath "$in")" "$name/wine.wav" 2>"$name/wine.err"
    wineStatus=$?
    [ $nativeStatus = $wineStatus ] || fail "$name: status $wineStatus under Wine, $nativeStatus natively"
    if [ $nativeStatus != 0 ]; then
        [ ! -e "$name/native.wav" ] && [ ! -e "$name/wine.wav" ] || fail "$name: output left after a failure"
        return
    fi
    "$native" "$in" - >"$name/native-stdout.wav" 2>/dev/null || fail "$name: native to standard output failed"
    e2e_wine "$exe" "$(e2e_winpath "$in")" - >"$name/wine-stdout.wav" 2>/dev/null ||
        fail "$name: to standard output under Wine failed"
    for out in wine native-stdout wine-stdout; do
        cmp "$name/native.wav" "$name/$out.wav" || fail "$name: $out differs from the native output file"
    done
    [ "$([ -s "$name/native.err" ] && echo warned)" = "$([ -s "$name/wine.err" ] && echo warned)" ] ||
        fail "$name: a warning from one tool only: $(cat "$name/native.err" "$name/wine.err")"
}

for in in "${inputs[@]}"; do
    name=$(basename "$in" .wav)
    decode_both "$name" "$in"
    # --info from the vectors' folder with a relative name, so the texts match
    # apart from the console's CR LF line ends.
    (cd "$vectors" && "$native" --info "$name.wav") >"$name/native.info" 2>&1
    (cd "$vectors" && "$WINE" "$exe" --info "$name.wav" 9>&-) 2>&1 | tr -d '\r' >"$name/wine.info"
    diff "$name/native.info" "$name/wine.info" || fail "$name: --info differs"
done
e2e_note "${#inputs[@]} vectors compared"

# Damaged copies of the largest vector: cut inside its first frame and in
# its middle, a channel count of 3, a coder type of 23.
largest=$(ls -S "${inputs[@]}" | head -n 1)
mkdir -p bad
head -c 100 "$largest" >bad/cut-early.wav
head -c $(($(wc -c <"$largest") / 2)) "$largest" >bad/cut-half.wav
cp "$largest" bad/channels.wav
printf '\3\0' | dd of=bad/channels.wav bs=1 seek=22 conv=notrunc 2>/dev/null
cp "$largest" bad/coder.wav
printf '\27\0\0\0' | dd of=bad/coder.wav bs=1 seek=38 conv=notrunc 2>/dev/null
for damaged in cut-early cut-half channels coder; do
    decode_both "$damaged" "$PWD/bad/$damaged.wav"
done

# status_both EXPECTED ARGS...: both tools give the expected status, and the
# output folder stays empty (no output, no temporary file).
status_both() {
    local expected=$1 arg windowsArgs=() status
    shift
    rm -rf out
    mkdir out
    "$native" "$@" >/dev/null 2>&1
    status=$?
    [ $status = "$expected" ] || fail "pelorix-decode $*: status $status, wanted $expected"
    for arg in "$@"; do
        case $arg in /*) windowsArgs+=("$(e2e_winpath "$arg")") ;; *) windowsArgs+=("$arg") ;; esac
    done
    e2e_wine "$exe" "${windowsArgs[@]}" >/dev/null 2>&1
    status=$?
    [ $status = "$expected" ] || fail "pelorix-decode.exe $*: status $status, wanted $expected"
    [ -z "$(ls -A out)" ] || fail "pelorix-decode $*: left $(ls -A out)"
}

printf 'plain text, not a stream file\n' >bad/text.wav
status_both 1 "$PWD/bad/text.wav" out/text.wav
status_both 1 "$PWD/bad/missing.wav" out/missing.wav
status_both 1 "$largest" out/no/such/folder/out.wav
status_both 2
status_both 2 "$largest"
status_both 2 "$largest" out/a.wav out/b.wav
status_both 2 --info

if [ $failures = 0 ]; then
    echo "pelorix-decode.exe under Wine: identical to the native tool"
fi
exit $((failures > 0))
