"""Per-frame cost of the picture component's transforms, as the layer player uses them.

Each frame sets the origin, scales from it about a point and turns about a
pivot (then moves), with the scale and angle changing a little every frame.
The picture is made when `image` is first read (the draw). Prints milliseconds
per frame and per step for a few picture sizes; 读属性 is one read of nine
attributes after the picture exists.
"""
import os
import time

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

import pygame  # noqa: E402

from tazu.mix import 游戏组件  # noqa: E402


def picture(w, h):
    s = pygame.Surface((w, h), pygame.SRCALPHA)
    s.fill((200, 80, 40, 255))
    pygame.draw.circle(s, (20, 90, 200, 255), (w // 2, h // 2), min(w, h) // 3)
    return s


def run(size, frames=200):
    c = 游戏组件(picture(*size))
    c.移动(100, 100)
    costs = {"缩放": 0.0, "旋转": 0.0, "移动": 0.0, "出图": 0.0, "读属性": 0.0}
    for i in range(frames):
        t = i / frames
        c.origin_x, c.origin_y = 100, 100
        a = time.perf_counter()
        c.缩放(0.5 + t, 缩放中心=(150, 150), 初始=True)
        b = time.perf_counter()
        c.旋转(90 * t, 旋转轴位置=(150, 150))
        d = time.perf_counter()
        c.移动(100 + i % 7, 100)
        e = time.perf_counter()
        _ = c.image  # the draw: pixels are made here, once
        f = time.perf_counter()
        for _ in range(100):
            _ = (c.image, c.矩形, c.x, c.y, c.w, c.h, c.origin_x, c.scale_ratio, c.rotate_angle)
        g = time.perf_counter()
        costs["缩放"] += b - a
        costs["旋转"] += d - b
        costs["移动"] += e - d
        costs["出图"] += f - e
        costs["读属性"] += (g - f) / 100
    total = sum(v for k, v in costs.items() if k != "读属性")
    parts = ", ".join(f"{k} {v / frames * 1e3:.3f} ms" for k, v in costs.items())
    print(f"{size[0]}x{size[1]}: {total / frames * 1e3:.2f} ms/frame ({parts})")


if __name__ == "__main__":
    pygame.init()
    pygame.display.set_mode((64, 64))
    for size in ((64, 64), (400, 300), (1280, 720)):
        run(size)
