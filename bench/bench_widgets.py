"""Cost of the waveform bars of a timeline strip.

A shot's narration (60 s at 48 kHz) is split into 20 segments of 150 bars, as
a strip of segment buttons draws it. Prints microseconds per segment for the
module's calc_audio_bar_heights and for the same rule written in numpy, with
the ratio, for int16 and float32 samples, contiguous and strided (one channel
of interleaved stereo), and the memory the call allocates.
"""
import os
import sys
import time
import tracemalloc

import numpy as np

from tazu import animation

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "python"))
from bar_reference import reference  # noqa: E402

RATE, SECONDS, SEGMENTS, BARS = 48000, 60, 20, 150


def per_segment(fn, data, repeat=3):
    span = SECONDS / SEGMENTS
    best = float("inf")
    for _ in range(repeat):
        t = time.perf_counter()
        for k in range(SEGMENTS):
            fn(data, RATE, k * span, (k + 1) * span, BARS)
        best = min(best, time.perf_counter() - t)
    return best / SEGMENTS * 1e6


def main():
    rng = np.random.default_rng(0)
    stereo = rng.uniform(-1, 1, (RATE * SECONDS, 2)).astype(np.float32)
    cases = {
        "float32": np.ascontiguousarray(stereo[:, 0]),
        "int16": (stereo[:, 0] * 32767).astype(np.int16),
        "float32 strided": stereo[:, 0],
        "int16 strided": (stereo * 32767).astype(np.int16)[:, 0],
    }
    print(f"{'samples':18}{'module µs':>12}{'numpy µs':>12}{'ratio':>8}{'alloc KB':>10}")
    for name, data in cases.items():
        ours = per_segment(animation.calc_audio_bar_heights, data)
        ref = per_segment(reference, data)
        tracemalloc.start()
        animation.calc_audio_bar_heights(data, RATE, 0, SECONDS, BARS)
        peak = tracemalloc.get_traced_memory()[1]
        tracemalloc.stop()
        print(f"{name:18}{ours:12.1f}{ref:12.1f}{ref / ours:8.1f}{peak / 1024:10.1f}")


if __name__ == "__main__":
    main()
