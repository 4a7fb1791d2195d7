"""Driving the editor window with posted pygame events, as a user would."""
import importlib.util
import json
import os
import shutil

import pygame

from tazu.cli.shots import EXAMPLES


def example_shot(folder):
    """A copy of the example's opening shot with its media made beside it."""
    shots = os.path.join(EXAMPLES, "shots")
    name = next(n for n in sorted(os.listdir(shots)) if "开场" in n and n.endswith(".json"))
    os.makedirs(os.path.join(folder, "shots"), exist_ok=True)
    path = os.path.join(folder, "shots", name)
    shutil.copyfile(os.path.join(shots, name), path)
    spec = importlib.util.spec_from_file_location("example_media", os.path.join(EXAMPLES, "make_media.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    module.make_media(os.path.join(folder, "media"))
    return path


def read(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


class Driver:
    """Posts events to the editor's queue and runs its rounds."""

    def __init__(self, editor):
        self.editor = editor

    def run(self, rounds=1):
        for _ in range(rounds):
            self.editor.一轮(等待=False)

    def post(self, type_, **attrs):
        pygame.event.post(pygame.event.Event(type_, **attrs))

    def click(self, pos, button=1):
        self.post(pygame.MOUSEBUTTONDOWN, pos=pos, button=button)
        self.run()
        self.post(pygame.MOUSEBUTTONUP, pos=pos, button=button)
        self.run()

    def drag(self, start, end, button=1, steps=4):
        pressed = (button == 1, button == 2, button == 3)
        self.post(pygame.MOUSEBUTTONDOWN, pos=start, button=button)
        self.run()
        for k in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * k / steps
            y = start[1] + (end[1] - start[1]) * k / steps
            self.post(pygame.MOUSEMOTION, pos=(round(x), round(y)), rel=(0, 0), buttons=pressed)
            self.run()
        self.post(pygame.MOUSEBUTTONUP, pos=end, button=button)
        self.run()

    def key(self, key, mod=0, text=""):
        self.post(pygame.KEYDOWN, key=key, mod=mod, unicode=text, scancode=0)
        self.post(pygame.KEYUP, key=key, mod=mod, unicode=text, scancode=0)
        self.run()

    def ctrl(self, key, shift=False):
        self.key(key, pygame.KMOD_LCTRL | (pygame.KMOD_LSHIFT if shift else 0))

    def icon(self, number):
        return next(i for i in self.editor.画板.图标列表 if i.编号 == number)

    def centre(self, number):
        r = self.icon(number).矩形
        return (round(r.左 + r.宽 / 2), round(r.上 + r.高 / 2))

    def strip_button(self, index):
        r = self.editor.画板.帧条[index].矩形
        return (round(r.左 + r.宽 / 2), round(r.上 + r.高 / 2))

    def open_menu(self, number):
        """Two quick clicks on the layer: its context menu opens."""
        pos = self.centre(number)
        self.click(pos)
        icon = self.icon(number)
        # A slow machine may take longer than the double-click time between two rounds.
        icon.上次选中时间 = max(1, pygame.time.get_ticks())
        self.click(pos)
        assert icon.当前菜单 is not None
        return icon

    def menu_row(self, number, label):
        """Click the menu row with this label."""
        icon = self.icon(number)
        menu = icon.当前菜单
        index = icon.按钮列表.index(label)
        x = menu.start_x + 10
        y = menu.option_start_y + index * menu.项高度 + menu.项高度 // 2
        assert menu.获取点击项((x, y)) == index
        self.click((x, y))
