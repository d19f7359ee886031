#!/usr/bin/env python3
"""Sets what waveOut played under Wine (a raw capture file of the ALSA file
plugin: the 16-bit PCM of one waveOutOpen) against the decoded clip it came
from (a WAV file from pelorix-decode). Positions are in frames of 1/50 s, the
player's unit: it plays whole frames, so a capture starts on a frame of the
clip and every seek jumps by whole frames.

  capture_cmp.py exact CLIP.wav CAPTURE [--frames-per-buffer 25]
      the capture is the clip, then silence to the end of the last whole
      buffer, then at most a short zero tail (Wine adds one when the queue
      runs dry); status 0 when so
  capture_cmp.py map CLIP.wav CAPTURE
      which clip frames the capture holds, one run per line:
      FROM TO CLIP-FROM (capture frames FROM up to TO, exclusive, are the clip's
      frames from CLIP-FROM on; "silence" or "unknown" instead of CLIP-FROM)
  capture_cmp.py soak LOG CAPTURE CLIP.wav... [--frames-per-buffer 25]
      the captures CAPTURE, CAPTURE.0001, ... of a soak against its Playlist
      (the decoded clips in order) and the command LOG of pelorix-driver soak
      (number kind argument files size; see soak_check); status 0 when sound
  capture_cmp.py wav OUT.wav CLIP.wav CAPTURE [CLIP.wav CAPTURE ...]
      the captures one after the other in one WAV file at the highest rate
      among the clips, in stereo when any clip is; for listening only
"""
import argparse
import array
import os
import re
import sys
import wave

MaxZeroTailMillis = 100   # Wine's tail is 0 to 30 ms; a whole stray buffer would be 500


