"""The text dialog: the module's 字体输入框 answering the menu's 编辑文本."""
from __future__ import annotations

import os
import weakref

import pygame

from ._support import 文本化, 解析颜色, 输出
from .text import 最大字体大小

# The pick button's own label, for a layer without a colour.
取色按钮文字 = "选取颜色（默认黑）"

_对话框类 = {}


def _记下调色板的对话框类():
    """The module's 字体输入框, remembering the colour picker it opened last.

    Made from the class the module has now, so a host's replacement is used.
    """
    import tazu.animation as animation

    base = animation.字体输入框
    cls = _对话框类.get(base)
    if cls is None:
        def 开启选色(self):
            base.开启选色(self)
            picker = self.colour_picker
            self._调色板 = None if picker is None else weakref.ref(picker)

        def 确定(self):
            # The dialog refuses a bad size by staying open; the user is told why.
            message = _字号问题(self.字体大小框.获取文本())
            if message:
                _提示(self, message)
                输出(message)
                return
            _提示(self, "")
            base.确定(self)

        cls = _对话框类[base] = type(base.__name__, (base,), {"开启选色": 开启选色, "确定": 确定})
    return cls


def _字号问题(text):
    """Why a typed font size is refused, or "" when it is fine (or empty)."""
    text = 文本化(text)
    if not text:
        return ""
    try:
        n = int(text)
    except ValueError:
        return f"字体大小请填正整数，{text!r} 不是"
    if n <= 0:
        return f"字体大小请填正整数，{n} 不是"
    if n > 最大字体大小:
        return f"字体大小 {n} 太大，最大 {最大字体大小}"
    return ""


def _提示(dialog, message):
    """Show a line in the dialog, left of its confirm button."""
    label = getattr(dialog, "_提示文本", None)
    if label is None:
        if not message:
            return
        from tazu.mix import 游戏文本

        label = dialog._提示文本 = 游戏文本(dialog.屏幕, message, 父节点=dialog.面板,
                                       横坐标=50, 纵坐标=360, 宽度=440, 高度=90)
    label.设置文本(message)
    if message:
        label.展现()
    else:
        label.隐藏()


class TextDialog:
    def 启用文本编辑(self):
        """Answer 编辑文本 with the module's text dialog instead of queuing it."""
        self.动作处理["编辑文本"] = self.打开字体输入框

    def 打开字体输入框(self, icon=None):
        """Show the text dialog for the (selected) icon; returns the dialog.

        One dialog, centred on the window, serves every text layer. It opens
        with the icon's text, font and size filled in and the icon's colour as
        the picker's start, so confirming unchanged keeps the layer as it is;
        an emptied font or size field means the default. Confirming applies
        the answer to this icon through 设置图标文本, even if the selection
        moved on meanwhile.
        """
        if icon is None:
            icon = self.选中图标
        if icon is None:
            输出("请先选择要编辑文本的图层")
            return None
        dialog = self._文本对话框()
        if dialog.colour_picker is not None:
            # A picker left open belongs to the previous layer.
            dialog.colour_picker.kill()
        colour = 解析颜色(getattr(icon, "文本颜色", ""))
        dialog.current_colour = colour if colour is not None else pygame.Color(0, 0, 0)
        dialog.取色按钮.设置文本(
            "修改颜色(" + dialog.color_to_hex(colour) + ")" if colour is not None else 取色按钮文字)
        dialog.字体框.设置文本(getattr(icon, "字体", "") or "")
        size = getattr(icon, "字体大小", "")
        dialog.字体大小框.设置文本("" if size in ("", None) else str(size))
        dialog.文本框.清理()
        _提示(dialog, "")
        dialog.展现(getattr(icon, "文本", None), icon)
        return dialog

    def _文本对话框(self):
        if self.字体输入框 is None:
            conv = self.屏幕.实际画板转标准数据
            # Widgets take standard data; centre the 1200 × 500 panel in the window.
            x = max(0, int((conv(self.窗口宽度) - 1200) / 2))
            y = max(0, int((conv(self.窗口高度) - 500) / 2))
            self.字体输入框 = _记下调色板的对话框类()(self.屏幕, self._文本已确定, x, y)
        return self.字体输入框

    def _文本已确定(self, 文本, 字体, 文本颜色, 字体大小, 图标信息):
        icon = 图标信息
        picker = self.字体输入框.colour_picker if self.字体输入框 is not None else None
        if picker is not None:
            # The dialog is closed; a picker still open would float on alone.
            picker.kill()
        if self._序号(icon) < 0:
            输出("图层已不在画板上，文本没有应用")
            return
        if 字体 and not os.path.isfile(字体) and not pygame.font.match_font(字体):
            # Kept anyway: a machine that has the font will draw it.
            输出(f"找不到字体：{字体}，暂用默认字体")
        if 文本颜色 is None:  # the picker was not opened: the colour stays
            colour = getattr(icon, "文本颜色", "") or ""
        else:
            colour = "#{:02x}{:02x}{:02x}".format(*文本颜色)
        self.设置图标文本(文本, 字体=字体 or "", 字体大小="" if 字体大小 is None else 字体大小,
                     文本颜色=colour, icon=icon)

    def _颜色已选(self, e):
        dialog = self.字体输入框
        raw = getattr(e, "event", e)
        picker = getattr(dialog, "_调色板", None)
        # The picker closes itself before its event arrives, so the dialog's
        # colour_picker is already None: match the picker it opened last.
        if picker is None or picker() is None or picker() is not getattr(raw, "ui_element", None):
            return False
        dialog._调色板 = None
        dialog.关闭调色板(e)
        return True
