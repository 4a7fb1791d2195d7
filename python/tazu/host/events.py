"""事件: pygame events in the shape the animation module reads."""
from __future__ import annotations

import pygame


class 事件:
    """A board event.

    `坐标` is the mouse position (x, y), `按钮` the mouse button (1 left,
    2 middle, 3 right), `纵坐标` the wheel's vertical amount (positive
    enlarges), `键盘` the key code. Members an event does not carry are None.
    """

    __slots__ = ("类型", "坐标", "按钮", "纵坐标", "键盘", "原始", "界面处理")

    def __init__(self, 坐标=None, 按钮=None, 纵坐标=None, 键盘=None, 类型=None, 原始=None):
        self.类型 = 类型
        self.坐标 = tuple(坐标) if 坐标 is not None else None
        self.按钮 = 按钮
        self.纵坐标 = 纵坐标
        self.键盘 = 键盘
        self.原始 = 原始
        self.界面处理 = False

    @property
    def event(self):
        """The pygame event, under the name the module's dialogs read."""
        return self.原始

    @classmethod
    def 来自(cls, e):
        """Wrap a pygame event."""
        t = e.type
        if t in (pygame.MOUSEBUTTONDOWN, pygame.MOUSEBUTTONUP):
            return cls(坐标=e.pos, 按钮=e.button, 类型=t, 原始=e)
        if t == pygame.MOUSEMOTION:
            pressed = [i + 1 for i, down in enumerate(e.buttons) if down]
            return cls(坐标=e.pos, 按钮=pressed[0] if pressed else None, 类型=t, 原始=e)
        if t == pygame.MOUSEWHEEL:
            # Wheel events carry no position; the pointer's is where the user looks.
            pos = pygame.mouse.get_pos() if pygame.display.get_init() else (0, 0)
            return cls(坐标=pos, 纵坐标=e.y, 类型=t, 原始=e)
        if t in (pygame.KEYDOWN, pygame.KEYUP):
            return cls(键盘=e.key, 类型=t, 原始=e)
        return cls(坐标=getattr(e, "pos", None), 类型=t, 原始=e)

    def __repr__(self):
        parts = [f"{name}={getattr(self, name)!r}" for name in ("坐标", "按钮", "纵坐标", "键盘")
                 if getattr(self, name) is not None]
        return f"事件({', '.join(parts)})"


Event = 事件
