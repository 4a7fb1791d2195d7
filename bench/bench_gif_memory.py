"""Memory and time of playing a big animated GIF through an icon.

A 270-frame 720 × 528 GIF (made here, a moving gradient with a bouncing disc)
is played forward by `更新内容` at 25 calls a second of GIF time, the way the
layer player calls it, twice over. Per pass: time per call, time per new GIF
frame, and how much the process's resident memory grew (decoded frames are
pygame surfaces, which Python's own allocator does not see).

Run: .venv/bin/python bench/bench_gif_memory.py [--frames N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

import numpy  # noqa: E402
import pygame  # noqa: E402
from PIL import Image  # noqa: E402

from tazu import animation  # noqa: E402
from tazu.host import 屏幕, 画板  # noqa: E402
from tazu.mix import 字典  # noqa: E402

W, H = 720, 528
CALLS_PER_SECOND = 25


def make_gif(path, frames):
    # Palette frames share one palette, so saving needs no colour reduction.
    palette = [c for i in range(256) for c in (i, (i * 3) % 256, 255 - i)]
    yy, xx = numpy.mgrid[0:H, 0:W]
    images = []
    for i in range(frames):
        index = ((xx // 3 + yy // 5 + i * 4) % 200).astype(numpy.uint8)
        cx, cy = 60 + (i * 9) % (W - 120), 60 + abs((i * 7) % (2 * (H - 120)) - (H - 120))
        index[(xx - cx) ** 2 + (yy - cy) ** 2 < 50**2] = 250
        image = Image.fromarray(index, "P")
        image.putpalette(palette)
        images.append(image)
    images[0].save(path, save_all=True, append_images=images[1:], duration=100, loop=0)


def resident_mb(field="VmRSS"):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) / 1024
    return float("nan")


def play(icon, frames):
    calls = int(frames / 10 * CALLS_PER_SECOND)
    times = []
    start_mb = resident_mb()
    for k in range(calls):
        t = k / CALLS_PER_SECOND
        started = time.perf_counter()
        icon.更新内容(0, t)
        times.append(time.perf_counter() - started)
    return {
        "calls": calls,
        "ms_per_call": statistics.fmean(times) * 1000,
        "ms_per_frame": sum(times) * 1000 / frames,
        "grew_mb": resident_mb() - start_mb,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=270)
    parser.add_argument("--make", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.make:
        make_gif(args.make, args.frames)
        return
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "big.gif")
        started = time.perf_counter()
        # Made in another process, so the memory it used does not hide what playing takes.
        subprocess.run([sys.executable, __file__, "--frames", str(args.frames), "--make", path],
                       check=True)
        print(f"{args.frames} frames of {W}×{H}: {os.path.getsize(path) / 1e6:.1f} MB GIF, "
              f"made in {time.perf_counter() - started:.1f} s")
        pygame.init()
        pygame.display.set_mode((1, 1))
        board = 画板(屏幕(1280, 720), 临时文件夹=os.path.join(tmp, "tmp"))
        before = resident_mb()
        icon = animation.图标(字典({"文件": path}), board, 系统=True)
        print(f"icon made: resident memory {resident_mb() - before:+.0f} MB")
        for name in ("first pass", "second pass"):
            r = play(icon, args.frames)
            print(f"{name}: {r['calls']} calls, {r['ms_per_call']:.2f} ms per call, "
                  f"{r['ms_per_frame']:.2f} ms per GIF frame, resident memory "
                  f"{r['grew_mb']:+.0f} MB")
        print(f"resident memory over the start: {resident_mb() - before:+.0f} MB now, "
              f"{resident_mb('VmHWM') - before:+.0f} MB at the peak")


if __name__ == "__main__":
    main()
