#!/usr/bin/env bash
# pelorix-decode on the command line: every vector decodes to its expected PCM
# after a canonical 44-byte WAV header; bad input gives one line, status 1 or 2,
# and never a file under OUT's name.
set -u
decode=$1 vectors=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for wav in "$vectors"/*.wav; do
  name=$(basename "$wav" .wav)
  "$decode" "$wav" "$work/$name.out" 2>"$work/err" || fail "$name: status $?"
  cmp -s <(tail -c +45 "$work/$name.out") "$vectors/$name.pcm" || fail "$name: PCM differs"
  [ "$(head -c 4 "$work/$name.out")" = RIFF ] || fail "$name: no RIFF header"
  "$decode" "$wav" - 2>/dev/null | cmp -s - "$work/$name.out" || fail "$name: standard output differs"
  case $name in
    truncated-*) grep -q 'ended early' "$work/err" || fail "$name: no warning" ;;
    *) [ -s "$work/err" ] && fail "$name: unexpected message: $(cat "$work/err")" ;;
  esac
done

# Header of a 1-second 44.1 kHz stereo file: 44 bytes, sizes 36 + data and data.
"$decode" "$vectors/silence-mono-44100-delta.wav" "$work/h.wav"
[ "$(od -An -tu4 -j4 -N4 "$work/h.wav" | tr -d ' ')" = $((36 + 132300)) ] || fail "riff size"
[ "$(od -An -tu4 -j40 -N4 "$work/h.wav" | tr -d ' ')" = 132300 ] || fail "data size"
[ "$(od -An -tu2 -j22 -N2 "$work/h.wav" | tr -d ' ')" = 1 ] || fail "channels"
[ "$(od -An -tu4 -j24 -N4 "$work/h.wav" | tr -d ' ')" = 44100 ] || fail "rate"

"$decode" --info "$vectors/noise-stereo-22050-threetap.wav" >"$work/info" || fail "--info status"
for want in 'channels: *2' 'sample rate: *22050 Hz' 'three-tap (coderType 22)' 'total samples: *5000' \
            'duration: *0:00:00.226' 'frames: *12 ' 'skip length: *0' 'file size: *20094'; do
  grep -q "$want" "$work/info" || fail "--info lacks '$want'"
done

# Refusals: message, status, and no output left behind.
printf 'RIFF\0\0\0\0WAVEfmt \0\0\0\0\1\0' >"$work/pcm.wav"
head -c 22 "$vectors/min-sample-mono-8000-delta.wav" >"$work/three.wav"
printf '\3\0' >>"$work/three.wav"
check() {  # expected-status expected-text args...
  local status=$1 text=$2; shift 2
  "$decode" "$@" >/dev/null 2>"$work/err"
  local got=$?
  [ $got = "$status" ] || fail "$*: status $got, wanted $status"
  grep -q "$text" "$work/err" || fail "$*: message '$(cat "$work/err")' lacks '$text'"
}
check 1 'not a stream file' "$work/pcm.wav" "$work/out1.wav"
check 1 'cannot open' "$work/missing.wav" "$work/out2.wav"
check 1 'bad channel count 3' "$work/three.wav" "$work/out3.wav"
patch() {  # file offset bytes...: a copy of a good vector with bytes replaced
  cp "$vectors/min-sample-mono-8000-delta.wav" "$1"
  printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
patch "$work/coder.wav" 38 '\27\0\0\0'
check 1 'unsupported coder type 23' "$work/coder.wav" "$work/out4.wav"
patch "$work/rate.wav" 24 '\61\0\0\0'
check 1 'sample rate below 50' "$work/rate.wav" "$work/out5.wav"
check 1 'cannot write' "$vectors/min-sample-mono-8000-delta.wav" "$work/no/such/dir/out.wav"
check 2 'usage' 
check 2 'usage' a b c
ls "$work"/out* "$work"/*.tmp >/dev/null 2>&1 && fail "output left behind: $(ls "$work")"

[ $failures = 0 ] && echo "decode tool: all checks passed"
exit $((failures > 0))
