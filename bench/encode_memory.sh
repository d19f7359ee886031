#!/usr/bin/env bash
# Peak resident memory and wall time of pelorix-encode (default level) on 1
# and 30 minutes of 44.1 kHz stereo, from a file and from a pipe, to a file;
# given REFERENCE, another build's encoder on the same inputs beside it.
# usage: bench/encode_memory.sh [REFERENCE]   after cmake --build --preset native
set -eu
native=$(cd "$(dirname "$0")/.." && pwd)/build/native
[ -x /usr/bin/time ] || { echo "needs GNU time: apt-get install -y time"; exit 1; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
encoders=("$native/tools/pelorix-encode" ${1:+"$1"})
measure() {   # ENCODER IN ("-": in.wav through a pipe): peak MB and wall time
  if [ "$2" = - ]; then exec 3< <(cat "$work/in.wav"); else exec 3</dev/null; fi
  /usr/bin/time -v "$1" --quiet "$2" "$work/out.pel" <&3 3<&- 2>&1 >/dev/null |
    awk -F': ' '/Maximum resident/ { kb = $2 } /Elapsed/ { t = $2 } END { printf "%8.1f MB %8s", kb / 1024, t }'
}
printf '%-7s %-20s %-20s %s\n' audio "from a file" "from a pipe" encoder
for minutes in 1 30; do
  "$native/tests/makewav" sine 44100 2 $((minutes * 60 * 44100)) "$work/in.wav"
  for encoder in "${encoders[@]}"; do
    printf '%-7s %s  %s  %s\n' "$minutes min" "$(measure "$encoder" "$work/in.wav")" "$(measure "$encoder" -)" "$encoder"
  done
done
