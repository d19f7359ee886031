#!/usr/bin/env bash
# The command-line tools natively or, given WORKROOT and WINDOWS_BUILD, the .exe files under Wine
# (the e2e prefix; absolute paths as Z:\ with backslashes), one table for both: the vectors decoded,
# round trips (under Wine also the native encoder's stream), refusals (one line, status 1) and usage
# errors (status 2) that print nothing on standard output and leave no file, the layout reports and
# dumps. test_encoder.cpp round-trips every coder, rate and signal.
#   tools.sh ENCODE DECODE LAYOUT MAKEWAV VECTORS LAYOUTS [WORKROOT WINDOWS_BUILD]
set -u
encode=$1 decode=$2 layout=$3 makewav=$4 vectors=$5 layouts=$6 wine= t=$'\t'
. "$(dirname "$0")/e2e/wineenv.sh"   # fail and e2e_done, and for Wine the rest
if [ $# = 8 ]; then
  e2e_require_windows_build "$8" tools/pelorix-{encode,decode,layout}.exe
  e2e_require_tools "$encode" "$makewav" && e2e_find_wine
  e2e_begin "$7" tools && wine=$8/tools
else
  work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work" || exit 1
fi
# run TOOL ARGS...: the tool's status, its standard error in err (under Wine: run again after Wine failed).
run() {
  local name=$1 a args=(); shift
  [ -n "$wine" ] || { "${!name}" "$@" 2>err; return; }
  for a; do [[ $a == /* ]] && a=$(e2e_winpath "$a"); args+=("$a"); done
  e2e_wine_own err "$wine/pelorix-$name.exe" "${args[@]}"
}
check() {  # STATUS TEXT TOOL ARGS...: the status, TEXT on standard error (status 1: one line), no out* or *.tmp file
  local status=$1 text=$2; shift 2
  run "$@" >stdout; local got=$? left=$(ls -d out* *.tmp 2>/dev/null)
  [ "$got$left" = "$status" ] && grep -q -- "$text" err && [ ! -s stdout ] && { [ $status = 2 ] || [ "$(wc -l <err)" = 1 ]; } ||
    fail "$*: status $got, left \"$left\": $(cat err stdout | head -3)"
}
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }   # file offset bytes

for wav in "$vectors"/*.wav; do
  name=$(basename "$wav" .wav)
  for out in "$name.out" -; do
    run decode "$wav" "$out" >"$name.stdout" || fail "$name to $out: status $?: $(cat err)"
    [ "$(wc -l <err) $(grep -c 'ended early' err)" = "$([[ $name == truncated-* ]] && echo 1 1 || echo 0 0)" ] ||
      fail "$name to $out: $(cat err)"
  done
  cmp -s <(tail -c +45 "$name.out") "$vectors/$name.pcm" && cmp -s "$name.out" "$name.stdout" || fail "$name: PCM differs"
done
run decode --info "$vectors/noise-stereo-22050-threetap.wav" >info || fail "--info status"
for want in 'channels: *2' 'sample rate: *22050 Hz' 'three-tap (coderType 22)' 'total samples: *5000' 'frames: *12 ' \
    'duration: *0:00:00.226' 'skip length: *0' 'file size: *20094' 'bits/sample: *16.075'; do grep -q "$want" info || fail "--info: $want"; done
! grep -q 'ends early' info || fail "--info: ends early"
head -c 500 "$vectors/truncated-mono-8000-delta.wav" >cut.pel   # inside frame 1
while read -r file frame; do
  run decode --info "$file" >cut && grep -q "ends early: *the file ends in $frame (" cut || fail "--info $file: $(tail -1 cut)"
done <<EOF
$vectors/truncated-mono-8000-delta.wav frame 2 at 0:00.04
cut.pel frame 1 at 0:00.02
EOF

# Decoded to standard output, the WAV file made. 441 values a frame (11025 Hz stereo): the values
# end one frame before lastFrame counts, which the decoder must not call a short file.
while read -r kind rate channels samples options; do
  name=$kind-$rate-$channels-$samples
  "$makewav" $kind $rate $channels $samples "$name.wav"
  { run encode $options "$name.wav" "$name.pel" && [ ! -s err ] && run decode "$name.pel" - >"$name.out" && [ ! -s err ]; } ||
    fail "$name $options: $(cat err)"
  cmp -s "$name.out" "$name.wav" || fail "$name $options: PCM differs"
  [ -z "$wine" ] || "$encode" $options "$name.wav" - | cmp -s - "$name.pel" || fail "$name $options: not the native stream"
done <<EOF
extremes 8000 1 9142
chirp 22050 2 25200 --coder slope --fast
sine 11025 2 22050 --coder three-tap --best
noise 48000 2 54857 --coder delta
extremes 8000 2 800 --yardstick
silence 8000 2 0
sine 44100 2 30000
EOF
# No values: the header (riffSize the file less 8, avgBytesPerSec and blockAlign those of the
# PCM) and one empty frame, alike under every coder, so the tie keeps delta.
[ "$(od -An -tx1 silence-8000-2-0.pel | tr -d ' \n')" = 524946464000000057415645666d74201a0000003a8a0200401f0000007d000004001000080000000000\
0000000066616374040000000000000064617461060000000000ffff0000 ] || fail "empty stream: $(od -An -tx1 silence-8000-2-0.pel)"

# A WAV file from a program writing to a pipe (sizes 0xFFFFFFFF) from a pipe (spooled) to a pipe and to a file,
# and the plain file to a pipe: the plain file's stream, and no *.tmp file left here (or in TMPDIR). Then an
# existing OUT replaced.
plain=sine-44100-2-30000
cp "$plain.wav" pipe.wav && patch pipe.wav 4 '\377\377\377\377' && patch pipe.wav 40 '\377\377\377\377'
for args in "- -" "- pipe.pel" "$plain.wav -"; do
  rm -f pipe.pel && TMPDIR=$PWD run encode --quiet $args < <(cat pipe.wav) | cat >>pipe.pel
  cmp -s pipe.pel "$plain.pel" && [ -z "$(ls *.tmp 2>/dev/null)" ] || fail "encode $args: $(cat err; ls *.tmp 2>/dev/null)"
done
run encode "$plain.wav" "$PWD/$plain.pel" && cmp -s pipe.pel "$plain.pel" || fail "overwrite: $(cat err)"
# Names in Greek and Japanese, as arguments and as files.
cp "$plain.wav" "Αθήνα 東京.wav" && run encode "Αθήνα 東京.wav" "$PWD/ελληνικά.pel" && run decode ελληνικά.pel 日本.wav &&
  cmp -s ελληνικά.pel "$plain.pel" && cmp -s 日本.wav "$plain.wav" || fail "names in any script: $(cat err)"
# Memory does not grow with the input: a minute of stereo (10 MB) encodes within 16 MB of address space,
# where the encoder starts within it at all (not under Wine or AddressSanitizer, which reserve far more).
if (ulimit -v 16384 && run encode --help >/dev/null); then
  "$makewav" noise 44100 2 2646000 minute.wav && (ulimit -v 16384 && run encode --fast minute.wav minute.pel) &&
    run decode minute.pel - | cmp -s - minute.wav || fail "a minute within 16 MB: $(cat err)"
fi

# STATUS|TEXT|TOOL ARGS[|FILE|PATCHES: bad is FILE with fields patched, OFFSET=BYTES]. A refusal
# says what to convert the input to; an existing folder as OUT is a rename that fails; an OUT
# that names the input, by a link or another spelling, is refused before anything is written.
# damaged.pel: frame 1's k changed from 12 to 2, its length kept, so that only it is damaged.
cp extremes-8000-2-800.wav good.wav && cp "$vectors/min-sample-mono-8000-delta.wav" good.pel && mkdir folder && ln good.wav link.wav
cp "$vectors/sine-stereo-11025-delta.wav" damaged.pel && patch damaged.pel 894 '\043'
while IFS='|' read -r status text args file patches; do
  [ -z "$file" ] || { cp "$file" bad && for field in $patches; do patch bad ${field%%=*} "${field#*=}"; done; }
  check $status "$text" $args < <(cat bad 2>/dev/null)   # IN - reads bad through a pipe
done <<EOF
1|not a stream file|decode bad out|good.pel|20=\1\0
1|bad channel count 3|decode bad out|good.pel|22=\3\0
1|unsupported coder type 23|decode bad out|good.pel|38=\27\0\0\0
1|sample rate below 50|decode bad out|good.pel|24=\61\0\0\0
1|8-bit samples; convert to 16-bit PCM WAV|encode bad out|good.wav|34=\10
1|24-bit samples; convert to 16-bit PCM WAV|encode bad out|good.wav|34=\30
1|floating-point samples; convert to 16-bit PCM WAV|encode bad out|good.wav|20=\3 34=\40
1|3 channels; convert to mono or stereo|encode bad out|good.wav|22=\3
1|resample to 50000 Hz or less|encode bad out|good.wav|24=\0\167\1\0
1|below 50 Hz|encode bad out|good.wav|24=\61\0\0\0
1|not a WAV file; convert it to 16-bit PCM WAV|encode bad out|good.pel|0=not
1|8-bit samples; convert to 16-bit PCM WAV|encode - out|good.wav|34=\10
1|cannot write|encode - folder|good.wav
1|cannot open|encode missing out
1|cannot open|decode missing out
1|cannot write|encode good.wav no/such/dir/out
1|cannot write|decode good.pel no/such/dir/out
1|cannot write|decode good.pel folder
1|cannot open|layout none.h
1|cannot open|layout --dump $layouts/PELORIX.h none.h
1|is the input; choose another output|encode good.wav good.wav
1|a PCM WAV file, not a stream file; pelorix-encode makes a stream of it|decode good.wav out
1|is the input; choose another output|encode good.wav link.wav
1|is the input; choose another output|decode good.pel ./good.pel
1|frame 1 at 0:00.02 is damaged (frames count from 0)|decode damaged.pel out
EOF
# -F: the damaged frame's 441 values are silence, the frames after it as coded.
run decode -F damaged.pel silenced.wav && [ "$(wc -l <err)" = 1 ] &&
  grep -q 'warning: 1 damaged frame(s) decoded as silence, the first frame 1 at 0:00.02' err || fail "-F: $(cat err)"
cp "$vectors/sine-stereo-11025-delta.pcm" silenced.pcm && dd if=/dev/zero of=silenced.pcm bs=882 seek=1 count=1 conv=notrunc 2>/dev/null
cmp -s <(tail -c +45 silenced.wav) silenced.pcm || fail "-F: PCM differs"
cmp -s good.wav extremes-8000-2-800.wav && cmp -s good.pel "$vectors/min-sample-mono-8000-delta.wav" || fail "an input was changed"
for args in encode "encode good.wav" "encode --coder" "encode --coder mp3 a b" "encode --nonsense a b" "encode a b c" \
    decode "decode good.pel" "decode a b c" "decode -F good.pel" "decode --info" layout "layout --nonsense"; do check 2 usage $args; done
run encode --help >help && grep -q -- '--coder auto' help && ! grep -E '[0-9](x|%)' help || fail "--help"   # no speed or size it does not measure

# pelorix-layout: the shipped files load without a warning; a line added to the English one gives
# one warning (status 1): ADDED|EXPECTED, printf %b makes bytes of ADDED's escapes, {x} stands for 9990 x's.
for f in PELORIX.h PELORIX.h01 PELORIX.h02; do run layout "$layouts/$f" >report && grep -q '^No warnings\.' report || fail "$f"; done
grep -q 'style 0x50000000 = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON' report || fail "no style names"
x=$(printf '%9990s' | tr ' ' x)
while IFS='|' read -r added expected; do
  { cat "$layouts/PELORIX.h"; printf '%b' "${added//\{x\}/$x}"; } >added.h
  run layout added.h >report; status=$?
  [ $status = 1 ] && grep -q '^1 warning(s)\.' report && grep -qF "$expected" report ||
    fail "added $added: status $status: $(grep -i warning report | head -3)"
done <<'EOF'
#define O 50 /*o*/\r\n// 1, 0x50000000, 10, 40, 50, 10\r\n|warning: slots 10 and 50: the controls overlap
#define O 50 /*o*/\r\n// 1, 0x50000000, 950, 270, 100, 10\r\n|slot 50: the control reaches outside
#define R 4 /*r*/\r\n// 1, 0x50000000, 20, 73, 180, 16\r\n|slot 4 (repeat) should be an automatic check box (type 1, BS_AUTOCHECKBOX); it is a push button
#define P 35 /*p*/\r\n// 3, 0x50A00000, 20, 90, 690, 265\r\n|slot 35 (playlist) needs LBS_NOTIFY
#define B 1 /*b*/\r\n// 1, 0x40000000, 205, 35, 170, 22\r\n|slot 1 (play) needs WS_CHILD and WS_VISIBLE
#define B 75 /*b*/\r\n// 1, 0x50000000, 0, 0, 1, 1\r\n|1 text definition(s) name a slot outside 0 to 59 (the first: 75); they are ignored, and so are the 1
#define B 8 /*{x}*/\r\n|texts cut short in slot(s) 8
/* tail */\n|1 line(s) end with LF alone
EOF
# --dump, the same bytes everywhere: English, German, French, the French texts remain; C's escapes.
run layout --dump "$layouts/PELORIX.h" "$layouts/PELORIX.h01" "$layouts/PELORIX.h02" >dump || fail "--dump status $?"
[ "$(wc -l <dump)" = 60 ] || fail "--dump: $(wc -l <dump) lines"
for want in "4${t}1${t}1342177283${t}20${t}73${t}180${t}16${t}R\\xE9p\\xE9ter" "47${t}-1${t}0${t}0${t}0${t}0${t}0${t}25" \
    "35${t}3${t}1352663297${t}20${t}90${t}690${t}265${t}Liste de lecture"; do grep -qxF "$want" dump || fail "--dump: $want"; done
printf '#define Q 1 /*a\\\\b"c\\nd\tx\\r\x01\xff*/\r\n' >escapes.h && run layout --dump escapes.h >dump &&
  grep -qxF "1${t}-1${t}0${t}0${t}0${t}0${t}0${t}a\\\\b\\\"c\\nd\\tx\\r\\x01\\xFF" dump || fail "--dump escapes: $(sed -n 2p dump)"
e2e_done "command-line tools${wine:+ under Wine}: all checks passed"
