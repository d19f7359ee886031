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
  case $name in
    truncated-*) grep -q 'ended early' "$work/err" || fail "$name: no warning" ;;
    *) [ -s "$work/err" ] && fail "$name: unexpected message: $(cat "$work/err")" ;;
  esac
done

# 1.5 s of 44.1 kHz mono, to standard output: data 132300 bytes, RIFF 36 more.
"$decode" "$vectors/silence-mono-44100-delta.wav" - | head -c 44 | od -An -tx1 | tr -d ' \n' >"$work/h"
[ "$(cat "$work/h")" = 52494646f004020057415645666d74201000000001000100\
44ac0000885801000200100064617461cc040200 ] || fail "WAV header $(cat "$work/h")"

"$decode" --info "$vectors/noise-stereo-22050-threetap.wav" >"$work/info" || fail "--info status"
for want in 'channels: *2' 'sample rate: *22050 Hz' 'three-tap (coderType 22)' 'total samples: *5000' \
            'duration: *0:00:00.226' 'frames: *12 ' 'skip length: *0' 'file size: *20094'; do
  grep -q "$want" "$work/info" || fail "--info lacks '$want'"
done

check() {  # status text args...
  local status=$1 text=$2; shift 2
  "$decode" "$@" >/dev/null 2>"$work/err"; local got=$?
  [ $got = "$status" ] && grep -q "$text" "$work/err" || fail "$*: status $got: $(cat "$work/err")"
}
patch() {  # name offset bytes: a copy of a good vector with bytes replaced
  cp "$vectors/min-sample-mono-8000-delta.wav" "$work/$1.wav"
  printf "$3" | dd of="$work/$1.wav" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
patch pcm 20 '\1\0'; check 1 'not a stream file' "$work/pcm.wav" "$work/out1.wav"
patch three 22 '\3\0'; check 1 'bad channel count 3' "$work/three.wav" "$work/out2.wav"
patch coder 38 '\27\0\0\0'; check 1 'unsupported coder type 23' "$work/coder.wav" "$work/out3.wav"
patch rate 24 '\61\0\0\0'; check 1 'sample rate below 50' "$work/rate.wav" "$work/out4.wav"
check 1 'cannot open' "$work/missing.wav" "$work/out5.wav"
check 1 'cannot write' "$vectors/min-sample-mono-8000-delta.wav" "$work/no/such/dir/out.wav"
check 2 'usage'
check 2 'usage' a b c
ls "$work"/out* "$work"/*.tmp >/dev/null 2>&1 && fail "output left behind: $(ls "$work")"

[ $failures = 0 ] && echo "decode tool: all checks passed"
exit $((failures > 0))
