#!/usr/bin/python3
"""Makes the program's two sounds: resources/shutter.wav and resources/self.wav.

Both are synthesised here (mono, 16-bit, 22050 Hz), so the output is the same on every run.
"""
import math
import random
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def write(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples))


def shutter():
    """Two clicks of a focal-plane shutter: opening and closing, each a decaying burst."""
    rnd = random.Random(20261209)
    n = int(RATE * 0.22)
    out = [0.0] * n
    for start, gain in ((0.0, 0.9), (0.075, 0.7)):
        s0 = int(start * RATE)
        for i in range(int(RATE * 0.05)):
            t = i / RATE
            env = math.exp(-t * 140)
            noise = rnd.uniform(-1, 1)
            thump = math.sin(2 * math.pi * 180 * t) * math.exp(-t * 60)
            if s0 + i < n:
                out[s0 + i] += gain * (0.7 * noise * env + 0.4 * thump)
    return out


def self_timer():
    """A soft two-tone beep for each second of the self-timer."""
    n = int(RATE * 0.16)
    out = []
    for i in range(n):
        t = i / RATE
        fade = min(1.0, i / (RATE * 0.005), (n - i) / (RATE * 0.02))
        out.append(0.45 * fade * (0.8 * math.sin(2 * math.pi * 1760 * t) + 0.2 * math.sin(2 * math.pi * 880 * t)))
    return out


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources"
    write(folder / "shutter.wav", shutter())
    write(folder / "self.wav", self_timer())


if __name__ == "__main__":
    main()
