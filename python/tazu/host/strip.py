"""The board's frames: the shot's action keys, the strip of segment buttons
along the bottom, and cutting and stitching frames."""
from __future__ import annotations

from ._support import 输出


class FrameStrip:
    @property
    def 帧列表(self):
        """The action keys of the shot on show, in play order."""
        return list(self.帧.键)

    def 坐标字典(self):
        """The shot as a 字典 of action key -> frame data, in play order."""
        from tazu.mix import 字典

        return 字典((k, self.帧.数据[k]) for k in self.帧.键)

    def 所有帧(self):
        """The action keys as a 列表, as the time-weight function takes them."""
        from tazu.mix import 列表

        return 列表(self.帧.键)

    def 设置帧(self, 动作键, 数据=None):
        self.帧.设置(动作键, 数据)

    def 是否开始动作键(self):
        """True while the shot's starting pose (its first of several frames) is on show."""
        return self.帧.当前 == 0 and len(self.帧) > 1

    def _帧已变(self):
        if self._帧条参数 is not None:
            self.建立帧条(*self._帧条参数)
        if self.帧变化回调 is not None:
            self.帧变化回调(self)

    def 建立帧条(self, 字体=None, 高度=50, 起始帧宽度=80):
        """Segment buttons for the frames, in a row below the canvas.

        Widths follow the time weights; the starting pose of a multi-frame
        shot gets a fixed width and no weight, so it is neither cut nor
        stitched. A click shows that frame; the strip is rebuilt after every
        cut or stitch. Sizes are actual-board pixels.
        """
        import tazu.animation as animation
        from tazu.mix import 游戏字体, 游戏矩形

        if 字体 is None:
            字体 = 游戏字体(大小=max(12, round(16 * self.屏幕._fit_ratio)))
        self._帧条参数 = (字体, 高度, 起始帧宽度)
        keys = self.帧.键
        weights = [None if i == 0 and len(keys) > 1 else self.帧.权重(i) for i in range(len(keys))]
        rest = self.窗口宽度 - 起始帧宽度 * weights.count(None)
        total = sum(w for w in weights if w is not None)
        # The button scales its rectangle from standard data itself.
        conv = self.屏幕.实际画板转标准数据
        top = self.实际画布高度
        x = 0
        self.帧条 = []
        for i, key in enumerate(keys):
            if weights[i] is None:
                width = 起始帧宽度
            else:
                width = rest * weights[i] / total if total > 0 else rest / max(1, len(keys))
            rect = 游戏矩形(conv(x), conv(x + width), conv(top), conv(top + 高度))
            # The shot's name in front of the action is the same on every button.
            parts = key.split("_")
            label = " ".join(parts[1:]) if len(parts) > 2 else key
            button = animation.联合按钮(self, rect, label, self._选帧, 字体, 序号=i,
                                     权重=weights[i], 信息=key)
            if i == self.帧.当前:
                button.选中()
            self.帧条.append(button)
            x += width
        return self.帧条

    def _选帧(self, 信息=None):
        handler = getattr(self, "选帧处理", None)
        if handler is not None:
            # The host shows the frame itself (and keeps the buttons in step).
            return handler(信息)
        if 信息 in self.帧.键:
            self.帧.当前 = self.帧.键.index(信息)
        self.标记帧条()

    def 标记帧条(self):
        """Mark the current frame's button as selected, the others not."""
        for i, button in enumerate(self.帧条):
            if i == self.帧.当前:
                button.选中()
            else:
                button.取消选中()

    def 切割动作(self, 序号, 比例, 信息=None):
        """Cut frame 序号 at 比例 of its time; returns 信息 for the segment button."""
        return self._改帧(序号, 信息, "切割", lambda: self.帧.切割(序号, 比例),
                          lambda keys: f"{keys[0]} + {keys[1]}", lambda keys: keys[1])

    def 缝合动作(self, 序号, 方向, 信息=None):
        """Join frame 序号 with its neighbour on 方向; returns 信息 for the segment button."""
        return self._改帧(序号, 信息, "缝合", lambda: self.帧.缝合(序号, 方向),
                          str, lambda kept: kept)

    def _改帧(self, 序号, 信息, 动作, 改, 描述, 新键):
        old = self.帧.键[序号] if isinstance(序号, int) and 0 <= 序号 < len(self.帧) else None
        try:
            result = 改()
        except (ValueError, IndexError, TypeError) as e:
            输出(f"无法{动作}：{e}")
            return 信息
        输出(f"已{动作}：{描述(result)}")
        self._帧已变()
        # A payload naming the frame follows it to its new key.
        return 新键(result) if old is not None and 信息 == old else 信息
