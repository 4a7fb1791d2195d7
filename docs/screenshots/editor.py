"""Screenshots of the editor window on the example's opening shot.

    xvfb-run -s "-screen 0 1920x1080x24" .venv/bin/python docs/screenshots/editor.py [OUT_DIR]

Writes editor_selection.png (frame 2 selected, the person selected and
turned, the GIF multi-selected, a message on the status line),
editor_playback.png (playback paused half-way, the playhead on the strip)
and editor_help.png (the F1 overlay).
"""
import os
import shutil
import sys
import tempfile

import pygame

from tazu.host.editor import 准备显示

准备显示()
pygame.init()


def example(folder):
    from tazu.examples import FOLDER
    from tazu.examples.make_media import make_media

    os.makedirs(os.path.join(folder, "shots"))
    shutil.copyfile(os.path.join(FOLDER, "shots", "2-开场.json"), os.path.join(folder, "shots", "2-开场.json"))
    make_media(os.path.join(folder, "media"))
    return os.path.join(folder, "shots", "2-开场.json")


def post(type_, **attrs):
    pygame.event.post(pygame.event.Event(type_, **attrs))


def main(out):
    from tazu.host.editor import 编辑器

    os.makedirs(out, exist_ok=True)
    editor = 编辑器(example(tempfile.mkdtemp(prefix="tazu_shots_")), 适配比例=1)

    def run(n=1):
        for _ in range(n):
            editor.一轮(等待=False)

    def save(name):
        editor._全刷 = True
        editor.绘制()
        path = os.path.join(out, name)
        pygame.image.save(editor.屏幕.screen, path)
        print(path)

    editor.选择帧(1)
    board = editor.画板
    person = next(i for i in board.图标列表 if i.编号 == 2)
    gif = next(i for i in board.图标列表 if i.编号 == 3)
    r = person.矩形
    cx, cy = r.左 + r.宽 // 2, r.上 + r.高 // 2
    post(pygame.MOUSEBUTTONDOWN, pos=(cx + 90, cy), button=3)
    run()
    for k in range(1, 6):
        post(pygame.MOUSEMOTION, pos=(cx + 90, cy - 9 * k), rel=(0, 0), buttons=(0, 0, 1))
        run()
    post(pygame.MOUSEBUTTONUP, pos=(cx + 90, cy - 45), button=3)
    run()
    board.选择(person)
    gif.多选选中 = True
    editor.提示("已选中：人物（右键拖动转过 26°），旋转 与它一起多选")
    run(2)
    save("editor_selection.png")

    post(pygame.KEYDOWN, key=pygame.K_SPACE, mod=0, unicode=" ", scancode=0)
    run()
    playback = editor.播放
    playback.停止()
    playback.时刻 = playback.时长 / 2
    run()
    save("editor_playback.png")

    post(pygame.KEYDOWN, key=pygame.K_ESCAPE, mod=0, unicode="", scancode=0)
    post(pygame.KEYDOWN, key=pygame.K_ESCAPE, mod=0, unicode="", scancode=0)
    post(pygame.KEYDOWN, key=pygame.K_F1, mod=0, unicode="", scancode=0)
    run(2)
    save("editor_help.png")
    editor.关闭()
    pygame.quit()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
