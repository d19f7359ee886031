#!/usr/bin/env python3
"""What waveOut played in the demo, as one WAV file to listen to: the raw
captures in order, each resampled to the highest rate and channel count
among the tunes.

  heardwav.py OUT.wav TUNE.wav CAPTURE [TUNE.wav CAPTURE ...]
"""
import array
import sys
import wave


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


def main(args):
    if len(args) < 3 or len(args) % 2 == 0:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    pairs = []
    for tune, capture in zip(args[1::2], args[2::2]):
        with wave.open(tune, "rb") as w:
            format = (w.getnchannels(), w.getframerate())
        with open(capture, "rb") as f:
            pairs.append((format, f.read()))
    channels = max(c for (c, _), _ in pairs)
    rate = max(r for (_, r), _ in pairs)
    with wave.open(args[0], "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        for (c, r), capture in pairs:
            capture = capture[:len(capture) // (2 * c) * 2 * c]
            w.writeframes(capture if (c, r) == (channels, rate) else resample(capture, c, r, channels, rate))


if __name__ == "__main__":
    main(sys.argv[1:])
