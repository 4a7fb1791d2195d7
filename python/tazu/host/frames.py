"""The board's frame list: action keys whose last "_"-piece is the time weight."""
from __future__ import annotations

import copy
import math


def 键的权重(键) -> float:
    """The weight an action key carries; 1 when its last piece is not a number."""
    try:
        w = float(str(键).rsplit("_", 1)[-1])
    except ValueError:
        return 1.0
    return w if math.isfinite(w) else 1.0


def 键的前缀(键) -> str:
    s = str(键)
    return s.rsplit("_", 1)[0] if "_" in s else s


def 权重文本(w) -> str:
    # Two decimals are plenty for shares of a shot and keep the keys short.
    return f"{round(w, 2):g}"


class 帧列表:
    """Ordered action keys of a shot plus the data the host keeps per frame.

    Cutting frame i at ratio r leaves two frames with weights w·r and w·(1−r):
    a new frame inserted before i (a copy of i's data) and frame i itself.
    Stitching joins frame i with its left or right neighbour: the later of the
    two keeps its data and takes both weights; the earlier one goes. A frame's
    data is the pose reached at its end, so this keeps both the final pose and
    the shot's length. The first frame of a multi-frame shot is the starting
    pose and takes no time, so it is neither cut nor stitched.
    """

    def __init__(self, 键=(), 数据=None):
        self.键 = []
        self.数据 = {}
        self.当前 = None
        self.设置(键, 数据)

    def 设置(self, 键, 数据=None):
        keys = [str(k) for k in 键]
        if len(set(keys)) != len(keys):
            raise ValueError("动作键不能重复")
        for k in keys:
            if "_" not in k:
                raise ValueError(f"动作键必须含有“_”：{k!r}")
        self.键 = keys
        数据 = dict(数据 or {})
        self.数据 = {k: 数据.get(k) for k in keys}
        self.当前 = 0 if keys else None

    def __len__(self):
        return len(self.键)

    def __iter__(self):
        return iter(self.键)

    def 权重(self, 序号):
        return 键的权重(self.键[序号])

    def _新键(self, 前缀, w, 除外=None):
        candidate = f"{前缀}_{权重文本(w)}"
        n = 1
        while candidate in self.数据 and candidate != 除外:
            n += 1
            candidate = f"{前缀}·{n}_{权重文本(w)}"
        return candidate

    def _改名(self, 序号, 新权重):
        old = self.键[序号]
        new = self._新键(键的前缀(old), 新权重, 除外=old)
        if new != old:
            self.数据 = {(new if k == old else k): v for k, v in self.数据.items()}
            self.键[序号] = new
        return new

    def _检查序号(self, 序号):
        if isinstance(序号, bool) or not isinstance(序号, int):
            raise TypeError(f"帧序号必须是整数，得到 {序号!r}")
        if not 0 <= 序号 < len(self.键):
            raise IndexError(f"帧序号超出范围：{序号}（共 {len(self.键)} 帧）")

    def 切割(self, 序号, 比例):
        """Split frame 序号; returns the two keys (new earlier part, frame itself)."""
        self._检查序号(序号)
        if isinstance(比例, bool) or not isinstance(比例, (int, float)) or not 0 < 比例 < 1:
            raise ValueError(f"切割比例必须在 0 和 1 之间，得到 {比例!r}")
        if 序号 == 0 and len(self.键) > 1:
            raise ValueError("起始帧不占时间，不能切割")
        w = self.权重(序号)
        a, b = round(w * 比例, 2), round(w - w * 比例, 2)
        if a <= 0 or b <= 0:
            raise ValueError(f"权重 {权重文本(w)} 在比例 {比例:.2f} 处切割后有一段为 0")
        old = self.键[序号]
        second = self._改名(序号, b)
        first = self._新键(键的前缀(old), a)
        self.键.insert(序号, first)
        self.数据[first] = copy.deepcopy(self.数据[second])
        # Keep the key order of the data in step with the frame order.
        self.数据 = {k: self.数据[k] for k in self.键}
        if self.当前 is not None and self.当前 >= 序号:
            self.当前 += 1
        return first, second

    def 缝合(self, 序号, 方向):
        """Join frame 序号 with its neighbour on 方向 ("左" or "右"); returns the kept key."""
        self._检查序号(序号)
        if 方向 == "左":
            other = 序号 - 1
        elif 方向 == "右":
            other = 序号 + 1
        else:
            raise ValueError(f"缝合方向必须是“左”或“右”，得到 {方向!r}")
        if not 0 <= other < len(self.键):
            raise ValueError(f"第 {序号} 帧的{方向}边没有可以缝合的帧")
        earlier, later = min(序号, other), max(序号, other)
        if earlier == 0:
            raise ValueError("起始帧不占时间，不能缝合")
        w = self.权重(earlier) + self.权重(later)
        gone = self.键.pop(earlier)
        del self.数据[gone]
        kept = self._改名(earlier, w)
        if self.当前 is not None and self.当前 >= later:
            self.当前 -= 1
        return kept

    def 改键(self, 序号, 前缀=None, 权重=None):
        """Rename frame 序号 and/or give it another weight; returns the new key."""
        self._检查序号(序号)
        old = self.键[序号]
        w = self.权重(序号) if 权重 is None else 权重
        if isinstance(w, bool) or not isinstance(w, (int, float)) or not math.isfinite(w) or w <= 0:
            raise ValueError(f"权重必须是正数，得到 {w!r}")
        prefix = 键的前缀(old) if 前缀 is None else str(前缀)
        new = self._新键(prefix, w, 除外=old)
        if new != old:
            self.数据 = {(new if k == old else k): v for k, v in self.数据.items()}
            self.键[序号] = new
        return new

    def 插入(self, 序号, 前缀, 权重, 数据):
        """A new frame at 序号 (len appends) with a unique key; returns the key."""
        if isinstance(序号, bool) or not isinstance(序号, int) or not 0 <= 序号 <= len(self.键):
            raise IndexError(f"帧序号超出范围：{序号!r}（共 {len(self.键)} 帧）")
        key = self._新键(前缀, 权重)
        self.键.insert(序号, key)
        self.数据[key] = 数据
        self.数据 = {k: self.数据[k] for k in self.键}
        if self.当前 is not None and self.当前 >= 序号:
            self.当前 += 1
        return key

    def 删除(self, 序号):
        """Remove frame 序号; the last frame of a shot stays."""
        self._检查序号(序号)
        if len(self.键) == 1:
            raise ValueError("镜头至少要有一帧")
        gone = self.键.pop(序号)
        del self.数据[gone]
        if self.当前 is not None and (self.当前 > 序号 or self.当前 >= len(self.键)):
            self.当前 -= 1
        return gone
