"""What the user types into the module's dialogs: numbers checked, and the
coordinate and scale answers applied to the selection."""
from __future__ import annotations

import math
import numbers
import re

from ._support import 文本化, 输出

# Numbers typed into dialogs: optional sign, digits; decimals for floats.
_整数文本 = re.compile(r"[+-]?[0-9]+")
_小数文本 = re.compile(r"[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][+-]?[0-9]+)?")


class TypedInput:
    # Refusal is None; 0 is a valid answer. Callers test `is None`.
    def 确保整数(self, value):
        """The integer value typed (" 12 ", "-3", "０"); None when it is not one."""
        v = 文本化(value)
        if isinstance(v, bool):
            result = None
        elif isinstance(v, numbers.Integral):
            result = int(v)
        elif isinstance(v, numbers.Real):
            result = int(v) if math.isfinite(v) and float(v).is_integer() else None
        elif isinstance(v, str) and _整数文本.fullmatch(v):
            try:
                result = int(v)
            except ValueError:  # more digits than Python converts
                result = None
        else:
            result = None
        if result is None:
            输出(f"请输入整数，{value!r} 不是整数")
        return result

    def 确保正整数(self, value):
        """Like 确保整数, but 0 and negatives are refused too."""
        v = self.确保整数(value)
        if v is None:
            return None
        if v <= 0:
            输出(f"请输入正整数，{value!r} 不是正整数")
            return None
        return v

    def 确保浮点数(self, value):
        """The float value typed (" 1.5 ", "2", ".5"); None when it is not a finite number."""
        v = 文本化(value)
        result = None
        if isinstance(v, numbers.Real) and not isinstance(v, bool):
            result = float(v)
        elif isinstance(v, str) and _小数文本.fullmatch(v):
            result = float(v)
        if result is not None and not math.isfinite(result):
            result = None
        if result is None:
            输出(f"请输入数字，{value!r} 不是数字")
        return result

    def 坐标调整(self, x, y):
        """Move the selected icon's top-left to (x, y) in standard data.

        Other multi-selected icons move by the same amount. Locked icons stay.
        """
        members = self.选中集合()
        if not members:
            return
        lead = self.选中图标 if self.选中图标 is not None else members[0]
        if getattr(lead, "锁", False):
            输出("图标已锁定，不能移动")
            return
        conv = self.屏幕.实际画板转标准数据
        dx = x - conv(lead.矩形.左)
        dy = y - conv(lead.矩形.上)
        for icon in members:
            if getattr(icon, "锁", False):
                continue
            try:
                icon.移动(conv(icon.矩形.左) + dx, conv(icon.矩形.上) + dy)
            except (ValueError, TypeError, OverflowError) as e:
                # Typed by the user: refuse it with a line, as a bad number is.
                输出(f"无法移动到这里：{e}")

    def 比例调整(self, ratio):
        """Scale every selected icon to 比例 (actual-board scale ratio)."""
        for icon in self.选中集合():
            try:
                icon.缩放(ratio)
            except (ValueError, TypeError, OverflowError) as e:
                输出(f"无法缩放：{e}")