class Clip:
    def __init__(self, path):
        with wave.open(path, "rb") as w:
            if w.getsampwidth() != 2:
                sys.exit(f"{path}: not 16-bit PCM")
            self.rate, self.channels = w.getframerate(), w.getnchannels()
            self.pcm = w.readframes(w.getnframes())
        # the player's frame: rate x channels / 50 values of 2 bytes
        self.frame_bytes = self.rate * self.channels // 50 * 2
        values = len(self.pcm) // 2 // self.channels
        self.frames = (values - 1) // (self.rate // 50) + 1 if values else 0

    def seconds(self, nbytes):
        return nbytes / (self.rate * self.channels * 2)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def exact(clip, capture, frames_per_buffer):
    buffers = -(-clip.frames // frames_per_buffer)
    played = buffers * frames_per_buffer * clip.frame_bytes
    pcm = clip.pcm
    common = min(len(pcm), len(capture))
    if capture[:common] != pcm[:common]:
        first = next(i for i in range(common) if capture[i] != pcm[i])
        return f"differs from the clip at byte {first} ({clip.seconds(first):.3f} s)"
    if len(capture) < played:
        return (f"ends at {clip.seconds(len(capture)):.3f} s, before the end of the last buffer "
                f"at {clip.seconds(played):.3f} s ({buffers} buffers of {frames_per_buffer} frames)")
    if capture.count(0, len(pcm)) != len(capture) - len(pcm):
        return "holds sound after the end of the clip"
    tail = clip.seconds(len(capture) - played) * 1000
    if tail > MaxZeroTailMillis:
        return f"has {tail:.0f} ms of silence after the last buffer, more than a zero tail"
    print(f"equal: {clip.seconds(len(pcm)):.3f} s of clip in {buffers} buffers, then a zero tail of {tail:.0f} ms")
    return None


def runs(clip, capture):
    """(from, to, clip_from) runs of the capture's frames; clip_from None for
    silence, -1 for a frame found nowhere in the clip. A stop cuts the audio
    within a frame, and Wine may fill the rest with zeros: the trailing zeros
    are silence, and the frame they begin in is matched by what precedes them."""
    size = clip.frame_bytes
    pcm = clip.pcm + bytes(-len(clip.pcm) % size)
    where = {}
    for j in range(len(pcm) // size - 1, -1, -1):   # the first of equal frames wins
        where[pcm[j * size:(j + 1) * size]] = j
    sound = len(capture.rstrip(b"\0"))
    found = []
    for i in range(-(-sound // size)):
        chunk = capture[i * size:min((i + 1) * size, sound)]
        following = found[-1] + 1 if found and found[-1] is not None and found[-1] >= 0 else None
        if chunk.count(0) == len(chunk):
            found.append(None)
        elif following is not None and pcm[following * size:following * size + len(chunk)] == chunk:
            found.append(following)
        elif len(chunk) == size:
            found.append(where.get(chunk, -1))
        else:
            found.append(next((j for j in range(len(pcm) // size) if pcm[j * size:j * size + len(chunk)] == chunk), -1))
    found += [None] * (-(-len(capture) // size) - len(found))
    result = []
    for i, j in enumerate(found):
        last = result[-1] if result else None
        if last and (
                (j is None and last[2] is None) or
                (j is not None and j >= 0 and last[2] is not None and last[2] >= 0 and j == last[2] + i - last[0])):
            last[1] = i + 1
        else:
            result.append([i, i + 1, j])
    return result

SeekStep = 150      # every seek command moves by a multiple of 3 s
KeyBytes = 16       # a frame is looked up by its first bytes, then the whole buffer compared
Moving = {"stop", "next", "prev", "dbl", "exit"}   # commands that can end an opening or pick an entry


def match(data, a, want, block):
    """(end, insertions, whole) when the capture from a is the buffer want,
    whole or cut short by a reset with only zeros after it, allowing runs of
    zeros that Wine slipped in when its own queue ran dry (their sizes in
    insertions); None otherwise."""
    x, i, inserted = a, 0, []
    while i < len(want):
        n = min(len(want) - i, len(data) - x)
        if data[x:x + n] == want[i:i + n]:
            x, i = x + n, i + n
            if i < len(want) and data.count(0, x) == len(data) - x:
                return len(data), inserted, False
            continue
        d, hi = 0, n   # the first byte that differs, by halving
        while hi - d > 1:
            mid = (d + hi) // 2
            d, hi = (mid, hi) if data[x:x + mid] == want[i:i + mid] else (d, mid)
        d -= (x + d - a) % block   # back to the start of the sample frame
        x, i = x + d, i + d
        y = x
        while y < len(data) and data[y] == 0:
            y += 1
        if y == len(data):
            return y, inserted, False
        z = y - x - (len(want[i:]) - len(want[i:].lstrip(b"\0")))
        if z <= 0 or z % block:
            return None
        inserted.append(z)
        x += z
    return x, inserted, True


def soak_check(log, capture, clips, fpb):
    """Each device opening (capture file) must be whole buffers of one entry,
    decoded frames s..s+fpb-1 (past the end: silence), give or take runs of
    zeros that Wine slips in, the last buffer perhaps cut short. The first
    buffer starts at frame 0 and each next one where the last ended, unless a
    seek moved it: by a multiple of 3 s, or to frame 0 or the last frame.
    An opening that ends other than with its last buffer, and one that does
    not hold the entry after the one that played out (the first after the
    last), needs a stop, next, previous, double-click or exit. Racing commands
    make the exact buffer unknowable, so each such event only needs a command
    of its kind not yet used up and sent before the capture got there: LOG's
    marks say how far the capture was when each command was sent."""
    for c in clips:
        c.padded = c.pcm + bytes(-len(c.pcm) % c.frame_bytes + fpb * c.frame_bytes)
    keys = {}
    for e, c in enumerate(clips):
        for j in range(c.frames):
            keys.setdefault(c.padded[j * c.frame_bytes:j * c.frame_bytes + KeyBytes], []).append((e, j))
    commands = {"seek": [], "moving": []}
    for line in open(log):
        _, kind, _, files, size = line.split()
        if kind == "seek" or kind in Moving:
            commands["seek" if kind == "seek" else "moving"].append((int(files) - 1, int(size)))
    for marks in commands.values():
        marks.sort()
    used = {"seek": 0, "moving": 0}
    problems, figures = [], dict(openings=0, empty=0, buffers=0, cut=0, jumps=0, followed=0, moved=0, silence=0.0,
                                insertions=0, **{"longest insertion ms": 0.0})

    def explain(group, where, what):
        marks, i = commands[group], used[group]
        if i < len(marks) and marks[i] <= where:
            used[group] += 1
        else:
            problems.append(f"{what} at file {where[0]} byte {where[1]}: no {group} command sent before it is left")

    nonzero = re.compile(rb"[^\0]")
    names = [capture] + [f"{capture}.{k:04d}" for k in range(1, 100000)]
    previous, natural = -1, True   # the entry before the first, as if it had played out
    for k, name in enumerate(names):
        if not os.path.exists(name):
            break
        data, pos, entry, expected, whole = read(name), 0, None, 0, False
        figures["openings"] += 1
        while (m := nonzero.search(data, pos)) is not None:
            q, hit = m.start(), None
            for a in range(max(pos, q - 256) & ~1, q + 1, 2):
                for e, j in keys.get(data[a:a + KeyBytes], ()):
                    c = clips[e]
                    want = c.padded[j * c.frame_bytes:(j + fpb) * c.frame_bytes]
                    matched = match(data, a, want, c.channels * 2) if entry in (None, e) else None
                    # the whole buffer before a cut one, the expected one before a jump
                    if matched and (hit is None or (matched[2], j == expected) > (hit[5], hit[2] == expected)):
                        hit = (a, e, j) + matched
                if hit:
                    break
            if hit is None:
                problems.append(f"file {k} byte {q}: no whole buffer of {'any entry' if entry is None else f'entry {entry}'}")
                break
            a, e, j, end, inserted, whole = hit
            c = clips[e]
            figures["silence"] += c.seconds(a - pos + sum(inserted))
            figures["insertions"] += len(inserted)
            figures["longest insertion ms"] = max([figures["longest insertion ms"]] + [c.seconds(z) * 1000 for z in inserted])
            if entry is None:
                entry = e
                if natural and e != (previous + 1) % len(clips):
                    explain("moving", (k, 0), f"entry {e} after entry {previous} had played out")
                figures["followed" if natural and e == (previous + 1) % len(clips) else "moved"] += 1
            if j != expected:
                if (j - expected) % SeekStep and j not in (0, c.frames - 1):
                    problems.append(f"file {k} byte {a}: frame {j} after frame {expected - 1}, no seek goes there")
                explain("seek", (k, a), f"a jump to frame {j}")
                figures["jumps"] += 1
            figures["buffers"] += 1
            expected, pos = j + fpb, end
            if not whole:
                break
        if entry is None:
            figures["empty"] += 1
        natural = entry is not None and whole and expected >= clips[entry].frames
        if not natural:
            figures["cut"] += 1
            explain("moving", (k, len(data)), "an opening cut short")
        previous = entry if entry is not None else previous
    figures["seek commands"], figures["moving commands"] = len(commands["seek"]), len(commands["moving"])
    print("soak: " + ", ".join(f"{key} {value:.2f}" if isinstance(value, float) else f"{key} {value}"
                               for key, value in figures.items()))
    for problem in problems[:20]:
        print(problem)
    return 1 if problems else 0


def resample(pcm, channels, rate, out_channels, out_rate):
    """Linear interpolation; good enough to listen to."""
    values = array.array("h", pcm)
    if sys.byteorder == "big":
        values.byteswap()
    n = len(values) // channels
    out = array.array("h")
    for k in range(n * out_rate // rate):
        position = k * rate / out_rate
        i = int(position)
        fraction = position - i
        j = min(i + 1, n - 1)
        for c in range(out_channels):
            source = min(c, channels - 1)
            a, b = values[i * channels + source], values[j * channels + source]
            out.append(int(round(a + (b - a) * fraction)))
    if sys.byteorder == "big":
        out.byteswap()
    return out.tobytes()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["exact", "map", "wav", "soak"])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--frames-per-buffer", type=int, default=25)
    args = parser.parse_args()
    if args.mode == "wav":
        if len(args.files) < 3 or len(args.files) % 2 == 0:
            parser.error("wav needs OUT.wav and pairs of CLIP.wav CAPTURE")
        pairs = [(Clip(args.files[i]), read(args.files[i + 1])) for i in range(1, len(args.files), 2)]
        rate = max(c.rate for c, _ in pairs)
        channels = max(c.channels for c, _ in pairs)
        with wave.open(args.files[0], "wb") as w:
            w.setnchannels(channels)
            w.setsampwidth(2)
            w.setframerate(rate)
            for c, capture in pairs:
                capture = capture[:len(capture) // (2 * c.channels) * 2 * c.channels]
                same = c.rate == rate and c.channels == channels
                w.writeframes(capture if same else resample(capture, c.channels, c.rate, channels, rate))
        return 0
    if args.mode == "soak":
        if len(args.files) < 3:
            parser.error("soak needs LOG, CAPTURE and the clips")
        return soak_check(args.files[0], args.files[1], [Clip(p) for p in args.files[2:]], args.frames_per_buffer)
    if len(args.files) != 2:
        parser.error(f"{args.mode} needs CLIP.wav and CAPTURE")
    clip, capture = Clip(args.files[0]), read(args.files[1])
    if args.mode == "exact":
        problem = exact(clip, capture, args.frames_per_buffer)
        if problem:
            print(f"{args.files[1]}: {problem}")
            return 1
        return 0
    for start, end, at in runs(clip, capture):
        label = "silence" if at is None else "unknown" if at < 0 else at
        print(start, end, label, sep="\t")
    return 0


if __name__ == "__main__":
    sys.exit(main())
