#!/usr/bin/env python3
"""Synthesises the program's two sounds as 16-bit mono PCM wave files.

  ui/sounds/MyWave.wav  the click played on every press on the board
  data/move.wav         the sound of a piece set down after a move

Both are short, quiet and deterministic (a fixed noise seed), so running the
script again gives the same bytes.  Usage: make_sounds.py [REPO_ROOT]
"""
import math
import random
import struct
import sys
from pathlib import Path

RATE = 22050


def wave_bytes(samples):
    pcm = b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVE"
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    return header + fmt + b"data" + struct.pack("<I", len(pcm)) + pcm


def fade_edges(samples, ms=1.5):
    n = int(RATE * ms / 1000)
    for i in range(min(n, len(samples))):
        samples[i] *= i / n
        samples[-1 - i] *= i / n
    return samples


def click():
    # A dry wooden tick: two damped partials, 30 ms.
    out = []
    for i in range(int(RATE * 0.030)):
        t = i / RATE
        env = math.exp(-t / 0.004)
        out.append(0.30 * env * (math.sin(2 * math.pi * 2100 * t) + 0.6 * math.sin(2 * math.pi * 1150 * t)) / 1.6)
    return fade_edges(out)


def piece_down():
    # A piece set on a wooden board: a soft low knock under a short filtered
    # noise burst, 140 ms.
    rng = random.Random(1905)
    out = []
    low = 0.0
    for i in range(int(RATE * 0.140)):
        t = i / RATE
        low += 0.35 * (rng.uniform(-1, 1) - low)  # one-pole low-pass noise
        knock = math.exp(-t / 0.018) * (math.sin(2 * math.pi * 180 * t) + 0.5 * math.sin(2 * math.pi * 410 * t))
        tap = math.exp(-t / 0.006) * low
        out.append(0.22 * knock + 0.30 * tap)
    return fade_edges(out)


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2]
    (root / "ui/sounds/MyWave.wav").write_bytes(wave_bytes(click()))
    (root / "data/move.wav").write_bytes(wave_bytes(piece_down()))


if __name__ == "__main__":
    main()
