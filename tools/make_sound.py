#!/usr/bin/env python3
"""Writes the program's sounds, 22050 Hz, 16-bit mono PCM: the alert, a short two-tone beep, or with
--back the cue that the APM is back, a shorter glide upwards that cannot be taken for the alert.

Usage: make_sound.py OUT.wav [--seconds S] [--back]   (default 0.3 s, 0.15 s with --back; tests ask for longer)
"""
import argparse
import math
import struct
import wave

RATE = 22050
TONES = (880.0, 1318.5)  # A5 then E6: a fifth apart, clear over game noise without being shrill
GLIDE = (660.0, 1760.0)  # the back cue sweeps from E5 to A6: rising, as the APM it tells of
VOLUME = 0.45
FADE = 0.008  # seconds of fade at each tone's edges, so that no click is heard


def samples(seconds):
    total = max(1, int(RATE * seconds))
    half = total // 2
    fade = int(RATE * FADE)
    for i in range(total):
        first = i < half
        start, length = (0, half) if first else (half, total - half)
        pos = i - start
        edge = min(pos, length - 1 - pos)
        envelope = min(1.0, edge / fade) if fade else 1.0
        tone = TONES[0] if first else TONES[1]
        yield int(32767 * VOLUME * envelope * math.sin(2 * math.pi * tone * pos / RATE))


def glide(seconds):
    total = max(1, int(RATE * seconds))
    fade = int(RATE * FADE)
    phase = 0.0
    for i in range(total):
        edge = min(i, total - 1 - i)
        envelope = min(1.0, edge / fade) if fade else 1.0
        phase += 2 * math.pi * (GLIDE[0] + (GLIDE[1] - GLIDE[0]) * i / total) / RATE
        yield int(32767 * VOLUME * envelope * math.sin(phase))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--seconds", type=float)
    parser.add_argument("--back", action="store_true")
    args = parser.parse_args()
    if args.seconds is None:
        args.seconds = 0.15 if args.back else 0.3
    if not 0 < args.seconds <= 60:
        parser.error("--seconds must be above 0 and at most 60")
    data = b"".join(struct.pack("<h", s) for s in (glide if args.back else samples)(args.seconds))
    with wave.open(args.out, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(data)


if __name__ == "__main__":
    main()
