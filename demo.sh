#!/usr/bin/env bash
# The main job: sets up, builds the tools, synthesises a short tune, codes it
# as a stream file, describes it, decodes it again and checks it is the same.
set -eu
cd "$(dirname "$0")"
bash cmake/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native
demo=build/demo
mkdir -p "$demo"
python3 - "$demo/tune-pcm.wav" <<'PY'
import math, struct, sys, wave
rate, notes = 44100, [(392, .3), (440, .3), (494, .3), (523, .6), (494, .3), (440, .3), (392, .9)]
frames = bytearray()
for freq, seconds in notes:
    n = int(rate * seconds)
    for i in range(n):
        env = min(1, i / 400) * math.exp(-3 * i / n)
        left = env * (math.sin(2 * math.pi * freq * i / rate) + .3 * math.sin(4 * math.pi * freq * i / rate))
        right = env * math.sin(2 * math.pi * freq * 1.5 * i / rate)
        frames += struct.pack("<hh", int(12000 * left), int(9000 * right))
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate); w.writeframes(bytes(frames))
PY
tools=build/native/tools
if [ -x "$tools/pelorix-encode" ]; then
  "$tools/pelorix-encode" "$demo/tune-pcm.wav" "$demo/tune.wav"
  "$tools/pelorix-decode" --info "$demo/tune.wav"
  "$tools/pelorix-decode" "$demo/tune.wav" "$demo/tune-decoded.wav"
  cmp <(tail -c +45 "$demo/tune-decoded.wav") <(tail -c +45 "$demo/tune-pcm.wav") && echo "demo: tune decoded bit for bit: $demo/tune-decoded.wav"
else
  for v in tests/vectors/*.wav; do "$tools/pelorix-decode" --info "$v" | head -4; done
fi
