"""Container, text and rectangle value types of the platform layer."""
from __future__ import annotations

import pygame

from .._common import 数字


class 列表(list):
    """A list with the editor's method names.

    It is a real Python list, so hosts may also index it, slice it, compare it
    and hand it to libraries (json, pygame_gui) directly.
    """

    __slots__ = ()

    @property
    def 长(self) -> int:
        return len(self)

    @property
    def main_list(self) -> "列表":
        # The list itself: libraries that want a plain list accept a subclass.
        return self

    def 添加(self, 项):
        self.append(项)

    def 插入(self, 序号, 项):
        self.insert(序号, 项)

    def 替换(self, 序号, 项):
        self[序号] = 项

    def 删除序号(self, 序号):
        del self[序号]

    def 弹出(self, 序号=-1):
        return self.pop(序号)

    def 获取(self, 序号):
        try:
            return self[序号]
        except IndexError:
            raise IndexError(f"列表序号超出范围：{序号}（长度 {len(self)}）") from None

    def 索引(self, 项) -> int:
        try:
            return self.index(项)
        except ValueError:
            return -1

    def 连文(self, 分隔符="") -> str:
        return str(分隔符).join(str(项) for 项 in self)

    def __repr__(self):
        return f"列表({list.__repr__(self)})"


class 字典(dict):
    """An insertion-ordered mapping with the editor's method names.

    A real dict underneath, so it serialises with json and compares equal to a
    plain dict with the same items.
    """

    __slots__ = ()

    def 所有键(self) -> 列表:
        return 列表(self.keys())

    def 获取(self, 键, 默认=None):
        return self.get(键, 默认)

    def 填写(self, 键, 值):
        self[键] = 值

    def copy(self):
        return 字典(self)

    def __repr__(self):
        return f"字典({dict.__repr__(self)})"


class 文本(str):
    """A str with the editor's method names."""

    __slots__ = ()

    def 拆分(self, 分隔符=None) -> 列表:
        if 分隔符 == "":
            raise ValueError("拆分的分隔符不能为空")
        return 列表(self.split(分隔符))


def _number(value, name):
    return 数字(value, f"游戏矩形的{name}", 有限=False)


class 游戏矩形:
    """A rectangle given by its edges: 游戏矩形(左, 右, 上, 下).

    `set_scale_ratio(r)` shows the rectangle at r times its original edges;
    every call scales from the original, so calls do not compound.
    """

    __slots__ = ("左", "右", "上", "下", "_base", "_ratio")

    def __init__(self, 左=0, 右=0, 上=0, 下=0):
        self.左 = _number(左, "左")
        self.右 = _number(右, "右")
        self.上 = _number(上, "上")
        self.下 = _number(下, "下")
        self._base = None
        self._ratio = 1

    # Rounded so that float edges of a whole-pixel box give its exact size.
    @property
    def 宽(self):
        return round(self.右 - self.左, 9)

    @property
    def 高(self):
        return round(self.下 - self.上, 9)

    @property
    def 面积(self):
        return self.宽 * self.高

    @property
    def 中心(self):
        return (self.左 + self.宽 / 2, self.上 + self.高 / 2)

    @property
    def scale_ratio(self):
        return self._ratio

    def set_scale_ratio(self, ratio):
        ratio = _number(ratio, "缩放比例")
        if self._base is None or self._base_changed():
            self._base = (self.左, self.右, self.上, self.下)
        self._ratio = ratio
        self.左, self.右, self.上, self.下 = (v * ratio for v in self._base)

    def _base_changed(self):
        # Edges written directly after an earlier scaling become the new original.
        scaled = tuple(v * self._ratio for v in self._base)
        return scaled != (self.左, self.右, self.上, self.下)

    def to_rect(self) -> pygame.Rect:
        左, 上 = round(self.左), round(self.上)
        return pygame.Rect(左, 上, round(self.右) - 左, round(self.下) - 上)

    def 包含(self, 点) -> bool:
        x, y = 点[0], 点[1]
        return self.左 <= x < self.右 and self.上 <= y < self.下

    def copy(self) -> "游戏矩形":
        return 游戏矩形(self.左, self.右, self.上, self.下)

    @property
    def rect(self) -> pygame.Rect:
        # pygame's drawing functions accept any object with a `rect` attribute.
        return self.to_rect()

    def __eq__(self, other):
        if isinstance(other, 游戏矩形):
            return (self.左, self.右, self.上, self.下) == (other.左, other.右, other.上, other.下)
        return NotImplemented

    __hash__ = None

    def __repr__(self):
        return f"游戏矩形(左={self.左}, 右={self.右}, 上={self.上}, 下={self.下})"
