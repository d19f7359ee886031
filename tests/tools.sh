#!/usr/bin/env bash
# The command-line tools. pelorix-decode turns every vector into its expected
# PCM after a canonical 44-byte WAV header; pelorix-encode then pelorix-decode
# give the PCM back bit for bit, also through a pipe. Refusals give one line
# and status 1, usage errors status 2, and no failure leaves a file under OUT's
# name. Every coder, rate and signal is round-tripped frame by frame in
# test_encoder.cpp.
#   tools.sh ENCODE DECODE MAKEWAV VECTORS
set -u
encode=$1 decode=$2 makewav=$3 vectors=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }   # file offset bytes
check() {  # tool status text args...
  local tool=$1 status=$2 text=$3; shift 3
  "${!tool}" "$@" >/dev/null 2>"$work/err"; local got=$?
  [ $got = "$status" ] && grep -q -- "$text" "$work/err" || fail "$tool $*: status $got: $(cat "$work/err")"
}

for wav in "$vectors"/*.wav; do
  name=$(basename "$wav" .wav)
  "$decode" "$wav" "$work/$name.out" 2>"$work/err" || fail "$name: status $?"
  cmp -s <(tail -c +45 "$work/$name.out") "$vectors/$name.pcm" || fail "$name: PCM differs"
  case $name in
    truncated-*) grep -q 'ended early' "$work/err" || fail "$name: no warning" ;;
    *) [ -s "$work/err" ] && fail "$name: unexpected message: $(cat "$work/err")" ;;
  esac
done

"$decode" --info "$vectors/noise-stereo-22050-threetap.wav" >"$work/info" || fail "--info status"
for want in 'channels: *2' 'sample rate: *22050 Hz' 'three-tap (coderType 22)' 'total samples: *5000' \
            'duration: *0:00:00.226' 'frames: *12 ' 'skip length: *0' 'file size: *20094'; do
  grep -q "$want" "$work/info" || fail "--info lacks '$want'"
done

# Decoded to standard output, the WAV file made. 441 values a frame (11025 Hz
# stereo): the values end one frame before lastFrame counts, which the decoder
# must not call a short file.
while read -r kind rate channels samples options; do
  name=$kind-$rate-$channels-$samples
  "$makewav" $kind $rate $channels $samples "$work/$name.wav"
  { "$encode" $options "$work/$name.wav" "$work/$name.pel" && "$decode" "$work/$name.pel" - >"$work/$name.out"; } \
    2>"$work/err" && [ ! -s "$work/err" ] || fail "$name $options: $(cat "$work/err")"
  cmp -s "$work/$name.out" "$work/$name.wav" || fail "$name $options: PCM differs"
done <<EOF
extremes 8000 1 9142
chirp 22050 2 25200 --coder slope --fast
sine 11025 2 22050 --coder three-tap --best
noise 48000 2 54857 --coder delta
extremes 8000 2 800 --yardstick
silence 8000 2 0
sine 44100 2 30000
EOF
# No values: the header (riffSize the file less 8, avgBytesPerSec and blockAlign
# those of the PCM) and one empty frame, alike under every coder, so the tie keeps delta.
od -An -tx1 "$work/silence-8000-2-0.pel" | tr -d ' \n' >"$work/h"
[ "$(cat "$work/h")" = 524946464000000057415645666d74201a0000003a8a0200401f0000007d000004001000080000000000\
0000000066616374040000000000000064617461060000000000ffff0000 ] || fail "empty stream $(cat "$work/h")"

# A WAV file from a program writing to a pipe (sizes 0xFFFFFFFF), through a pipe.
plain=$work/sine-44100-2-30000
cp "$plain.wav" "$work/pipe.wav"
patch "$work/pipe.wav" 4 '\377\377\377\377'
patch "$work/pipe.wav" 40 '\377\377\377\377'
cat "$work/pipe.wav" | "$encode" --quiet - - >"$work/pipe.pel" || fail "pipe: status $?"
cmp -s "$work/pipe.pel" "$plain.pel" || fail "pipe: stream differs from the plain file's"
"$encode" "$plain.wav" "$plain.pel" || fail "overwrite: status $?"

# Good files with header fields patched as OFFSET=BYTES: one line, which says
# what to convert the input to.
cp "$work/extremes-8000-2-800.wav" "$work/good.wav"
cp "$vectors/min-sample-mono-8000-delta.wav" "$work/good.pel"
n=0
while IFS='|' read -r tool good patches text; do
  n=$((n + 1))
  cp "$work/$good" "$work/bad$n"
  for field in $patches; do patch "$work/bad$n" ${field%%=*} "${field#*=}"; done
  check $tool 1 "$text" "$work/bad$n" "$work/out$n"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$text: not one line: $(cat "$work/err")"
done <<'EOF'
decode|good.pel|20=\1\0|not a stream file
decode|good.pel|22=\3\0|bad channel count 3
decode|good.pel|38=\27\0\0\0|unsupported coder type 23
decode|good.pel|24=\61\0\0\0|sample rate below 50
encode|good.wav|34=\10|8-bit samples; convert to 16-bit PCM WAV
encode|good.wav|34=\30|24-bit samples; convert to 16-bit PCM WAV
encode|good.wav|20=\3 34=\40|floating-point samples; convert to 16-bit PCM WAV
encode|good.wav|22=\3|3 channels; convert to mono or stereo
encode|good.wav|24=\0\167\1\0|resample to 50000 Hz or less
encode|good.wav|24=\61\0\0\0|below 50 Hz
encode|good.pel|0=not|not a WAV file; convert it to 16-bit PCM WAV
EOF
for tool in encode decode; do check $tool 1 'cannot open' "$work/missing" "$work/out-missing"; done
check encode 1 'cannot write' "$work/good.wav" "$work/no/such/dir/out"
check decode 1 'cannot write' "$work/good.pel" "$work/no/such/dir/out"
for args in "" "$plain.wav" "--coder" "--coder mp3 a b" "--nonsense a b" "a b c"; do check encode 2 usage $args; done
for args in "" "a b c"; do check decode 2 usage $args; done
"$encode" --help | grep -q -- '--coder auto' || fail "--help"
ls "$work"/out* "$work"/*.tmp >/dev/null 2>&1 && fail "output left behind: $(ls "$work" | grep -E 'out|tmp')"

[ $failures = 0 ] && echo "command-line tools: all checks passed"
exit $((failures > 0))
