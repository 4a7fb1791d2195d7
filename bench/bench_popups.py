"""Cost of drawing the icon's pop-ups once per frame.

A full context menu (22 action rows and the title, fit ratio 1 and 2) and a
keyframe selector of 10 keyframes are drawn as the host does every frame.
Prints milliseconds per draw beside the cost of rendering every label afresh
with the same font, which is what a draw would cost if it did not keep them.
"""
import os
import time
from types import SimpleNamespace

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")

import pygame  # noqa: E402

from tazu import animation  # noqa: E402
from tazu.host import 屏幕  # noqa: E402

LABELS = ["修改动作", "编辑文本", "添加动画", "循环动画", "删除动画", "替换", "循环播放",
          "设置坐标", "设置比例", "导出", "上浮", "下浮", "组合", "取消组合", "导入模板",
          "融合", "复制", "镜像", "锁定", "解锁", "重置", "删除"]


def per_call(fn, n=300):
    for _ in range(20):
        fn()
    best = float("inf")
    for _ in range(3):
        t = time.perf_counter()
        for _ in range(n):
            fn()
        best = min(best, (time.perf_counter() - t) / n)
    return best * 1e3


def main():
    pygame.init()
    pygame.display.set_mode((16, 16))
    screen = 屏幕(2560, 1440)
    for ratio in (1, 2):
        menu = animation.右键菜单((100, 50), LABELS, "主角的方块图层", ratio)
        draw = per_call(lambda menu=menu: menu.绘制(screen))
        render = per_call(lambda menu=menu: [menu.字体.render(t, True, (0, 0, 0))
                                   for t in [menu.图标别名] + LABELS])
        print(f"context menu, fit ratio {ratio}: {draw:.3f} ms per draw; "
              f"rendering its labels alone {render:.3f} ms ({render / draw:.1f}x)")
    icon = SimpleNamespace(横坐标=300, 纵坐标=100,
                           画板=SimpleNamespace(实际画布宽度=2560, 实际画布高度=1440))
    options = [str(i) for i in range(10)] + ["当前"]
    selector = animation.图标状态(icon, options, None)
    draw = per_call(lambda: selector.绘制(screen))
    render = per_call(lambda: [selector.字体.render(t, True, (0, 0, 0)) for t in options])
    print(f"keyframe selector, 11 rows: {draw:.3f} ms per draw; "
          f"rendering its labels alone {render:.3f} ms ({render / draw:.1f}x)")


if __name__ == "__main__":
    main()
