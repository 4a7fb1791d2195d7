"""Shows icons on the reference board with an open context menu and a keyframe
selector in a real window, for a screenshot (run under Xvfb, then
`import -window root icon_menu.png`). Stops after --seconds."""
import argparse
import os
import tempfile
import time

import pygame
from PIL import Image, ImageDraw


def pictures(folder):
    os.makedirs(folder, exist_ok=True)
    gradient = Image.new("RGB", (320, 200))
    gradient.putdata([(x * 255 // 319, 80, 255 - y * 255 // 199)
                      for y in range(200) for x in range(320)])
    disc = Image.new("RGBA", (160, 160), (0, 0, 0, 0))
    ImageDraw.Draw(disc).ellipse((0, 0, 159, 159), fill=(255, 200, 0, 255))
    square = Image.new("RGBA", (120, 120), (40, 160, 90, 255))
    ImageDraw.Draw(square).rectangle((20, 20, 99, 99), fill=(255, 255, 255, 255))
    paths = []
    for name, image in (("gradient", gradient), ("disc", disc), ("square", square)):
        paths.append(os.path.join(folder, name + ".png"))
        image.save(paths[-1])
    return paths


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=8)
    args = parser.parse_args()

    pygame.init()
    from tazu.animation import 图标
    from tazu.host import 屏幕, 画板
    from tazu.mix import 字典

    screen = 屏幕.窗口(1280, 720, "tazu 图标菜单")
    folder = os.path.join(tempfile.gettempdir(), "tazu-icon-menu")
    board = 画板(screen, 临时文件夹=folder)
    gradient, disc, square = pictures(os.path.join(folder, "samples"))
    places = ((80, 120, gradient, None), (640, 430, disc, None), (520, 220, square, "前景方块图层"))
    icons = []
    for number, (x, y, path, name) in enumerate(places, 1):
        icon = 图标(字典({"文件": path}), board, x, y, 编号=number,
                  info={"name": name} if name else None)
        board.添加图标(icon)
        icons.append(icon)

    square_icon = icons[2]
    board.选择(square_icon)
    # The menu opens over the disc, which shows through it.
    # Three keyframes: the square moved right, then turned; the first one on show.
    square_icon.添加动画()
    square_icon.移动(560, 240)
    square_icon.保存状态()
    square_icon.图标状态选项.选中项 = 1
    square_icon.添加动画()
    square_icon.旋转(15)
    square_icon.保存状态()
    square_icon.切换状态(0)
    square_icon.选中()
    square_icon.选中()  # twice within 300 ms: the context menu opens
    menu = square_icon.当前菜单
    pygame.mouse.set_pos(menu.start_x + 60, menu.option_start_y + 3 * menu.项高度 + 10)

    clock = pygame.time.Clock()
    end = time.monotonic() + args.seconds
    while time.monotonic() < end:
        dt = clock.tick(30) / 1000
        screen.处理事件()
        screen.screen.fill((235, 235, 235))
        board.绘制()
        screen.更新界面(dt)
        screen.显示()
    pygame.quit()


if __name__ == "__main__":
    main()
