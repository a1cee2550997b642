#!/usr/bin/env python3
"""Synthesises the tab bar's switch sound and writes it as a WAV file.

    make_click.py OUT.wav

A soft click: a short burst of two detuned partials (a wooden "tock") under a
fast exponential decay, with a few samples of fade-in so that the first sample
does not pop. 22,050 Hz, 16-bit mono PCM, about 60 ms: small enough to play at
once from the handheld's storage. The output is the same byte for byte on every
run (no randomness, no timestamps).
"""
import math
import struct
import sys
import wave

RATE = 22050
LENGTH_S = 0.06
PARTIALS = ((1850.0, 0.62), (2960.0, 0.28), (740.0, 0.10))  # frequency (Hz), weight
DECAY_S = 0.011     # time for the level to fall to 1/e
ATTACK_S = 0.0015   # fade-in against a click at the first sample
PEAK = 0.55         # of full scale: a click, not a shout


def samples():
    n = int(RATE * LENGTH_S)
    out = []
    for i in range(n):
        t = i / RATE
        level = math.exp(-t / DECAY_S) * min(1.0, t / ATTACK_S)
        # The last few milliseconds go smoothly to silence.
        tail = (n - i) / (RATE * 0.004)
        level *= min(1.0, tail)
        v = sum(w * math.sin(2 * math.pi * f * t) for f, w in PARTIALS)
        out.append(int(round(max(-1.0, min(1.0, v * level * PEAK)) * 32767)))
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_click.py OUT.wav")
    data = b"".join(struct.pack("<h", s) for s in samples())
    with wave.open(sys.argv[1], "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


if __name__ == "__main__":
    main()
