"""Open the reference board in a window: `python -m tazu.host [pictures...]`.

Without pictures a small sample scene is made. Drag to move, right-drag to
turn, wheel to scale, arrows to nudge, shift-click to multi-select, click twice
for the context menu. 编辑文本 in a text layer's menu opens the text dialog.
The strip at the bottom shows the frames: click one to show it, right-click
inside to cut it there, near an edge to stitch. --screenshot saves the window
after --frames frames and quits, which is how the board is checked under Xvfb;
--edit-text starts with the sample text layer's dialog open.
"""
from __future__ import annotations

import argparse
import os
import sys
import tempfile

import pygame


def _sample_pictures(folder):
    from PIL import Image, ImageDraw

    os.makedirs(folder, exist_ok=True)
    paths = []
    gradient = Image.new("RGB", (320, 200))
    gradient.putdata([(x * 255 // 319, 80, 255 - y * 255 // 199) for y in range(200) for x in range(320)])
    paths.append(os.path.join(folder, "gradient.png"))
    gradient.save(paths[-1])
    disc = Image.new("RGBA", (160, 160), (0, 0, 0, 0))
    ImageDraw.Draw(disc).ellipse((0, 0, 159, 159), fill=(255, 200, 0, 255))
    paths.append(os.path.join(folder, "disc.png"))
    disc.save(paths[-1])
    square = Image.new("RGBA", (120, 120), (40, 160, 90, 255))
    ImageDraw.Draw(square).rectangle((20, 20, 99, 99), fill=(255, 255, 255, 255))
    paths.append(os.path.join(folder, "square.png"))
    square.save(paths[-1])
    return paths


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python -m tazu.host", description=__doc__.splitlines()[0])
    parser.add_argument("pictures", nargs="*", help="picture files to put on the board")
    parser.add_argument("--width", type=int, default=1280)
    parser.add_argument("--height", type=int, default=720)
    parser.add_argument("--fit-ratio", type=float, default=1.0, help="actual pixels per standard unit")
    parser.add_argument("--developer", action="store_true", help="draw group boxes and pivots")
    parser.add_argument("--screenshot", help="save the window to this PNG and quit")
    parser.add_argument("--frames", type=int, default=3, help="frames to run before the screenshot")
    parser.add_argument("--edit-text", action="store_true",
                        help="open the text dialog of the sample text layer")
    args = parser.parse_args(argv)
    for p in args.pictures:
        if not os.path.isfile(p):
            parser.error(f"图片文件不存在：{p}")

    pygame.init()
    from tazu.animation import 图标
    from tazu.mix import 字典

    from . import 屏幕, 画板

    ratio = int(args.fit_ratio) if args.fit_ratio.is_integer() else args.fit_ratio
    screen = 屏幕.窗口(args.width, args.height, "tazu 画板", 适配比例=ratio)
    folder = os.path.join(tempfile.gettempdir(), "tazu-host")
    # The canvas leaves a row at the bottom for the frame strip.
    board = 画板(screen, 临时文件夹=folder, 开发者模式=args.developer,
               实际画布高度=args.height - 60)
    board.设置帧(["镜头_起始_0", "镜头_走_2", "镜头_跑_1"])
    board.建立帧条(高度=50)
    board.启用文本编辑()
    pictures = args.pictures or _sample_pictures(os.path.join(folder, "samples"))

    for i, path in enumerate(pictures):
        icon = 图标(字典({"文件": os.path.abspath(path)}), board, 横坐标=60 + 220 * (i % 5),
                  纵坐标=60 + 180 * (i // 5), 编号=i + 1)
        board.添加图标(icon)
    if not args.pictures:
        # The sample scene: a multiplied disc over the gradient, the square and
        # the disc grouped, and a text layer.
        gradient, disc, square = board.图标列表
        disc.移动(200, 120)
        disc.模式 = "正片叠底"
        square.旋转(20)
        board.选择(square)
        disc.多选选中 = True
        board.组合()
        text = 图标(字典({"文件": pictures[2]}), board, 横坐标=700, 纵坐标=380, 编号=4)
        board.添加图标(text)
        board.设置图标文本("你好，画板", 字体大小="56", 文本颜色="#203080", icon=text)
        if args.edit_text:
            board.选择(text)
            board.编辑文本()
        else:
            board.选择(square)
            square.选中()
            square.选中()  # twice within 300 ms: the context menu opens

    clock = pygame.time.Clock()
    frame = 0
    running = True
    while running:
        dt = clock.tick(30) / 1000
        for e in screen.处理事件():
            if e.类型 == pygame.QUIT:
                running = False
            elif not e.界面处理:
                board.处理事件(e)
        screen.screen.fill((235, 235, 235))
        board.绘制()
        screen.更新界面(dt)
        screen.显示()
        frame += 1
        if args.screenshot and frame >= args.frames:
            pygame.image.save(screen.screen, args.screenshot)
            print(args.screenshot)
            running = False
    pygame.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())
