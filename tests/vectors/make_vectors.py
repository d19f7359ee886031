#!/usr/bin/env python3
"""The decoder's test vectors: NAME.wav (a stream file) beside NAME.pcm, the
16-bit little-endian PCM it decodes to. A plain coder of its own, apart from
the project's encoder (fixed k per frame, fixed weights, verbatim where a
residual does not fit), so the PCM is the synthetic signal itself, not another
run of the same code. Usage: python3 make_vectors.py [DIR]
"""
import math, os, random, struct, sys


def wrap32(v):
    return (v + (1 << 31)) % (1 << 32) - (1 << 31)


def word(r, k):
    """One residual code word as a string of bits; None when r has no code."""
    if k == 0 and r == 0:
        return "1"
    if k >= 1 and -(1 << k) <= r < (1 << k):
        return "1" + format(r & ((1 << (k + 1)) - 1), "0%db" % (k + 1))
    for zeros, n in ((1, k), (2, k + 1), (3, k + 2)):
        if (1 << n) <= abs(r) < (1 << (n + 1)):   # zeros 0 bits, a 1, the sign, n bits
            m = r - (1 << n) if r > 0 else r + (1 << (n + 1)) - 1
            return "0" * zeros + "1" + ("1" if r > 0 else "0") + (format(m, "0%db" % n) if n else "")
    return "0000" + format(r & 0x1FFFF, "017b") if -65536 <= r <= 65535 else None


def code_frame(values, channels, coder, k, escape, slope=8, taps=(512, -256, 0), verbatim=False):
    hist, bits = [[0, 0, 0], [0, 0, 0]], ""   # history restarts in every frame
    if coder == 21:
        bits = format(slope, "04b")
    elif coder == 22:
        bits = "".join(format(v, "010b") for v in (taps[0] + 128, 128 - taps[1], taps[2] + 256))
    words = []
    for i, x in enumerate(values):
        h = hist[i & (channels - 1)]
        if coder == 21:
            p = wrap32(wrap32((wrap32(h[0] - h[1]) >> 3) * slope) + h[0])   # >> rounds toward minus infinity
        elif coder == 22:
            p = wrap32(h[0] * taps[0] + h[1] * taps[1] + h[2] * taps[2]) >> 8
        else:
            p = h[0]
        words.append(word(wrap32(x - p), k))
        hist[i & (channels - 1)] = [x, h[0], h[1]]
    bits += "".join(w or "" for w in words)
    body = bytes(int((bits + "0" * (-len(bits) % 8))[i:i + 8], 2) for i in range(0, len(bits), 8))
    if verbatim or None in words or len(body) + 2 > 0xFFE:
        k, body = 15, b"".join(struct.pack("<h", v) for v in values)
    if escape:
        return struct.pack("<HH", (k << 12) | 0xFFF, len(values)) + body
    assert 2 + len(body) <= 0xFFE
    return struct.pack("<H", (k << 12) | (2 + len(body))) + body


def stream(signal, channels, rate, coder, skip=b"", verbatim_every=0):
    """signal: interleaved values. Frames of samplesPerFrame values; the last one escaped."""
    spf = rate * channels // 50
    out = b"RIFF" + struct.pack("<I", 0) + b"WAVEfmt " + struct.pack(
        "<IHHIIHHHii", 26, 0x8A3A, channels, rate, rate * channels * 2, channels * 2, 16, 8, coder, 0)
    out += b"fact" + struct.pack("<Ii", 4, len(signal) // channels) + b"data" + struct.pack("<IH", 0, len(skip)) + skip
    starts = list(range(0, len(signal), spf)) or [0]
    for n, start in enumerate(starts):
        values = signal[start:start + spf]
        k = min(14, max(0, max([abs(v) for v in values] + [1]).bit_length() - 3))
        out += code_frame(values, channels, coder, k, n == len(starts) - 1,
                          verbatim=verbatim_every and n % verbatim_every == 1)
    return out


def sine(rate, channels, seconds, freq, amp):
    return [max(-32768, min(32767, int(amp * math.sin(2 * math.pi * freq * (c + 1) * i / rate))))
            for i in range(int(rate * seconds)) for c in range(channels)]


def main():
    here = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    rnd = random.Random(20261206)
    sq = [32767 if (i // 40) % 2 else -32768 for i in range(2 * 4410) for _ in (0, 1)]
    noise = [rnd.randint(-32768, 32767) for _ in range(2 * 5000)]
    small = [rnd.randint(-300, 300) for _ in range(3000)]
    s = sine(8000, 1, 0.1, 500, 8000)
    full = stream(s, 1, 8000, 0)
    cut = 68
    for _ in range(2):
        cut += struct.unpack_from("<H", full, cut)[0] & 0xFFF
    vectors = [  # name, signal, channels, rate, coder, options
        ("silence-mono-44100-delta", [0] * 66150, 1, 44100, 0, {}),
        ("min-sample-mono-8000-delta", [-32768], 1, 8000, 0, {}),
        ("square-stereo-44100-slope", sq, 2, 44100, 21, {}),
        ("noise-stereo-22050-threetap", noise, 2, 22050, 22, {}),
        ("sine-stereo-11025-delta", sine(11025, 2, 0.37, 441, 20000), 2, 11025, 0, {}),
        ("sine-stereo-11025-threetap", sine(11025, 2, 0.37, 300, 30000), 2, 11025, 22, {}),
        ("sine-mono-48000-slope-skip5", sine(48000, 1, 0.5, 1000, 32767), 1, 48000, 21, {"skip": b"\1\2\3\4\5"}),
        ("sine-stereo-44100-threetap-verbatim", sine(44100, 2, 1.1, 220, 12000), 2, 44100, 22, {"verbatim_every": 3}),
        ("noise-mono-8000-coder20", small, 1, 8000, 20, {}),
        ("noise-mono-8000-coderminus1", small, 1, 8000, -1, {}),
        ("empty-stereo-44100-slope", [], 2, 44100, 21, {}),
    ]
    vectors = [(name, stream(signal, ch, rate, coder, **options), signal) for name, signal, ch, rate, coder, options in vectors]
    # cut after its second frame: the player plays the missing frames as silence
    vectors.append(("truncated-mono-8000-delta", full[:cut], s[:320] + [0] * (len(s) - 320)))
    for name, data, pcm in vectors:
        open(os.path.join(here, name + ".wav"), "wb").write(data)
        open(os.path.join(here, name + ".pcm"), "wb").write(b"".join(struct.pack("<h", v) for v in pcm))


if __name__ == "__main__":
    main()
