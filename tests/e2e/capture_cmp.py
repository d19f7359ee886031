#!/usr/bin/env python3
"""Sets what waveOut played under Wine (a raw capture file of the ALSA file
plugin: the 16-bit PCM of one waveOutOpen) against the decoded clip it came
from (a WAV file from pelorix-decode). Positions are in frames of 1/50 s, the
player's unit: it plays whole frames in buffers of 25, so a capture starts on
a frame of the clip and every seek jumps by whole frames.

  exact CLIP.wav CAPTURE   the capture is the clip, then silence to the end of
      the last whole buffer, then at most a short zero tail (Wine adds one
      when the queue runs dry); status 0 when so
  map CLIP.wav CAPTURE     which clip frames the capture holds, one run per
      line: FROM TO CLIP-FROM (capture frames FROM up to TO, exclusive, are the
      clip's frames from CLIP-FROM on; "silence" or "unknown" instead)
  soak LOG CAPTURE CLIP.wav...   the captures CAPTURE, CAPTURE.0001, ... of a
      soak against its Playlist (the decoded clips in order) and the command
      LOG of pelorix-driver soak; status 0 when sound (see soak_check)
"""
import os
import re
import sys
import wave
from pathlib import Path

FramesPerBuffer = 25
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


def exact(clip, capture):
    buffers = -(-clip.frames // FramesPerBuffer)
    played = buffers * FramesPerBuffer * clip.frame_bytes
    pcm = clip.pcm
    common = min(len(pcm), len(capture))
    if capture[:common] != pcm[:common]:
        first = next(i for i in range(common) if capture[i] != pcm[i])
        return f"differs from the clip at byte {first} ({clip.seconds(first):.3f} s)"
    if len(capture) < played:
        return (f"ends at {clip.seconds(len(capture)):.3f} s, before the end of the last buffer "
                f"at {clip.seconds(played):.3f} s ({buffers} buffers of {FramesPerBuffer} frames)")
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
    """(end, whole) when the capture from a is the buffer want, whole or cut
    short by a reset with only zeros after it, allowing runs of zeros that
    Wine slipped in when its own queue ran dry; None otherwise."""
    x, i = a, 0
    while i < len(want):
        n = min(len(want) - i, len(data) - x)
        if data[x:x + n] == want[i:i + n]:
            x, i = x + n, i + n
            if i < len(want) and data.count(0, x) == len(data) - x:
                return len(data), False
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
            return y, False
        z = y - x - (len(want[i:]) - len(want[i:].lstrip(b"\0")))
        if z <= 0 or z % block:
            return None
        x += z
    return x, True


def soak_check(log, capture, clips):
    """Each device opening (capture file) must be whole buffers of one entry,
    decoded frames s..s+24 (past the end: silence), give or take runs of
    zeros that Wine slips in, the last buffer perhaps cut short. The first
    buffer starts at frame 0 and each next one where the last ended, unless a
    seek moved it: by a multiple of 3 s, or to frame 0 or the last frame.
    An opening that ends other than with its last buffer, and one that does
    not hold the entry after the one that played out (the first after the
    last), needs a stop, next, previous, double-click or exit. Racing commands
    make the exact buffer unknowable, so each such event only needs a command
    of its kind not yet used up and sent before the capture got there: LOG's
    marks say how far the capture was when each command was sent."""
    keys = {}
    for e, c in enumerate(clips):
        c.padded = c.pcm + bytes(-len(c.pcm) % c.frame_bytes + FramesPerBuffer * c.frame_bytes)
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
    problems, figures = [], dict(openings=0, empty=0, buffers=0, cut=0, jumps=0, followed=0, moved=0)

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
        data, pos, entry, expected, whole = Path(name).read_bytes(), 0, None, 0, False
        figures["openings"] += 1
        while (m := nonzero.search(data, pos)) is not None:
            q, hit = m.start(), None
            for a in range(max(pos, q - 256) & ~1, q + 1, 2):
                for e, j in keys.get(data[a:a + KeyBytes], ()):
                    c = clips[e]
                    want = c.padded[j * c.frame_bytes:(j + FramesPerBuffer) * c.frame_bytes]
                    matched = match(data, a, want, c.channels * 2) if entry in (None, e) else None
                    # the whole buffer before a cut one, the expected one before a jump
                    if matched and (hit is None or (matched[1], j == expected) > (hit[4], hit[2] == expected)):
                        hit = (a, e, j) + matched
                if hit:
                    break
            if hit is None:
                problems.append(f"file {k} byte {q}: no whole buffer of {'any entry' if entry is None else f'entry {entry}'}")
                break
            a, e, j, end, whole = hit
            if entry is None:
                entry = e
                if natural and e != (previous + 1) % len(clips):
                    explain("moving", (k, 0), f"entry {e} after entry {previous} had played out")
                figures["followed" if natural and e == (previous + 1) % len(clips) else "moved"] += 1
            if j != expected:
                if (j - expected) % SeekStep and j not in (0, clips[e].frames - 1):
                    problems.append(f"file {k} byte {a}: frame {j} after frame {expected - 1}, no seek goes there")
                explain("seek", (k, a), f"a jump to frame {j}")
                figures["jumps"] += 1
            figures["buffers"] += 1
            expected, pos = j + FramesPerBuffer, end
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
    print("soak: " + ", ".join(f"{key} {value}" for key, value in figures.items()))
    for problem in problems[:20]:
        print(problem)
    return 1 if problems else 0


def main(argv):
    mode, files = (argv[0], argv[1:]) if argv else (None, [])
    if mode == "soak" and len(files) >= 3:
        return soak_check(files[0], files[1], [Clip(p) for p in files[2:]])
    if mode not in ("exact", "map") or len(files) != 2:
        sys.exit(__doc__)
    clip, capture = Clip(files[0]), Path(files[1]).read_bytes()
    if mode == "exact":
        problem = exact(clip, capture)
        if problem:
            print(f"{files[1]}: {problem}")
        return 1 if problem else 0
    for start, end, at in runs(clip, capture):
        print(start, end, "silence" if at is None else "unknown" if at < 0 else at, sep="\t")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
