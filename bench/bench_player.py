"""The layer player's cost per sprite-frame on the reference platform.

A layer is shaped the way a host shapes a shot (one keyframe state record per
action frame, through 检测是否终结), so its change segments are the records
the player builds, one second each. It is then drawn at moments that jump
from segment to segment: each frame lands in another segment than the frame
before, so every frame reads a record it has not just read (the slow case of
playback: scrubbing, or many layers each in its own segment).

The platform is the reference one: `tazu.mix`'s `字典`, `列表`,
`rotate_vector` and `是否存在` (a file check on every drawn segment). Only the
host's side is stubbed (board, screen and the icons, which do no pixel
work), so the figures are the player's own work plus the platform calls it
makes. Garbage left by the set-up is collected before timing; the figure is
the thread's CPU time, best of three.

Two layers: a plain one that moves, turns and scales, and one inside a
parent group that moves and turns with it.

Run: .venv/bin/python bench/bench_player.py [--quick]
"""
import gc
import os
import sys
import tempfile
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

from bench_playback import StubBoard, StubIcon, StubScreen  # noqa: E402
from tazu import animation  # noqa: E402
from tazu.mix import 列表, 字典  # noqa: E402

SEGMENTS = (100, 1000, 10000)


def record(path, i, grouped):
    """Frame i's state: the layer moves right, turns and breathes in scale."""
    angle = (i * 7) % 360
    scale = 1 + (i % 5) / 10
    rec = {"编号": 1, "文件": path, "横坐标": 10 + i % 500, "纵坐标": 20 + i % 300,
           "origin_x": 10 + i % 500, "origin_y": 20 + i % 300, "宽度": 40 * scale,
           "高度": 30 * scale, "缩放比例": scale, "旋转中心": "", "旋转角度": angle,
           "相对坐标": None, "原始缩放比例": 1, "大盘矩形": None, "大盘旋转角度": 0,
           "大盘缩放比例": 1, "模式": 0, "循环": True, "循环次数": 1}
    if grouped:
        left = 5 + i % 400
        rec.update({"相对坐标": (12.5, -4.0), "大盘矩形": (left, 15, 215, left + 300),
                    "大盘旋转角度": angle, "大盘缩放比例": scale, "缩放比例": scale})
    return 字典(rec)


def shaped_sprite(board, path, n, grouped):
    first = record(path, 0, grouped)
    sprite = animation.图层精灵(
        画板=board, 图标字典=first, 编号=1, 文件=path, 横坐标=first.获取("横坐标"),
        纵坐标=first.获取("纵坐标"), 缩放比例=first.获取("缩放比例"), 单份时长=1.0, 当帧时长=0,
        旋转中心=first.获取("旋转中心"), 旋转角度=first.获取("旋转角度"))
    # The first frame is the starting pose and takes no time; each later one a second.
    for i in range(n + 1):
        sprite.检测是否终结(f"镜头_动作_{i}", 列表([record(path, i, grouped)]), 0 if i == 0 else 1.0)
    assert len(sprite.时间序列) == n
    return sprite


def per_sprite_frame(sprite, library, n, frames):
    screen = StubScreen()
    # A stride that is prime to n: consecutive frames are far apart on the clock.
    stride = 7919 if n > 7919 else 37
    moments = [(i * stride) % n + 0.37 for i in range(frames)]
    sprite.渲染到屏幕(0.5, screen, library)
    gc.collect()
    # The thread's CPU time: on a shared machine the wall clock also counts the
    # time other processes held the core.
    start = time.thread_time()
    for m in moments:
        sprite.渲染到屏幕(m, screen, library)
    return (time.thread_time() - start) / frames * 1e6


def main():
    from PIL import Image

    quick = "--quick" in sys.argv
    path = os.path.join(tempfile.mkdtemp(prefix="tazu_bench_"), "layer.png")
    Image.new("RGB", (40, 30), (200, 80, 40)).save(path)
    board = StubBoard()
    frames = 2000 if quick else 20000
    print("µs of CPU per sprite-frame, consecutive frames in different segments")
    print(f"{'segments':>8} {'plain':>10} {'grouped':>10}")
    for n in SEGMENTS:
        row = []
        for grouped in (False, True):
            sprite = shaped_sprite(board, path, n, grouped)
            library = 列表([StubIcon(1, path)])
            # Best of three: the machine is shared, the best run is the cost.
            row.append(min(per_sprite_frame(sprite, library, n, frames) for _ in range(3)))
            del sprite, library
        print(f"{n:>8} {row[0]:>10.2f} {row[1]:>10.2f}", flush=True)


if __name__ == "__main__":
    main()
