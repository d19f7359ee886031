#!/usr/bin/env python3
"""Sizes and speeds of pelorix-encode on real music, beside two flac anchors.

Builds a small corpus from music that Debian packages ship (the drascula-music
soundtrack, Ogg Vorbis at 44.1 kHz stereo, and the 22.05 kHz mono PCM loops of
chromium-bsu-data), or takes a folder of WAV files, and prints per file and
in total: seconds of audio, PCM bytes, our file size per coder and for auto
(the default level), the yardstick, flac -0 with one Rice parameter per 20 ms
frame and channels apart (the format's nearest relative), flac -5 (its
default) and flac -8, with ratios, and speeds in multiples of real time
measured as CPU time of one process (user + system): our encode (default
level, auto), and our decode beside flac -d on the flac -5 and -8 files, run
in turn in the same run, best of three, with flac's time over ours per file.

  bench/corpus.py --build build/native [--wav-dir DIR] [--seconds 60] [--work DIR]

Needs apt-get (or --wav-dir), dpkg-deb, sox and flac. Never part of the tests.
"""
import argparse
import glob
import os
import resource
import shutil
import subprocess
import sys

PACKAGES = {
    # package: (files inside it, tracks to take)
    "drascula-music": ("usr/share/scummvm/drascula/audio/track{}.ogg", [1, 3, 5, 8, 11, 14, 17, 20]),
    "chromium-bsu-data": ("usr/share/games/chromium-bsu/wav/music_{}.wav", ["game", "menu"]),
}


RUNS = 3   # decoder timings: best of this many


def run(args, **kwargs):
    return subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kwargs)


def cpu_seconds(args):
    """Runs args; returns the child's user + system CPU time."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    run(args)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def build_corpus(work, seconds):
    debs = os.path.join(work, "debs")
    tree = os.path.join(work, "tree")
    wavs = os.path.join(work, "wav")
    os.makedirs(debs, exist_ok=True)
    os.makedirs(wavs, exist_ok=True)
    for package, (pattern, tracks) in PACKAGES.items():
        if not glob.glob(os.path.join(debs, package + "_*.deb")):
            run(["apt-get", "download", package], cwd=debs)
        deb = sorted(glob.glob(os.path.join(debs, package + "_*.deb")))[-1]
        run(["dpkg-deb", "-x", deb, tree])
        for track in tracks:
            source = os.path.join(tree, pattern.format(track))
            name = "%s-%s.wav" % (package.split("-")[0], track)
            target = os.path.join(wavs, name)
            if not os.path.exists(target):
                trim = ["trim", "0", str(seconds)] if seconds > 0 else []
                run(["sox", source, "-b", "16", "-e", "signed-integer", target] + trim)
    return sorted(glob.glob(os.path.join(wavs, "*.wav")))


def wav_facts(path):
    """(seconds, PCM bytes, rate, channels) from sox's own reading."""
    out = subprocess.run(["soxi", "-r", path], capture_output=True, text=True, check=True).stdout
    rate = int(float(out))
    channels = int(subprocess.run(["soxi", "-c", path], capture_output=True, text=True, check=True).stdout)
    samples = int(subprocess.run(["soxi", "-s", path], capture_output=True, text=True, check=True).stdout)
    return samples / rate, samples * channels * 2, rate, channels


def measure(path, build, work):
    encode = os.path.join(build, "tools", "pelorix-encode")
    decode = os.path.join(build, "tools", "pelorix-decode")
    seconds, pcm, rate, channels = wav_facts(path)
    row = {"name": os.path.basename(path)[:-4], "seconds": seconds, "pcm": pcm}
    out = os.path.join(work, "out.pel")
    for coder in ("delta", "slope", "three-tap"):
        run([encode, "--quiet", "--coder", coder, path, out])
        row[coder] = os.path.getsize(out)
    row["yardstick"] = None
    run([encode, "--quiet", "--yardstick", path, out])
    row["yardstick"] = os.path.getsize(out)
    row["encode_cpu"] = cpu_seconds([encode, "--quiet", path, out])
    row["auto"] = os.path.getsize(out)
    decoded = os.path.join(work, "decoded.wav")
    run([decode, out, decoded])
    reference = subprocess.run(["sox", path, "-t", "raw", "-"], capture_output=True, check=True).stdout
    with open(decoded, "rb") as f:
        if f.read()[44:] != reference:
            sys.exit("%s: decoded PCM differs from the input" % path)
    block = rate // 50
    flacs = {level: os.path.join(work, "anchor%d.flac" % level) for level in (0, 5, 8)}
    run(["flac", "-s", "-f", "-0", "-b", str(block), "-r", "0", "--no-mid-side", "-o", flacs[0], path])
    for level in (5, 8):
        run(["flac", "-s", "-f", "-%d" % level, "-o", flacs[level], path])
    for level, flac in flacs.items():
        row["flac%d" % level] = os.path.getsize(flac)
    # Decoders side by side, in turn, best of three; the output is removed
    # before each run so that no run pays for freeing the last one's file.
    decoders = {
        "decode_cpu": [decode, out, decoded],
        "flac5_decode_cpu": ["flac", "-s", "-f", "-d", "-o", decoded, flacs[5]],
        "flac8_decode_cpu": ["flac", "-s", "-f", "-d", "-o", decoded, flacs[8]],
    }
    for key in decoders:
        row[key] = float("inf")
    for _ in range(RUNS):
        for key, args in decoders.items():
            if os.path.exists(decoded):
                os.remove(decoded)
            row[key] = min(row[key], cpu_seconds(args))
    return row


