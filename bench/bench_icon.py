"""Cost of an icon's media work.

1. Constructing an icon from a 4000 × 3000 PNG: the first time the picture is
   quantised into the board's temporary folder (the optimisation path); the
   second time the quantised copy is found and loaded (the cached path).
2. `更新内容` on a 1280 × 720, 25 fps video played forward frame by frame: time
   per call, beside the same frames taken by seeking to every frame and
   converting it as a transposed array (a player that seeks each frame), and
   beside plain decoding, all on the same file in the same run.

Run: .venv/bin/python bench/bench_icon.py
"""
import os
import shutil
import statistics
import tempfile
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

import cv2  # noqa: E402
import numpy  # noqa: E402
import pygame  # noqa: E402
from PIL import Image  # noqa: E402

from tazu import animation  # noqa: E402
from tazu.host import 屏幕, 画板  # noqa: E402
from tazu.mix import 字典  # noqa: E402

FPS = 25
SECONDS = 8


def photo(path):
    # Smooth light and shade with grain, as a photograph has: a few MB as PNG.
    yy, xx = numpy.mgrid[0:3000, 0:4000].astype(numpy.float32)
    rng = numpy.random.default_rng(0)
    grain = rng.normal(0, 6, (3000, 4000)).astype(numpy.float32)
    r = 128 + 100 * numpy.sin(xx / 310) * numpy.cos(yy / 270) + grain
    g = 128 + 90 * numpy.cos((xx + yy) / 450) + grain
    b = 128 + 80 * numpy.sin(yy / 190) + grain
    rgb = numpy.clip(numpy.stack([r, g, b], axis=-1), 0, 255).astype(numpy.uint8)
    Image.fromarray(rgb).save(path)


def video(path, frames):
    writer = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"mp4v"), FPS, (1280, 720))
    yy, xx = numpy.mgrid[0:720, 0:1280]
    for i in range(frames):
        f = numpy.empty((720, 1280, 3), numpy.uint8)
        f[..., 0] = (xx // 2 + i * 3) % 256
        f[..., 1] = (yy // 2 + i * 2) % 256
        f[..., 2] = ((xx + yy) // 5 + i) % 256
        cv2.circle(f, (100 + i * 8 % 1080, 360), 90, (255, 255, 255), -1)
        cv2.putText(f, f"frame {i}", (40, 80), cv2.FONT_HERSHEY_SIMPLEX, 2, (0, 0, 0), 3)
        writer.write(f)
    writer.release()


def timed(fn):
    start = time.perf_counter()
    result = fn()
    return time.perf_counter() - start, result


def bench_picture(folder, Icon):
    path = os.path.join(folder, "photo.png")
    photo(path)
    print(f"picture: 4000 × 3000 PNG, {os.path.getsize(path) / 1e6:.1f} MB")
    board = 画板(屏幕(1280, 720), 临时文件夹=os.path.join(folder, "tmp"))
    info = 字典({"文件": path})
    first, icon = timed(lambda: Icon(info, board))
    assert os.path.dirname(icon.get_optimize_file(path)).endswith("optimize_png")
    again = [timed(lambda: Icon(info, board))[0] for _ in range(3)]
    print(f"  construct, optimisation path: {first * 1e3:8.0f} ms")
    print(f"  construct, cached path:       {statistics.median(again) * 1e3:8.0f} ms (median of 3)")


def bench_video(folder, Icon):
    frames = FPS * SECONDS
    path = os.path.join(folder, "clip.mp4")
    video(path, frames)
    print(f"video: 1280 × 720 mp4v, {frames} frames at {FPS} fps, {os.path.getsize(path) / 1e6:.1f} MB")
    board = 画板(屏幕(1280, 720), 临时文件夹=os.path.join(folder, "tmp"))
    icon = Icon(字典({"文件": path}), board, 系统=True)
    times = [i / FPS for i in range(frames)]

    icon.更新内容(0, 0)  # open and position outside the timing
    per_call = []
    for t in times[1:]:
        start = time.perf_counter()
        ok = icon.更新内容(0, t)
        per_call.append(time.perf_counter() - start)
        assert ok, t
        icon.image.get_at((0, 0))  # the picture is really there

    cap = cv2.VideoCapture(path)
    seeking = []
    for t in times[1:]:
        start = time.perf_counter()
        cap.set(cv2.CAP_PROP_POS_FRAMES, int(t * FPS))
        ok, frame = cap.read()
        rgb = cv2.cvtColor(frame, cv2.COLOR_BGR2RGB)
        pygame.surfarray.make_surface(numpy.transpose(rgb, (1, 0, 2)))
        seeking.append(time.perf_counter() - start)
    cap.release()

    cap = cv2.VideoCapture(path)
    decode = []
    for _ in times[1:]:
        start = time.perf_counter()
        cap.read()
        decode.append(time.perf_counter() - start)
    cap.release()

    forward = statistics.mean(per_call) * 1e3
    seek = statistics.mean(seeking) * 1e3
    print(f"  更新内容 forward, per frame:    {forward:6.2f} ms "
          f"(median {statistics.median(per_call) * 1e3:.2f}, max {max(per_call) * 1e3:.2f})")
    print(f"  seeking every frame, per frame: {seek:6.2f} ms")
    print(f"  decoding alone, per frame:      {statistics.mean(decode) * 1e3:6.2f} ms")
    print(f"  forward play is {seek / forward:.1f}× faster than seeking every frame")


def main():
    pygame.init()
    pygame.display.set_mode((64, 64))
    Icon = animation.图标
    folder = tempfile.mkdtemp(prefix="tazu-bench-icon-")
    try:
        bench_video(folder, Icon)
        bench_picture(folder, Icon)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
