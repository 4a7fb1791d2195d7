"""Show the editing widgets in a window: a strip of segment buttons over spoken
narration, or the text and font dialog with its colour picker open.

    python docs/screenshots/widgets_demo.py strip [--frames N]
    python docs/screenshots/widgets_demo.py font  [--frames N]

Without --frames the window stays open until it is closed. The strip speaks a
line with espeak-ng, splits it over five frames by their time weights and draws
each frame's waveform bars; right-click a frame near an edge to stitch it to its
neighbour, elsewhere to cut it (at most once every 3 seconds).
"""
from __future__ import annotations

import argparse
import os
import sys
import tempfile

import pygame

LINE = "从前有一座山，山里有一座庙，庙里有个老和尚正在给小和尚讲故事。"
WEIGHTS = [1.0, 2.0, 1.5, 1.0, 2.5]


def _strip(board, screen, font):
    from tazu import animation, mix
    from tazu.host import 键的权重

    wav = os.path.join(tempfile.mkdtemp(prefix="tazu-widgets-"), "旁白.wav")
    mix.朗读(LINE, 保存位置=wav)
    audio = mix.抓取音频(wav)
    samples, rate = audio.样本(), audio.采样率
    board.设置帧([f"镜头1_动作{i + 1}_{w:g}" for i, w in enumerate(WEIGHTS)])

    buttons = []

    def rebuild(_board=None):
        buttons.clear()
        keys = list(board.帧)
        weights = [键的权重(k) for k in keys]
        total = sum(weights)
        left, width, top, height = 40, 1200, 300, 120
        t = 0.0
        x = left
        for i, (key, w) in enumerate(zip(keys, weights)):
            span = width * w / total
            rect = mix.游戏矩形(round(x), round(x + span), top, top + height)
            start, end = t, t + audio.时长 * w / total
            b = animation.联合按钮(board, rect, f"{key.split('_')[-2]}  ×{w:g}", None, font,
                                序号=i, 权重=w, 信息=key)
            count = max(1, int(rect.宽) // 5)
            bars = animation.calc_audio_bar_heights(samples, rate, start, end, count)
            if bars:
                b.设置波形图(bars, count)
            buttons.append(b)
            x += span
            t = end

    rebuild()
    board.帧变化回调 = rebuild
    buttons[1].选中()
    buttons[3].鼠标按下(_Event(buttons[3].矩形.左 + 20, 340))

    title = mix.游戏字体(大小=28).渲染(f"旁白：{LINE}")
    info = mix.游戏字体(大小=20, 颜色=(170, 170, 170)).渲染(
        f"espeak-ng cmn · {audio.时长:.2f} 秒 · {rate} Hz · 5 个动作帧，宽度按时间权重")

    def draw():
        screen.screen.fill((40, 44, 52))
        screen.粘贴(title, pygame.Rect(40, 180, 0, 0))
        screen.粘贴(info, pygame.Rect(40, 230, 0, 0))
        for b in buttons:
            b.绘制()

    def handle(e):
        from tazu.host import 事件

        if e.type == pygame.MOUSEBUTTONDOWN:
            for b in buttons:
                b.鼠标按下(事件.来自(e))
        elif e.type == pygame.MOUSEBUTTONUP:
            for b in list(buttons):
                b.鼠标弹起(事件.来自(e))

    return draw, handle


class _Event:
    def __init__(self, x, y, button=1):
        self.坐标 = (x, y)
        self.按钮 = button


class _Picked:
    """The picker's event the way the dialog reads it: 事件.event.colour."""

    def __init__(self, colour, event=None):
        import pygame_gui

        self.event = event or pygame.event.Event(pygame_gui.UI_COLOUR_PICKER_COLOUR_PICKED, colour=colour)


def _font_dialog(board, screen, font):
    from tazu import animation

    results = []
    dialog = animation.字体输入框(screen, lambda *a: results.append(a), 40, 60)
    dialog.展现("床前明月光，疑是地上霜。", {"图层": "标题"})
    dialog.字体框.设置文本("文泉驿微米黑")
    dialog.字体大小框.设置文本("48")
    # A colour chosen earlier, then the picker opened again: it starts from it.
    dialog.开启选色()
    dialog.colour_picker.kill()
    dialog.关闭调色板(_Picked(pygame.Color(230, 120, 40)))
    dialog.开启选色()

    def draw():
        screen.screen.fill((40, 44, 52))

    def handle(e):
        import pygame_gui

        if e.type == pygame_gui.UI_COLOUR_PICKER_COLOUR_PICKED:
            dialog.关闭调色板(_Picked(e.colour, e))

    return draw, handle


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("what", choices=["strip", "font"])
    parser.add_argument("--frames", type=int, default=0, help="quit after this many frames")
    args = parser.parse_args(argv)

    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python"))
    pygame.init()
    from tazu import mix
    from tazu.host import 屏幕, 画板

    screen = 屏幕.窗口(1280, 720, "tazu widgets")
    screen.ui_manager = mix.创建界面管理器((1280, 720))
    board = 画板(screen)
    font = mix.游戏字体(大小=22)
    draw, handle = (_strip if args.what == "strip" else _font_dialog)(board, screen, font)

    clock = pygame.time.Clock()
    frame = 0
    running = True
    while running:
        dt = clock.tick(30) / 1000
        for e in pygame.event.get():
            if e.type == pygame.QUIT:
                running = False
            screen.ui_manager.process_events(e)
            handle(e)
        draw()
        screen.更新界面(dt)
        screen.显示()
        frame += 1
        if args.frames and frame >= args.frames:
            running = False
    pygame.quit()


if __name__ == "__main__":
    main()
