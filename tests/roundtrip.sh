#!/usr/bin/env bash
# pelorix-encode then pelorix-decode on the command line: the PCM comes back
# bit for bit for every coder, level, rate and channel count; standard input
# and output work; refusals give one line and status 1, usage errors status 2,
# and no failure leaves a file under OUT's name.
#   roundtrip.sh ENCODE DECODE MAKEWAV
set -u
encode=$1 decode=$2 makewav=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# roundtrip NAME ENCODE-OPTIONS...: $work/NAME.wav and .pcm must exist
roundtrip() {
  local name=$1; shift
  "$encode" "$@" "$work/$name.wav" "$work/$name.pel" 2>"$work/err" || { fail "$name $*: encode status $?: $(cat "$work/err")"; return; }
  [ -s "$work/err" ] && fail "$name $*: unexpected message: $(cat "$work/err")"
  "$decode" "$work/$name.pel" "$work/$name.out" 2>"$work/err" || { fail "$name $*: decode status $?"; return; }
  [ -s "$work/err" ] && fail "$name $*: decoder says: $(cat "$work/err")"
  cmp -s <(tail -c +45 "$work/$name.out") "$work/$name.pcm" || fail "$name $*: PCM differs"
}

for rate in 8000 11025 22050 44100 48000; do
  for channels in 1 2; do
    for kind in silence dc square sine noise chirp clicks; do
      name=$kind-$rate-$channels
      # a second and a bit: the last frame ends mid-frame
      "$makewav" $kind $rate $channels $((rate + rate / 7)) "$work/$name.wav" "$work/$name.pcm"
      roundtrip $name
    done
  done
done
for coder in delta slope three-tap; do roundtrip chirp-11025-2 --coder $coder; done
# Two seconds at 11025 Hz stereo: 441 values a frame, so the values end one
# frame before lastFrame counts; the decoder must not call that a short file.
"$makewav" sine 11025 2 22050 "$work/two-seconds.wav" "$work/two-seconds.pcm"
roundtrip two-seconds
for level in --fast --normal --best; do roundtrip sine-44100-2 $level; done
roundtrip clicks-8000-1 --yardstick --coder three-tap

# Header variants other programs write, through standard input and output.
"$makewav" sine 44100 2 30000 "$work/plain.wav" "$work/plain.pcm"
"$encode" "$work/plain.wav" "$work/plain.pel" || fail "plain: status $?"
for variant in --pipe --pipe0 --extensible --list; do
  "$makewav" sine 44100 2 30000 "$work/v.wav" "$work/v.pcm" $variant
  "$encode" - - <"$work/v.wav" >"$work/v.pel" 2>"$work/err" || fail "$variant: status $?: $(cat "$work/err")"
  cmp -s "$work/v.pel" "$work/plain.pel" || fail "$variant: stream differs from the plain file's"
done
cat "$work/plain.wav" | "$encode" --quiet - "$work/piped.pel" || fail "pipe: status $?"
cmp -s "$work/piped.pel" "$work/plain.pel" || fail "pipe: stream differs"
"$encode" "$work/plain.wav" "$work/plain.pel" || fail "overwrite: status $?"
"$makewav" sine 8000 1 0 "$work/empty.wav" "$work/empty.pcm"
roundtrip empty
[ "$(stat -c %s "$work/empty.pel")" = 72 ] || fail "empty: not a header and one empty frame"

# Refusals: status 1, one line that says what to convert to, nothing left behind.
refuse() {  # name expected-text kind rate channels samples [makewav options]
  local name=$1 text=$2; shift 2
  "$makewav" "$1" "$2" "$3" "$4" "$work/$name.wav" "${@:5}"
  "$encode" "$work/$name.wav" "$work/out-$name.pel" 2>"$work/err"
  local got=$?
  [ $got = 1 ] || fail "$name: status $got, wanted 1"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$name: not one line: $(cat "$work/err")"
  grep -q -- "$text" "$work/err" || fail "$name: message '$(cat "$work/err")' lacks '$text'"
}
refuse bits8 '8-bit samples; convert to 16-bit PCM WAV' sine 8000 1 100 --bits 8
refuse bits24 '24-bit samples; convert to 16-bit PCM WAV' sine 8000 2 100 --bits 24
refuse bits32 '32-bit samples; convert to 16-bit PCM WAV' sine 8000 2 100 --bits 32
refuse float 'floating-point samples; convert to 16-bit PCM WAV' sine 8000 2 100 --bits 32 --float
refuse three '3 channels; convert to mono or stereo' sine 8000 3 100
refuse rate96k 'resample to 50000 Hz or less' sine 96000 2 100
refuse rate49 'below 50 Hz' sine 49 1 100
printf 'not a wav file at all' >"$work/text.wav"
"$encode" "$work/text.wav" "$work/out-text.pel" 2>"$work/err"; [ $? = 1 ] || fail "text: status"
grep -q 'not a WAV file; convert it to 16-bit PCM WAV' "$work/err" || fail "text: message $(cat "$work/err")"
"$encode" "$work/missing.wav" "$work/out-missing.pel" 2>"$work/err"; [ $? = 1 ] || fail "missing: status"
grep -q 'cannot open' "$work/err" || fail "missing: message $(cat "$work/err")"
"$encode" "$work/plain.wav" "$work/no/such/dir/out.pel" 2>"$work/err"; [ $? = 1 ] || fail "unwritable: status"
grep -q 'cannot write' "$work/err" || fail "unwritable: message $(cat "$work/err")"
for args in "" "$work/plain.wav" "--coder" "--coder mp3 a b" "--nonsense a b" "a b c"; do
  "$encode" $args >/dev/null 2>"$work/err"; got=$?
  [ $got = 2 ] || fail "usage '$args': status $got"
  grep -q usage "$work/err" || fail "usage '$args': no usage text"
done
"$encode" --help | grep -q -- '--coder auto' || fail "--help"
ls "$work"/out-* "$work"/*.tmp >/dev/null 2>&1 && fail "output left behind: $(ls "$work" | grep -E 'out-|tmp')"

[ $failures = 0 ] && echo "encode round trips: all checks passed"
exit $((failures > 0))
