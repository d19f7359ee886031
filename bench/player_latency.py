#!/usr/bin/env python3
"""How soon Stop, Pause and a seek show in the audio PELORIX.exe hands to
waveOut, run by bench/player_wine.sh with the player started and a real-time
capture set up. A thread watches the capture files' sizes every millisecond;
the driver posts each command and says when, on the same clock. Prints
figures; asserts nothing.

  Stop, Pause: from the command to the capture's last growth.
  Resume: from the command to its first growth again.
  Seek: from the command to the first jumped frame in the capture, and how
  much audio was already queued between the capture's end at the command and
  the jump (the design plays the rest of the queued buffers first).
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


def frame_runs(clip, capture):
    """(from, to, clip_from) runs of the capture's whole frames: clip_from None
    for silence, -1 for a frame found nowhere in the clip."""
    size = clip.frame_bytes
    where = {}
    for j in range(len(clip.pcm) // size - 1, -1, -1):   # the first of equal frames wins
        where[clip.pcm[j * size:(j + 1) * size]] = j
    result = []
    for i in range(len(capture) // size):
        chunk = capture[i * size:(i + 1) * size]
        j = None if chunk.count(0) == size else where.get(chunk, -1)
        last = result[-1] if result else None
        if last and ((j is None and last[2] is None) or
                     (j is not None and j >= 0 and last[2] is not None and last[2] >= 0 and j == last[2] + i - last[0])):
            last[1] = i + 1
        else:
            result.append([i, i + 1, j])
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
    runs = frame_runs(clip, capture)
    cuts = [start for start, _, at in runs[1:] if at is not None]
    jumped, queued = [], []
    for sent, size in seeks:
        cut = next((c for c in cuts if c * clip.frame_bytes > size), None)
        if cut is None:
            continue
        reached = watcher.reached(cut * clip.frame_bytes + 1)
        jumped.append(None if reached is None else (reached - sent) * 1000)
        queued.append((cut * clip.frame_bytes - size) / rate * 1000)
    print(f"capture of the seeks (frames from, to, clip frame): {[tuple(r) for r in runs]}")

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
