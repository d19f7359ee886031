#!/usr/bin/env python3
"""Writes the decoder's test vectors: NAME.wav (a stream file) beside NAME.pcm
(the 16-bit little-endian PCM it must decode to, totalSamples x channels values).

The streams are coded here by a deliberately plain coder of its own, written
apart from the project's encoder: fixed k per frame, fixed predictor weights,
verbatim where a residual does not fit. The expected PCM is the synthetic
signal itself, so a vector checks the decoder against the signal, not against
another run of the same code. Run from anywhere: python3 make_vectors.py
"""
import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def wrap32(v):
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v & 0x80000000 else v


def asr(v, n):
    return v >> n  # Python's >> on negative ints rounds toward minus infinity


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        for i in range(count - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def residual(self, r, k):
        """One ResidualCode word; None when r has no code."""
        if k == 0 and r == 0:
            self.put(1, 1)
            return True
        if k >= 1 and -(1 << k) <= r < (1 << k):
            self.put(1, 1)
            self.put(r & ((1 << (k + 1)) - 1), k + 1)
            return True
        for zeros, n in ((1, k), (2, k + 1), (3, k + 2)):
            if (1 << n) <= abs(r) < (1 << (n + 1)):
                self.put(1, zeros + 1)  # zeros 0 bits then a 1
                if r > 0:
                    self.put(1, 1)
                    self.put(r - (1 << n), n)
                else:
                    self.put(0, 1)
                    self.put(r + (1 << (n + 1)) - 1, n)
                return True
        if -65536 <= r <= 65535:
            self.put(0, 4)
            self.put(r & 0x1FFFF, 17)
            return True
        return None

    def to_bytes(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def predictions(values, channels, coder, slope, taps):
    """Residuals of one frame's values under the coder; history restarts per frame."""
    res = []
    hist = [[0, 0, 0], [0, 0, 0]]
    for i, x in enumerate(values):
        h = hist[i & (channels - 1)]
        if coder == 21:
            p = wrap32(wrap32(asr(wrap32(h[0] - h[1]), 3) * slope) + h[0])
        elif coder == 22:
            p = asr(wrap32(h[0] * taps[0] + h[1] * taps[1] + h[2] * taps[2]), 8)
        else:
            p = h[0]
        res.append(wrap32(x - p))
        hist[i & (channels - 1)] = [x, h[0], h[1]]
    return res


def code_frame(values, channels, coder, k, escape, slope=8, taps=(512, -256, 0), verbatim=False):
    res = predictions(values, channels, coder, slope, taps)
    bits = Bits()
    if coder == 21:
        bits.put(slope, 4)
    elif coder == 22:
        bits.put(taps[0] + 128, 10)
        bits.put(128 - taps[1], 10)
        bits.put(taps[2] + 256, 10)
    ok = not verbatim and all(bits.residual(r, k) for r in res)
    if ok and len(bits.to_bytes()) + 2 <= 0xFFE:
        body = bits.to_bytes()
    else:
        k = 15
        body = b"".join(struct.pack("<h", v) for v in values)
    if escape:
        return struct.pack("<HH", (k << 12) | 0xFFF, len(values)) + body
    length = 2 + len(body)
    assert length <= 0xFFE
    return struct.pack("<H", (k << 12) | length) + body


def header(channels, rate, coder, total, skip=b""):
    spf = rate * channels // 50
    h = b"RIFF" + struct.pack("<I", 0) + b"WAVEfmt " + struct.pack("<IHHIIHHH", 26, 0x8A3A, channels, rate,
                                                                   rate * channels * 2, channels * 2, 16, 8)
    h += struct.pack("<ii", coder, 0) + b"fact" + struct.pack("<Ii", 4, total) + b"data" + struct.pack("<I", 0)
    assert len(h) == 66 and spf > 0
    return h + struct.pack("<H", len(skip)) + skip


def stream(signal, channels, rate, coder, k=None, skip=b"", verbatim_every=0):
    """signal: interleaved values. Frames of samplesPerFrame values; last one escaped."""
    spf = rate * channels // 50
    total = len(signal) // channels
    frames = []
    starts = list(range(0, len(signal), spf)) or [0]
    for n, start in enumerate(starts):
        values = signal[start:start + spf]
        last = n == len(starts) - 1
        if k is None:
            peak = max([abs(v) for v in values] + [1])
            kk = min(14, max(0, peak.bit_length() - 3))
        else:
            kk = k
        frames.append(code_frame(values, channels, coder, kk, last,
                                 verbatim=verbatim_every and n % verbatim_every == 1))
    return header(channels, rate, coder, total, skip) + b"".join(frames)


def write(name, data, signal):
    with open(os.path.join(HERE, name + ".wav"), "wb") as f:
        f.write(data)
    with open(os.path.join(HERE, name + ".pcm"), "wb") as f:
        f.write(b"".join(struct.pack("<h", v) for v in signal))


def clamp(v):
    return max(-32768, min(32767, int(v)))


def sine(rate, channels, seconds, freq, amp):
    n = int(rate * seconds)
    out = []
    for i in range(n):
        for c in range(channels):
            out.append(clamp(amp * math.sin(2 * math.pi * freq * (c + 1) * i / rate)))
    return out


def main():
    rnd = random.Random(20261206)
    write("silence-mono-44100-delta", stream([0] * 66150, 1, 44100, 0), [0] * 66150)
    write("min-sample-mono-8000-delta", stream([-32768], 1, 8000, 0), [-32768])
    sq = [32767 if (i // 40) % 2 else -32768 for i in range(2 * 4410) for _ in (0, 1)]
    write("square-stereo-44100-slope", stream(sq, 2, 44100, 21), sq)
    noise = [rnd.randint(-32768, 32767) for _ in range(2 * 5000)]
    write("noise-stereo-22050-threetap", stream(noise, 2, 22050, 22), noise)
    s = sine(11025, 2, 0.37, 441, 20000)
    write("sine-stereo-11025-delta", stream(s, 2, 11025, 0), s)
    s = sine(11025, 2, 0.37, 300, 30000)
    write("sine-stereo-11025-threetap", stream(s, 2, 11025, 22), s)
    s = sine(48000, 1, 0.5, 1000, 32767)
    write("sine-mono-48000-slope-skip5", stream(s, 1, 48000, 21, skip=b"\x01\x02\x03\x04\x05"), s)
    s = sine(44100, 2, 1.1, 220, 12000)
    write("sine-stereo-44100-threetap-verbatim", stream(s, 2, 44100, 22, verbatim_every=3), s)
    s = [rnd.randint(-300, 300) for _ in range(3000)]
    write("noise-mono-8000-coder20", stream(s, 1, 8000, 20), s)
    write("noise-mono-8000-coderminus1", stream(s, 1, 8000, -1), s)
    write("empty-stereo-44100-slope", stream([], 2, 44100, 21), [])

    # Cut after its second frame: the player plays the missing frames as silence.
    s = sine(8000, 1, 0.1, 500, 8000)
    full = stream(s, 1, 8000, 0)
    spf = 160
    cut = 68
    for _ in range(2):
        cut += struct.unpack_from("<H", full, cut)[0] & 0xFFF
    write("truncated-mono-8000-delta", full[:cut], s[:2 * spf] + [0] * (len(s) - 2 * spf))


if __name__ == "__main__":
    main()