def speed(seconds, cpu):
    return "%.0f" % (seconds / cpu) if cpu > 0 else "-"


def ratio(numerator, denominator):
    return "%.2f" % (numerator / denominator) if denominator > 0 else "-"


def print_table(rows):
    head = ("file", "sec", "PCM", "delta", "slope", "3-tap", "auto", "yardstick", "auto/yard",
            "flac-0", "auto/f0", "flac-5", "auto/f5", "flac-8", "auto/f8", "enc x", "dec x",
            "f5-d x", "f8-d x", "f5-d/dec", "f8-d/dec")
    lines = [head]
    total = {k: 0 for k in ("seconds", "pcm", "delta", "slope", "three-tap", "auto", "yardstick", "flac0", "flac5",
                            "flac8", "encode_cpu", "decode_cpu", "flac5_decode_cpu", "flac8_decode_cpu")}
    for r in rows + [None]:
        if r is None:
            r = dict(total, name="TOTAL")
        else:
            for k in total:
                total[k] += r[k]
        lines.append((r["name"], "%.1f" % r["seconds"], str(r["pcm"]), str(r["delta"]), str(r["slope"]),
                      str(r["three-tap"]), str(r["auto"]), str(r["yardstick"]),
                      "%+.3f%%" % (100.0 * (r["auto"] / r["yardstick"] - 1)),
                      str(r["flac0"]), "%.4f" % (r["auto"] / r["flac0"]),
                      str(r["flac5"]), "%.4f" % (r["auto"] / r["flac5"]),
                      str(r["flac8"]), "%.4f" % (r["auto"] / r["flac8"]),
                      speed(r["seconds"], r["encode_cpu"]), speed(r["seconds"], r["decode_cpu"]),
                      speed(r["seconds"], r["flac5_decode_cpu"]), speed(r["seconds"], r["flac8_decode_cpu"]),
                      ratio(r["flac5_decode_cpu"], r["decode_cpu"]), ratio(r["flac8_decode_cpu"], r["decode_cpu"])))
    widths = [max(len(line[i]) for line in lines) for i in range(len(head))]
    for n, line in enumerate(lines):
        if n == 1 or n == len(lines) - 1:
            print("  ".join("-" * w for w in widths))
        print("  ".join(cell.rjust(w) if i else cell.ljust(w) for i, (cell, w) in enumerate(zip(line, widths))))
    print()
    print("sizes in bytes; auto/yard: how much larger the default level is than the yardstick;")
    print("auto/f0, auto/f5, auto/f8: our size over flac -0 -b <20 ms> -r 0 --no-mid-side, over flac -5 and -8;")
    print("speeds: seconds of audio per second of CPU time (user + system) of one whole process, decoders best of")
    print("%d run in turn: enc: pelorix-encode at its default level, dec: pelorix-decode, f5-d, f8-d: flac -d of" % RUNS)
    print("the flac -5 and -8 files, all writing WAV; f5-d/dec, f8-d/dec: flac's decoding CPU time over ours.")
    print("auto, all coders: %.3f bits per sample; PCM: 16" % (8.0 * total["auto"] / (total["pcm"] / 2)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True, help="native build folder holding tools/pelorix-encode")
    parser.add_argument("--wav-dir", help="measure these WAV files instead of building the corpus")
    parser.add_argument("--seconds", type=float, default=60, help="take the first N seconds of each track (0: all)")
    parser.add_argument("--work", default="/tmp/pelorix-corpus", help="downloads, the corpus and scratch files")
    args = parser.parse_args()
    for tool in ("sox", "soxi", "flac") + (() if args.wav_dir else ("apt-get", "dpkg-deb")):
        if shutil.which(tool) is None:
            sys.exit("needs %s" % tool)
    os.makedirs(args.work, exist_ok=True)
    if args.wav_dir:
        files = sorted(glob.glob(os.path.join(args.wav_dir, "*.wav")))
    else:
        files = build_corpus(args.work, args.seconds)
    if not files:
        sys.exit("no WAV files")
    rows = []
    for path in files:
        print("measuring %s ..." % os.path.basename(path), file=sys.stderr)
        rows.append(measure(path, args.build, args.work))
    print_table(rows)


if __name__ == "__main__":
    main()
