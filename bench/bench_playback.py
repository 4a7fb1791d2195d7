"""The layer player's own cost of 渲染到屏幕, per sprite and output frame.

Each sprite holds N change segments laid end to end (one second each, the
layer moving and turning) and is drawn at a moment that moves through the
shot, one frame at a time, as a host plays it. The platform underneath costs
nothing: icons, board and screen are stubs whose transforms and pastes do no
work, `是否存在` answers at once and `rotate_vector` hands its vector back, so
the figures are the module's own work (finding the segments, reading the
records, interpolating, writing the icon dict and making the calls).

Two runs: the search (the player as built), and the walk over every record
the way the plain description of the player reads (`literal_walk`). A last
table repeats the search with the platform's real `rotate_vector` and
`是否存在`, for reference.

Sprites of one run share one list of records (to save memory), but each has
its own mirror. The icon library holds one icon per sprite, and the icon the
sprites draw through comes last (the worst place in a real shot's library).

Run: .venv/bin/python bench/bench_playback.py [--quick]
"""
import os
import sys
import tempfile
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

from tazu import animation  # noqa: E402
from tazu.mix import 列表, 字典  # noqa: E402

SEGMENTS = (10, 100, 1000, 10000)
LAYER = os.path.join(tempfile.mkdtemp(prefix="tazu_bench_"), "layer.png")
SPRITES = (1, 10, 50, 200)


class StubScreen:
    适配比例 = 1

    def 粘贴(self, *a, **k):
        pass

    def 圆形(self, *a, **k):
        pass


class StubBoard:
    开发者模式 = False

    def __init__(self):
        self.屏幕 = StubScreen()

    def 调整新图标初始状态(self, *a, **k):
        pass

    def 快照图标(self, *a, **k):
        pass


class StubIcon:
    def __init__(self, 编号, 文件):
        self.编号, self.文件 = 编号, 文件

    def 更新内容(self, 开始时间, current_time):
        return True

    def 系统绘制(self, 屏幕):
        pass

    def 缩放(self, *a, **k):
        pass

    def 旋转(self, *a, **k):
        pass

    def 移动(self, *a, **k):
        pass


def build_records(board, n, number):
    """A sprite whose n segments move the layer along and turn it."""
    s = animation.图层精灵(画板=board, 编号=number, 文件=LAYER, 横坐标=0, 纵坐标=0)
    s.宽度 = s.高度 = 40
    s.图标字典 = 字典({"编号": number, "文件": LAYER})
    for i in range(n):
        s.处理视频(i + 1, 0, i + 1, 0, (i + 1) % 360, None, 1, 1.0, float(i), 40, 40,
                  None, 0, 1, LAYER, None, False)
        s.横坐标 = s.origin_x = i + 1
        s.旋转角度 = (i + 1) % 360
    return s.时间序列


def make_sprites(board, records, count):
    sprites = []
    for _ in range(count):
        s = animation.图层精灵(画板=board, 编号=1, 文件=LAYER, 当前时间=0)
        s.经过处理 = True
        s.时间序列 = records
        sprites.append(s)
    return sprites


def per_sprite_frame(sprites, library, n, literal, frames):
    screen = StubScreen()
    for s in sprites:
        s.渲染到屏幕(0.5, screen, library)  # builds the mirror
        s._segment_mirror.literal_walk = literal
    step = n / frames
    moments = [(i * step + 0.37) % n for i in range(frames)]
    start = time.perf_counter()
    for m in moments:
        for s in sprites:
            s.渲染到屏幕(m, screen, library)
    elapsed = time.perf_counter() - start
    return elapsed / (frames * len(sprites)) * 1e6


def table(title, literal, stub_platform, quick):
    print(f"\n{title}: µs per sprite-frame")
    print("segments " + "".join(f"{c:>10} spr" for c in SPRITES))
    saved = animation.rotate_vector, animation.是否存在
    if stub_platform:
        animation.rotate_vector = lambda v, deg: v
        animation.是否存在 = lambda path: True
    try:
        board = StubBoard()
        for n in SEGMENTS:
            records = build_records(board, n, 1)
            row = []
            for count in SPRITES:
                library = 列表([StubIcon(900 + k, LAYER + ".other") for k in range(count - 1)])
                library.添加(StubIcon(1, LAYER))  # the sprites' own icon comes last
                sprites = make_sprites(board, records, count)
                budget = 4000 if not literal else max(40, int(400000 / n))
                frames = max(5, int(budget / count)) if not quick else max(3, int(budget / count / 10))
                # Best of three: the machine is shared, the best run is the cost.
                row.append(min(per_sprite_frame(sprites, library, n, literal, frames)
                               for _ in range(3 if not literal else 1)))
            print(f"{n:>8} " + "".join(f"{v:>14.2f}" for v in row), flush=True)
    finally:
        animation.rotate_vector, animation.是否存在 = saved


def main():
    from PIL import Image

    Image.new("RGB", (40, 40), (200, 80, 40)).save(LAYER)
    quick = "--quick" in sys.argv
    table("Search (as built), stub platform", False, True, quick)
    table("Walk over every record, stub platform", True, True, quick)
    table("Search, real rotate_vector and 是否存在", False, False, quick)


if __name__ == "__main__":
    main()
