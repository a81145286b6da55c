#!/usr/bin/env python3
"""Makes the reminder sounds that ship with Vellomir: short wave files
synthesised from sine partials, nothing recorded or taken from elsewhere.

    python3 tools/make_sounds.py [--out res/sounds] [--check]

The same script always writes the same bytes. --check remakes the files in
memory and fails when one on disk differs, so a hand edit cannot slip in.

Every file is PCM, 16-bit, mono, 22,050 Hz, the format every Windows version
plays through PlaySound, and at most two seconds long.
"""

import argparse
import io
import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 0.8  # of full scale, so that no sum of partials clips


def tone(length, partials, decay, attack=0.004):
    """length seconds of the partials [(frequency, amplitude)], each fading
    by exp(-t * decay * (1 + index / 2)) so that high partials die first,
    after a short linear attack that keeps the start from clicking."""
    n = int(length * RATE)
    out = [0.0] * n
    for index, (frequency, amplitude) in enumerate(partials):
        rate = decay * (1 + index / 2)
        step = 2 * math.pi * frequency / RATE
        for i in range(n):
            t = i / RATE
            out[i] += amplitude * math.exp(-t * rate) * math.sin(step * i)
    ramp = max(1, int(attack * RATE))
    for i in range(min(ramp, n)):
        out[i] *= i / ramp
    return out


def mix(length, pieces):
    """pieces: [(start seconds, samples)] laid over silence of length seconds."""
    out = [0.0] * int(length * RATE)
    for start, samples in pieces:
        at = int(start * RATE)
        for i, s in enumerate(samples[: len(out) - at]):
            out[at + i] += s
    return out


def fade_out(samples, seconds):
    n = min(len(samples), int(seconds * RATE))
    for i in range(n):
        samples[len(samples) - n + i] *= 1 - i / n
    return samples


def chime():
    """Two soft notes, E6 then C6, each with a quiet octave."""
    note = lambda f: tone(1.2, [(f, 1.0), (2 * f, 0.25), (3 * f, 0.08)], 3.0)
    return fade_out(mix(1.6, [(0.0, note(1318.5)), (0.32, note(1046.5))]), 0.1)


def bell():
    """One struck bell: the inharmonic partials of a small bell on A5."""
    f = 880.0
    partials = [(f, 1.0), (f * 2.0, 0.5), (f * 2.76, 0.35), (f * 5.40, 0.18), (f * 8.93, 0.08)]
    return fade_out(tone(2.0, partials, 2.2, attack=0.002), 0.15)


def soft_alarm():
    """Two groups of three gentle beeps, rising in loudness."""
    beep = lambda loudness: [s * loudness for s in tone(0.14, [(988.0, 1.0), (1976.0, 0.15)], 8.0, attack=0.01)]
    pieces = []
    for group in range(2):
        for k in range(3):
            pieces.append((group * 0.9 + k * 0.2, beep(0.55 + 0.15 * group + 0.05 * k)))
    return fade_out(mix(1.9, pieces), 0.05)


SOUNDS = {"Chime.wav": chime, "Bell.wav": bell, "Soft alarm.wav": soft_alarm}


def wave_bytes(samples):
    top = max(1e-9, max(abs(s) for s in samples))
    frames = b"".join(struct.pack("<h", int(round(s / top * PEAK * 32767))) for s in samples)
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    return buffer.getvalue()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(os.path.dirname(here), "res", "sounds"))
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    failed = False
    for name, make in SOUNDS.items():
        data = wave_bytes(make())
        path = os.path.join(args.out, name)
        if args.check:
            with open(path, "rb") as f:
                if f.read() != data:
                    print("%s differs from what the script makes" % path)
                    failed = True
            continue
        with open(path, "wb") as f:
            f.write(data)
        print("%s: %d bytes, %.2f s" % (path, len(data), (len(data) - 44) / 2 / RATE))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
