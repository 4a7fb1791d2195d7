"""画板: the reference drawing board.

The board keeps the icons of the canvas in drawing order (`图标列表`, last on
top), the selected icon and the multi-selection, the groups of icons, the frame
list of the shot on show, and requests that need the host's UI (a file to pick,
a text to type). Icons, sprites and widgets of the animation module call its
members by name.

Each concern lives in a module of its own, joined here as the board's bases:
selection and gestures (gestures.py), groups (groups.py), records (records.py),
text layers (text.py), frames (strip.py), typed input (input.py), menu actions
(actions.py) and the text dialog (dialogs.py). They share the state made in
`画板.__init__`.
"""
from __future__ import annotations

import os
import tempfile

from .actions import MenuActions
from .dialogs import TextDialog
from .frames import 帧列表
from .gestures import Selection
from .groups import Groups
from .input import TypedInput
from .records import Records
from .screen import 屏幕 as _屏幕类
from .strip import FrameStrip
from .text import TextLayers


class 画板(Selection, Groups, Records, TextLayers, FrameStrip, TypedInput, MenuActions, TextDialog):
    """The drawing board the animation module works with."""

    def __init__(self, 屏幕=None, 临时文件夹=None, 窗口宽度=None, 窗口高度=None,
                 实际画布宽度=None, 实际画布高度=None, 适配比例=1, 开发者模式=False,
                 帧切割阈值=10):
        if 屏幕 is None:
            屏幕 = _屏幕类(窗口宽度 or 1280, 窗口高度 or 720, 适配比例=适配比例)
        self.屏幕 = 屏幕
        w, h = 屏幕.screen.get_size()
        self.窗口宽度 = w if 窗口宽度 is None else 窗口宽度
        self.窗口高度 = h if 窗口高度 is None else 窗口高度
        self.实际画布宽度 = self.窗口宽度 if 实际画布宽度 is None else 实际画布宽度
        self.实际画布高度 = self.窗口高度 if 实际画布高度 is None else 实际画布高度
        if 临时文件夹 is None:
            临时文件夹 = os.path.join(tempfile.gettempdir(), "tazu")
        self.临时文件夹 = os.fspath(临时文件夹)
        os.makedirs(os.path.join(self.临时文件夹, "optimize_png"), exist_ok=True)
        self.画布激活 = True
        self.开发者模式 = 开发者模式
        self.帧切割阈值 = 帧切割阈值

        self.图标列表 = []
        self.选中图标 = None
        self.组合列表 = []
        self.帧 = 帧列表()
        # Called with the board after a cut or stitch, so the host can rebuild its strip.
        self.帧变化回调 = None
        # Requests that need the host's UI: (action name, icon) pairs, oldest first.
        self.待处理 = []
        # Action name -> callable(icon) the host registers to handle a request at once.
        self.动作处理 = {}
        # Last state record applied to each (file, number), by 快照图标.
        self.快照 = {}
        self.最近事件 = None
        self.最近导出 = None
        self._镜像来源 = {}
        self._拖动 = None
        self._转动 = None
        self._提示过 = None
        # callable(icon) -> name for the menu's title row of a layer without an alias.
        self.图层名称 = None
        self._路径缓存 = {}
        # Segment buttons of the frames along the bottom (建立帧条), or empty.
        self.帧条 = []
        self._帧条参数 = None
        # The module's text dialog, made on first use by 打开字体输入框.
        self.字体输入框 = None
        # callable(信息) that shows the frame a strip button names, or None.
        self.选帧处理 = None
        # Folder 导出组合 writes to; None: the temporary folder's "导出".
        self.导出文件夹 = None

    def 添加图标(self, icon):
        self.图标列表.append(icon)
        return icon

    def 新编号(self):
        """A layer number no icon on the board and no layer of any frame has."""
        used = [getattr(i, "编号", 0) for i in self.图标列表]
        for layers in self.帧.数据.values():
            if isinstance(layers, list):
                used += [r.get("编号") for r in layers if isinstance(r, dict)]
        return max((n for n in used if isinstance(n, int) and not isinstance(n, bool)), default=0) + 1

    def 绘制(self):
        """Draw every icon, bottom first, the frame strip, then the open menus and selectors."""
        self.绘制图标()
        for button in self.帧条:
            button.绘制()
        self.绘制菜单()

    def 绘制图标(self):
        for icon in self.图标列表:
            icon.绘制()

    def 绘制菜单(self):
        for icon in self.图标列表:
            for name in ("图标状态选项", "当前菜单"):
                popup = getattr(icon, name, None)
                if popup:
                    popup.绘制(self.屏幕)


Board = 画板
