#!/usr/bin/env python3
"""Makes the two price-alert chimes that come with Tickora:

  chimes.wav     the higher chime, played when a sell target is reached
  chimesRow.wav  the lower chime, played when a buy target is reached

Each is a two-note bell (ding-dong) of about 0.6 s: every note is a few partials with an
exponential decay and a short attack, so it rings like a small bell instead of beeping.
22050 Hz, mono, 16-bit PCM. Only the standard library is used and the output is the same
on every run, so the committed files can be rebuilt and compared.

Usage: tools/make-chimes.py [output folder]   (default: src/platform/supplied)
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
LENGTH = 0.6          # seconds
SECOND_NOTE_AT = 0.18  # seconds after the first
# Partials of a small bell: (multiple of the note's frequency, relative loudness, decay per second)
PARTIALS = [(1.0, 1.0, 6.0), (2.0, 0.45, 9.0), (3.01, 0.22, 13.0), (4.2, 0.10, 18.0)]
ATTACK = 0.004        # seconds of fade-in, so the note starts without a click
FADE_OUT = 0.05       # seconds of fade-out at the very end
PEAK = 0.7            # of full scale


def note(t, frequency):
    if t < 0:
        return 0.0
    value = 0.0
    for multiple, loudness, decay in PARTIALS:
        value += loudness * math.exp(-decay * t) * math.sin(2 * math.pi * frequency * multiple * t)
    return value * min(1.0, t / ATTACK)


def chime(first, second):
    count = int(RATE * LENGTH)
    samples = []
    for i in range(count):
        t = i / RATE
        value = note(t, first) + 0.9 * note(t - SECOND_NOTE_AT, second)
        remaining = LENGTH - t
        if remaining < FADE_OUT:
            value *= remaining / FADE_OUT
        samples.append(value)
    scale = PEAK / max(abs(v) for v in samples)
    return [round(v * scale * 32767) for v in samples]


def write(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", s) for s in samples))
    print(f"{path}: {len(samples)} samples")


def main(folder):
    # Sell target: E6 then C6. Buy target: the same fall an octave and a fifth lower, A4 then F4.
    write(os.path.join(folder, "chimes.wav"), chime(1318.51, 1046.50))
    write(os.path.join(folder, "chimesRow.wav"), chime(440.00, 349.23))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src", "platform", "supplied"))
