#!/usr/bin/env python3
"""How soon Stop, Pause and a seek show in the audio PELORIX.exe hands to
waveOut, run by bench/player_wine.sh with the player started and a real-time
capture set up. A thread watches the capture files' sizes every millisecond;
the driver posts each command and says when, on the same clock. Prints
figures; asserts nothing.

  Stop, Pause: from the command to the capture's last growth.
  Resume: from the command to its first growth again.
  Seek: from the command to the jump in the capture, and how much audio was
  still played between the capture's end at the command and the jump.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import threading
import time

import wave

FramesPerBuffer = 25


class Clip:
    """A decoded clip (16-bit PCM WAV) cut in the player's frames of 1/50 s."""

    def __init__(self, path):
        with wave.open(path, "rb") as w:
            self.rate, self.channels = w.getframerate(), w.getnchannels()
            self.pcm = w.readframes(w.getnframes())
        self.frame_bytes = self.rate * self.channels // 50 * 2


def common_length(a, i, b, j):
    """How many bytes a[i:] and b[j:] have in common from their starts."""
    n, step = 0, 1 << 16
    while step:
        while a[i + n:i + n + step] == b[j + n:j + n + step] and i + n + step <= len(a) and j + n + step <= len(b):
            n += step
        step >>= 1
    return n


def audio_runs(clip, capture):
    """(from, to, clip_from) byte runs of the capture, whole sample frames: clip_from None for silence,
    -1 for audio found nowhere in the clip. A reset cuts the audio at any sample frame, so runs are
    found by content, not on the player's frame grid."""
    pair = clip.channels * 2
    zero = bytes(pair)
    result, i = [], 0
    while i + pair <= len(capture):
        if capture[i:i + pair] == zero:
            j = i
            while j + pair <= len(capture) and capture[j:j + pair] == zero:
                j += pair
            result.append([i, j, None])
            i = j
            continue
        at = clip.pcm.find(capture[i:i + 32])   # noise: 32 bytes are found once
        n = common_length(capture, i, clip.pcm, at) // pair * pair if at >= 0 else 0
        if n == 0:
            if result and result[-1][2] == -1:
                result[-1][1] = i + pair
            else:
                result.append([i, i + pair, -1])
            i += pair
            continue
        result.append([i, i + n, at])
        i += n
    return result


