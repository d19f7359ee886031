#!/usr/bin/env bash
# pelorix-encode then pelorix-decode on the command line: the PCM comes back
# bit for bit, also through a pipe; refusals give one line and status 1, usage
# errors status 2, and no failure leaves a file under OUT's name. Every coder,
# rate and signal is round-tripped frame by frame in test_encoder.cpp.
#   roundtrip.sh ENCODE DECODE MAKEWAV
set -u
encode=$1 decode=$2 makewav=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

roundtrip() {  # kind rate channels samples [encode options]
  local name=$1-$2-$3-$4
  "$makewav" "$1" "$2" "$3" "$4" "$work/$name.wav" "$work/$name.pcm"; shift 4
  "$encode" "$@" "$work/$name.wav" "$work/$name.pel" 2>"$work/err" && [ ! -s "$work/err" ] ||
    fail "$name $*: encode: $(cat "$work/err")"
  "$decode" "$work/$name.pel" "$work/$name.out" 2>"$work/err" && [ ! -s "$work/err" ] ||
    fail "$name $*: decode: $(cat "$work/err")"
  cmp -s <(tail -c +45 "$work/$name.out") "$work/$name.pcm" || fail "$name $*: PCM differs"
}
roundtrip extremes 8000 1 9142
roundtrip chirp 22050 2 25200 --coder slope --fast
# 441 values a frame: the values end one frame before lastFrame counts,
# which the decoder must not call a short file.
roundtrip sine 11025 2 22050 --coder three-tap --best
roundtrip noise 48000 2 54857 --coder delta
roundtrip extremes 8000 2 800 --yardstick
roundtrip silence 8000 1 0
[ "$(stat -c %s "$work/silence-8000-1-0.pel")" = 72 ] || fail "empty: not a header and one empty frame"

# A WAV file from a program writing to a pipe (sizes 0xFFFFFFFF), through a pipe.
"$makewav" sine 44100 2 30000 "$work/plain.wav"
"$makewav" sine 44100 2 30000 "$work/pipe.wav" --pipe
"$encode" "$work/plain.wav" "$work/plain.pel" || fail "plain: status $?"
cat "$work/pipe.wav" | "$encode" --quiet - - >"$work/pipe.pel" || fail "pipe: status $?"
cmp -s "$work/pipe.pel" "$work/plain.pel" || fail "pipe: stream differs from the plain file's"
"$encode" "$work/plain.wav" "$work/plain.pel" || fail "overwrite: status $?"

check() {  # status text args...
  local status=$1 text=$2; shift 2
  "$encode" "$@" >/dev/null 2>"$work/err"; local got=$?
  [ $got = "$status" ] && grep -q -- "$text" "$work/err" || fail "$*: status $got: $(cat "$work/err")"
}
refuse() {  # name text kind rate channels [makewav options]: one line that says what to convert to
  local name=$1 text=$2; shift 2
  "$makewav" "$1" "$2" "$3" 100 "$work/$name.wav" "${@:4}"
  check 1 "$text" "$work/$name.wav" "$work/out-$name.pel"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$name: not one line: $(cat "$work/err")"
}
refuse bits8 '8-bit samples; convert to 16-bit PCM WAV' sine 8000 1 --bits 8
refuse bits24 '24-bit samples; convert to 16-bit PCM WAV' sine 8000 2 --bits 24
refuse float 'floating-point samples; convert to 16-bit PCM WAV' sine 8000 2 --bits 32 --float
refuse three '3 channels; convert to mono or stereo' sine 8000 3
refuse rate96k 'resample to 50000 Hz or less' sine 96000 2
refuse rate49 'below 50 Hz' sine 49 1
printf 'not a wav file at all' >"$work/text.wav"
check 1 'not a WAV file; convert it to 16-bit PCM WAV' "$work/text.wav" "$work/out-text.pel"
check 1 'cannot open' "$work/missing.wav" "$work/out-missing.pel"
check 1 'cannot write' "$work/plain.wav" "$work/no/such/dir/out.pel"
for args in "" "$work/plain.wav" "--coder" "--coder mp3 a b" "--nonsense a b" "a b c"; do check 2 usage $args; done
"$encode" --help | grep -q -- '--coder auto' || fail "--help"
ls "$work"/out-* "$work"/*.tmp >/dev/null 2>&1 && fail "output left behind: $(ls "$work" | grep -E 'out-|tmp')"

[ $failures = 0 ] && echo "encode round trips: all checks passed"
exit $((failures > 0))
