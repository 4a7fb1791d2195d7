"""Text layers: the board draws an icon's text into its picture."""
from __future__ import annotations

import json
import os

import pygame

from ._support import 取, 组件基类, 解析颜色, 输出

# Font size of a text layer without one, in standard data.
默认字体大小 = 48
# Larger sizes are no text anyone means: a glyph of 4000 pixels takes
# gigabytes and seconds to draw.
最大字体大小 = 1000


class TextLayers:
    def 设置图标文本(self, 文本, 字体="", 字体大小="", 文本颜色="", icon=None):
        icon = icon or self.选中图标
        if icon is None:
            return
        self._应用文本({}, icon, {"文本": 文本, "字体": 字体, "字体大小": 字体大小, "文本颜色": 文本颜色})

    def _应用文本(self, 记录, icon, 关键字):
        def pick(key):
            return 关键字[key] if key in 关键字 else 取(记录, key)

        text = pick("文本")
        if not text:
            return
        text = str(text)
        if len(text) >= 2 and text[0] == '"' == text[-1]:
            try:
                decoded = json.loads(text)
            except ValueError:
                decoded = None
            if isinstance(decoded, str):
                text = decoded
        font, size, colour = pick("字体") or "", pick("字体大小") or "", pick("文本颜色") or ""
        if hasattr(icon, "设置文本"):
            icon.设置文本(text)
        else:
            icon.文本 = text
        icon.字体, icon.字体大小, icon.文本颜色 = font, size, colour
        self._画文本(icon, text, font, size, colour)

    def _画文本(self, icon, text, font, size, colour):
        key = (text, str(font), str(size), str(colour), self.屏幕.适配比例)
        cached = getattr(icon, "_画板文本", None)
        if cached is not None and cached[0] == key and icon.origin_image is cached[1]:
            return
        picture = self.文本图片(text, font, size, colour)
        base = 组件基类(icon)
        # The base class's refresh takes a Surface and keeps place, scale and turn;
        # the icon's own refresh would record the Surface as its source file.
        (base.刷新图片 if base is not None else type(icon).刷新图片)(icon, picture)
        icon._画板文本 = (key, icon.origin_image)

    def 文本图片(self, text, font="", size="", colour=""):
        """A transparent picture of the text, one line per "\\n", in actual-board pixels."""
        n = self.确保正整数(size) if size not in ("", None) else None
        if n is not None and n > 最大字体大小:
            输出(f"字体大小 {n} 太大，按 {最大字体大小} 绘制")
            n = 最大字体大小
        px = max(1, round(self.屏幕.标准数据转实际画板(n or 默认字体大小)))
        face = pygame.font.Font(_字体文件(font), px)
        rgb = 解析颜色(colour)
        if rgb is None:
            if colour not in ("", None):
                输出(f"无法识别的文本颜色：{colour!r}，改用黑色")
            rgb = pygame.Color(0, 0, 0)
        lines = [face.render(line, True, rgb) for line in text.split("\n")]
        width = max(s.get_width() for s in lines)
        height = sum(s.get_height() for s in lines)
        picture = pygame.Surface((max(1, width), max(1, height)), pygame.SRCALPHA)
        y = 0
        for s in lines:
            picture.blit(s, (0, y))
            y += s.get_height()
        return picture


def _字体文件(font):
    if font and os.path.isfile(os.fspath(font)):
        return os.fspath(font)
    if font:
        found = pygame.font.match_font(str(font))
        if found:
            return found
    try:
        from tazu.mix import font_file
    except ImportError:
        return None
    return font_file()