class Watcher(threading.Thread):
    """(time, size) of one capture file at every change."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path, self.changes, self.running = path, [], True

    def run(self):
        last = -1
        while self.running:
            try:
                size = os.stat(self.path).st_size
            except FileNotFoundError:
                size = 0
            if size != last:
                self.changes.append((time.time(), size))
                last = size
            time.sleep(0.001)

    def size_at(self, moment):
        return max([s for t, s in self.changes if t <= moment], default=0)

    def last_growth_after(self, moment):
        return max((t for t, _ in self.changes if t > moment), default=None)

    def first_growth_after(self, moment):
        return min((t for t, _ in self.changes if t > moment), default=None)

    def reached(self, size):
        return min((t for t, s in self.changes if s >= size), default=None)

    def stop(self):
        self.running = False
        self.join()


class Player:
    def __init__(self, wine, driver):
        self.wine, self.driver = wine, driver

    def call(self, *args):
        return subprocess.run([self.wine, self.driver, *args], check=True, capture_output=True, text=True).stdout

    def stamped(self, command):
        return int(self.call("stamped", str(command))) / 1e6

    def idle(self, idle_text, seconds):
        end = time.time() + seconds
        while time.time() < end:
            if int(self.call("state", "1")) & 4 == 0 and self.call("text", "21").strip() == idle_text:
                return True
            time.sleep(0.05)
        return False


def capture_name(directory, opening):
    return os.path.join(directory, "out.raw" + ("" if opening == 0 else f".{opening:04d}"))


def wait_grown(watcher, nbytes, seconds=10):
    end = time.time() + seconds
    start = watcher.size_at(time.time())
    while time.time() < end and watcher.size_at(time.time()) < start + nbytes:
        time.sleep(0.005)


def show(label, values, unit="ms"):
    values = [v for v in values if v is not None]
    if not values:
        print(f"{label:44s} no measurement")
        return
    print(f"{label:44s} median {statistics.median(values):6.0f} {unit}, "
          f"range {min(values):.0f} to {max(values):.0f} ({len(values)} runs)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--captures", required=True, help="folder of out.raw, out.raw.0001, ...")
    parser.add_argument("--clip", required=True, help="the decoded clip the Playlist plays, a WAV file")
    parser.add_argument("--idle-text", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    clip = Clip(args.clip)
    rate = clip.rate * clip.channels * 2
    buffer_ms = FramesPerBuffer * 20
    player = Player(args.wine, args.driver)
    random.seed(1)
    opening = 0

    def play():
        nonlocal opening
        watcher = Watcher(capture_name(args.captures, opening))
        opening += 1
        watcher.start()
        player.call("send", "1")
        wait_grown(watcher, rate)   # past the start-up: one second of audio
        return watcher

    def stop(watcher):
        player.call("send", "2")
        player.idle(args.idle_text, 5)
        time.sleep(0.1)
        watcher.stop()

    # Stop at a random moment within a buffer
    stops = []
    for _ in range(args.runs):
        watcher = play()
        time.sleep(random.uniform(0, buffer_ms / 1000))
        sent = player.stamped(2)
        player.idle(args.idle_text, 5)
        time.sleep(0.2)
        watcher.stop()
        last = watcher.last_growth_after(sent)
        stops.append(0 if last is None else (last - sent) * 1000)

    # Pause and resume, several times in one playing
    pauses, resumes = [], []
    watcher = play()
    for _ in range(args.runs):
        time.sleep(random.uniform(0.2, 0.2 + buffer_ms / 1000))
        sent = player.stamped(15)
        time.sleep(0.6)
        last = watcher.last_growth_after(sent)
        pauses.append(0 if last is None else (last - sent) * 1000)
        sent = player.stamped(15)
        time.sleep(0.3)
        first = watcher.first_growth_after(sent)
        resumes.append(None if first is None else (first - sent) * 1000)
    stop(watcher)

    # Seeks forward and back by 15 s in one playing
    watcher = play()
    seeks = []
    for command in [17, 13, 17, 13, 17][:max(args.runs, 1)]:
        time.sleep(random.uniform(0.5, 0.5 + buffer_ms / 1000))
        sent = player.stamped(command)
        seeks.append((sent, watcher.size_at(sent)))
        wait_grown(watcher, rate * 3 // 2)
    stop(watcher)
    with open(watcher.path, "rb") as f:
        capture = f.read()
    runs = audio_runs(clip, capture)
    # A jump: audio that does not go on from the audio before it, or the silence just before such audio.
    cuts, previous_end = [], None
    for k, (start, end, at) in enumerate(runs):
        if at is None or at < 0:
            continue
        if previous_end is not None and at != previous_end:
            gap = runs[k - 1]
            cuts.append(gap[0] if gap[2] is None else start)
        previous_end = at + end - start
    jumped, queued = [], []
    for sent, size in seeks:
        cut = next((c for c in cuts if c > size), None)
        if cut is None:
            continue
        reached = watcher.reached(cut + 1)
        jumped.append(None if reached is None else (reached - sent) * 1000)
        queued.append((cut - size) / rate * 1000)
    fb = clip.frame_bytes
    print("capture of the seeks (frames from, to, clip frame):",
          [(round(a / fb, 1), round(b / fb, 1), None if c is None else -1 if c < 0 else round(c / fb, 1))
           for a, b, c in runs])

    steps = [(b[0] - a[0]) * 1000 for a, b in zip(watcher.changes, watcher.changes[1:])]
    print(f"buffers of {FramesPerBuffer} frames = {buffer_ms} ms; the playback thread polls every 40 ms; "
          f"the capture grows in steps {statistics.median(steps):.0f} ms apart (median)")
    show("Stop: command to the capture's last growth", stops)
    show("Pause: command to the capture's last growth", pauses)
    show("Resume (Pause again): command to growth", resumes)
    show("Seek 15 s: command to the jump in the capture", jumped)
    show("  of which audio queued ahead of the jump", queued)
    show("  beyond the queued audio", [j - q for j, q in zip(jumped, queued) if j is not None])
    return 0


if __name__ == "__main__":
    sys.exit(main())
