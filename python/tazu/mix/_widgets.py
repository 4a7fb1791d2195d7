"""Panels, inputs, buttons and static text on pygame_gui.

Every widget lives in the screen object's `ui_manager`. Positions and sizes are
given in standard data and converted to board pixels with the screen's
`标准数据转实际画板` (when it has one), so that widgets line up with elements
the caller converts itself. Children are placed relative to their parent panel.

Buttons dispatch themselves: the host only has to feed its pygame events to
`ui_manager.process_events` as any pygame_gui program does, and a click calls
the button's action right there.
"""
from __future__ import annotations

import html

import pygame
import pygame_gui
from pygame_gui.elements import UIButton, UIPanel, UITextBox, UITextEntryBox

from ._containers import 游戏矩形

# Locales whose pygame_gui default font draws Chinese.
_CJK_LOCALES = ("zh", "ja")


def 创建界面管理器(尺寸, 主题=None):
    """A pygame_gui manager whose default font draws Chinese."""
    return pygame_gui.UIManager(tuple(尺寸), 主题, starting_language="zh")


def _manager(屏幕):
    manager = getattr(屏幕, "ui_manager", None)
    if manager is None:
        raise TypeError(f"屏幕对象没有 ui_manager（pygame_gui 界面管理器）：{屏幕!r}")
    # Labels of this editor are Chinese: a manager left at an alphabetic locale
    # would draw them as empty boxes.
    if manager.get_locale() not in _CJK_LOCALES:
        manager.set_locale("zh")
    return manager


def _convert(屏幕, value):
    convert = getattr(屏幕, "标准数据转实际画板", None)
    if convert is not None:
        value = convert(value)
    return int(round(value))


def _container(父节点):
    if 父节点 is None:
        return None
    clip = getattr(父节点, "clip", None)
    if clip is None:
        raise TypeError(f"父节点必须是游戏面板，得到 {父节点!r}")
    return clip


def _rect(屏幕, 父节点, 横坐标, 纵坐标, 宽度, 高度):
    """The element's rectangle in pixels, relative to its parent; None centres it."""
    w, h = _convert(屏幕, 宽度), _convert(屏幕, 高度)
    if w < 0 or h < 0:
        raise ValueError(f"控件的宽度和高度不能为负：{宽度}, {高度}")
    if 横坐标 is None or 纵坐标 is None:
        if 父节点 is not None:
            area = _container(父节点).get_container().get_rect().size
        else:
            surface = getattr(屏幕, "screen", None) or pygame.display.get_surface()
            area = surface.get_size() if surface is not None else (w, h)
    x = (area[0] - w) // 2 if 横坐标 is None else _convert(屏幕, 横坐标)
    y = (area[1] - h) // 2 if 纵坐标 is None else _convert(屏幕, 纵坐标)
    return pygame.Rect(x, y, w, h)


class _Widget:
    """Show, hide, enable and place one pygame_gui element."""

    element = None

    @property
    def 可见(self) -> bool:
        return bool(self.element.visible) and self.element.alive()

    @property
    def 矩形(self) -> 游戏矩形:
        r = self.element.rect
        return 游戏矩形(r.left, r.right, r.top, r.bottom)

    def 隐藏(self):
        self.element.hide()

    def 展现(self):
        self.element.show()

    def 失效(self):
        self.element.disable()

    def 生效(self):
        self.element.enable()

    @property
    def 可用(self) -> bool:
        return bool(self.element.is_enabled)

    def 移动(self, 横坐标, 纵坐标):
        self.element.set_relative_position((_convert(self.屏幕, 横坐标), _convert(self.屏幕, 纵坐标)))

    def 销毁(self):
        self.element.kill()


class 游戏面板(_Widget):
    """A panel that groups widgets; `clip` is its pygame_gui container.

    `层级` is the panel's layer: higher layers are drawn over lower ones and
    get the clicks first.
    """

    def __init__(self, 屏幕, 横坐标=None, 纵坐标=None, 宽度=400, 高度=300, 层级=1, 父节点=None):
        manager = _manager(屏幕)
        self.屏幕 = 屏幕
        self.层级 = 层级
        self.clip = self.element = UIPanel(
            _rect(屏幕, 父节点, 横坐标, 纵坐标, 宽度, 高度),
            starting_height=max(1, int(层级)),
            manager=manager,
            container=_container(父节点),
        )


class 游戏输入框(_Widget):
    """A text input that shows its hint while it is empty."""

    def __init__(self, 屏幕=None, 提示="", 父节点=None, 横坐标=0, 纵坐标=0, 宽度=300, 高度=50, 文本=""):
        manager = _manager(屏幕)
        self.屏幕 = 屏幕
        self.提示 = "" if 提示 is None else str(提示)
        self.element = UITextEntryBox(
            _rect(屏幕, 父节点, 横坐标, 纵坐标, 宽度, 高度),
            initial_text="" if 文本 is None else str(文本),
            manager=manager,
            container=_container(父节点),
            placeholder_text=self.提示 or None,
        )

    def 获取文本(self) -> str:
        # The box accepts Enter; line breaks around the entry are not part of it.
        return self.element.get_text().strip("\r\n")

    def 设置文本(self, 文本):
        self.element.set_text("" if 文本 is None else str(文本))

    def 清理(self):
        self.element.set_text("")


class 游戏按钮(_Widget):
    """A labelled button that calls `action()` when clicked."""

    def __init__(self, 屏幕, action, label, 父节点=None, 横坐标=0, 纵坐标=0, 宽度=150, 高度=50, 层级=1):
        if action is not None and not callable(action):
            raise TypeError(f"按钮的 action 必须可调用，得到 {action!r}")
        manager = _manager(屏幕)
        self.屏幕 = 屏幕
        self.action = action
        self.label = "" if label is None else str(label)
        self.element = UIButton(
            _rect(屏幕, 父节点, 横坐标, 纵坐标, 宽度, 高度),
            self.label,
            manager=manager,
            container=_container(父节点),
            starting_height=max(1, int(层级)),
            command=self._pressed,
        )

    def _pressed(self, data):
        self.点击()

    def 点击(self):
        """Run the action, as a click does."""
        if self.action is not None:
            return self.action()
        return None

    def 设置文本(self, 文本):
        self.label = "" if 文本 is None else str(文本)
        self.element.set_text(self.label)


class 游戏文本(_Widget):
    """Static text; long or multi-line text wraps inside the box."""

    def __init__(self, 屏幕, 文本, 父节点=None, 横坐标=0, 纵坐标=0, 宽度=300, 高度=50):
        manager = _manager(屏幕)
        self.屏幕 = 屏幕
        self.文本 = "" if 文本 is None else str(文本)
        self.element = UITextBox(
            _markup(self.文本),
            _rect(屏幕, 父节点, 横坐标, 纵坐标, 宽度, 高度),
            manager=manager,
            container=_container(父节点),
        )

    def 设置文本(self, 文本):
        self.文本 = "" if 文本 is None else str(文本)
        self.element.set_text(_markup(self.文本))


def _markup(text):
    # The text box reads a subset of HTML: user text is escaped, not interpreted.
    return html.escape(text).replace("\n", "<br>")
